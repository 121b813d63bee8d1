// The overview (index.html): the overall figures as the listing's summary
// shows them, the top of the directory tree, every file with a filter box,
// and the reports that were merged.
#pragma once

namespace kov {

class Coverage;
class TextSink;

namespace html {

class ReportTree;

/// Writes the overview page.
void writeOverview(TextSink& out, const Coverage& coverage, const ReportTree& tree);

}  // namespace html
}  // namespace kov
