// The overview (index.html): the overall figures as the listing's summary
// shows them, the top of the directory tree, every file with a filter box,
// and the reports that were merged.
#pragma once

namespace kov {

class Coverage;
class TextSink;

namespace html {

class ChangedMarks;
class ReportTree;

/// Writes the overview page; with the changed code's figure where `marks`
/// hold a diff's changed code.
void writeOverview(TextSink& out, const Coverage& coverage, const ReportTree& tree,
                   const ChangedMarks& marks);

}  // namespace html
}  // namespace kov
