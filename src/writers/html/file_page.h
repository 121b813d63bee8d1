// The page of one file the listing shows: its figures, the table of its
// functions, the source view where the source was found, and every function
// as the listing shows it, with the MC/DC tables of its decisions.
#pragma once

#include <string_view>

#include "writers/html/report_output.h"

namespace kov {

class Coverage;
class TextSink;

namespace html {

class ReportTree;
struct FileListing;

/// Writes the page of `listing.file`. `source` holds the source text where
/// `status` is Found.
void writeFilePage(TextSink& out, const Coverage& coverage, const ReportTree& tree,
                   const FileListing& listing, SourceStatus status, std::string_view source);

}  // namespace html
}  // namespace kov
