// The page of the changed code (changed.html), written where a run has
// -diff: the changed code's TER, every changed line with uncovered outcomes
// linked to its probe rows on its file's page with what a test has to do,
// the changed files with their figures, and the files the coverage does not
// hold.
#pragma once

namespace kov {

class Coverage;
class TextSink;

namespace html {

class ChangedMarks;
class ReportTree;

/// Writes the page of changed lines; `marks` must hold a diff's changed code.
void writeChangedPage(TextSink& out, const Coverage& coverage, const ReportTree& tree,
                      const ChangedMarks& marks);

/// The changed code's figure for the overview: "P % (H/A)" with its bar and
/// a link to the page of changed lines.
void putChangedFigure(TextSink& out, const ChangedMarks& marks);

}  // namespace html
}  // namespace kov
