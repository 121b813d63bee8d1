// The page of one file the listing shows: its figures, the table of its
// functions, the source view where the source was found, and then (written
// by the probe view) every function as the listing shows it.
#pragma once

#include <string_view>

#include "writers/html/report_output.h"

namespace kov {

class Coverage;
class TextSink;

namespace html {

class ChangedMarks;
class ReportTree;
struct FileListing;

/// Writes a file page up to its probe view: figures, the table of its
/// functions and the source section. `listing` (the file's lines) is needed
/// where `status` is Found: `source` is then shown, with the lines beside it.
/// `marks`, where the run has a diff, adds the figures of the file's changed
/// lines and marks them.
void putFilePageHead(TextSink& out, const Coverage& coverage, const ReportTree& tree,
                     const CoverageFile& file, SourceStatus status, std::string_view source,
                     const FileListing* listing, const ChangedMarks& marks);

/// Closes a file page after its probe view.
void putFilePageTail(TextSink& out, const Coverage& coverage);

}  // namespace html
}  // namespace kov
