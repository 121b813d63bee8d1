// The frame every page of the HTML report shares, and the small pieces that
// several pages show: TER figures with their bars, table heads, notes.
//
// Pages hold no style and no script of their own: the style sheet and the
// script are files of the report, so that a page shows every figure under a
// Content-Security-Policy that forbids inline styles and scripts (as CI
// servers set for archived reports), and a state is always told by a symbol
// or a word as well as by colour.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace kov {

class Coverage;
class TextSink;

namespace html {

class ReportTree;

/// The marker of every row, line or chip that is not fully covered.
inline constexpr std::string_view kMissingMark = "\xE2\x9C\x97";  // U+2717 BALLOT X

/// The mark before the number of a line that a diff changed.
inline constexpr std::string_view kChangedMark =
    "<abbr class=\"chg\" title=\"changed line\">\xCE\x94</abbr> ";  // U+0394 DELTA

/// What a page is, for its body class (which the script and style sheet read).
enum class PageKind { Overview, Directory, File, Changed };

/// Writes everything up to and including the opening of <main>: the head
/// (title: `title`, a report text, then " - " and `suffix`, our own), and
/// the breadcrumb trail from the overview down to `directory` (0 is the
/// overview itself), ending with `file` (a report text) on a file's page.
void beginPage(TextSink& out, PageKind kind, std::string_view title, std::string_view suffix,
               const ReportTree& tree, std::size_t directory,
               std::optional<std::string_view> file);

/// Closes <main> and the page, with the footer naming the program and the run.
void endPage(TextSink& out, const Coverage& coverage);

/// A name from the reports as pages show it; an empty one (a report may
/// give one) as "(no name)", so that a link or heading still says something.
void putName(TextSink& out, std::string_view name);

/// "P % (H/A)".
void putTer(TextSink& out, std::uint32_t ter, std::uint32_t hits, std::uint32_t all);

/// A bar of `ter` percent (decorative: the figure stands beside it).
void putBar(TextSink& out, std::uint32_t ter);

/// A statement TER figure: "P % (H/A)" and a bar where `shown` (some
/// function has statement coverage), else "100 % (0/0)" as the listing
/// says; then the count of functions without statement coverage.
void putStatementFigure(TextSink& out, bool shown, std::uint32_t ter, std::uint32_t hits,
                        std::uint32_t all, std::uint32_t notAvailable);

/// A table cell with a bar and "P % (H/A)".
void putTerCell(TextSink& out, std::uint32_t ter, std::uint32_t hits, std::uint32_t all);

/// A table head row: one column head per entry; entries that begin with
/// "#" are numeric columns (right-aligned), the "#" not shown.
void putHeadRow(TextSink& out, const std::vector<std::string_view>& heads);

/// The switch that hides fully covered rows; shown only where the script runs.
void putCoveredSwitch(TextSink& out, bool withKeys);

}  // namespace html
}  // namespace kov
