// The HTML report: an overview, a page per directory and a page per file
// the listing shows, written from the processed set by the same listing walk
// that writes the text listing, so that every figure is the listing's.
#pragma once

#include <string_view>

#include "writers/html/report_output.h"

namespace kov {

class Coverage;
struct ChangedCode;

namespace html {

/// The name of the marker file every report holds: a directory with this
/// file is a report that a later run may replace.
inline constexpr std::string_view kMarkerFileName = ".kovxmlmerge-report";
/// How the marker file begins; what follows may change between versions.
inline constexpr std::string_view kMarkerSignature =
    "This directory is an HTML report of kovxmlmerge.";
/// What the marker file holds.
inline constexpr std::string_view kMarkerText =
    "This directory is an HTML report of kovxmlmerge. A later run of kovxmlmerge -html\n"
    "replaces it as a whole: keep nothing else in it.\n";

/// Writes the whole report into `output`. `sources` may be nullptr (no
/// source is looked for). `changed`, where the run has a diff, adds the
/// changed code: its figure on the overview, the marks and figures of
/// changed lines on the file pages and the page of changed lines. Raises
/// error 24 through `output`.
void writeHtmlReport(Coverage& coverage, ReportOutput& output, SourceProvider* sources,
                     const ChangedCode* changed = nullptr);

}  // namespace html
}  // namespace kov
