// The JSON document (-json): the whole processed set for scripts. Every value
// stands under a name; a figure that does not exist is null; texts are UTF-8.
// The document's schema is schema/kovxmlmerge-coverage.schema.json; a change
// of its names or meanings raises kJsonFormatVersion.
#pragma once

#include <string_view>

namespace kov {

class Coverage;
class TextSink;

/// The version of the document's format, its "format_version".
inline constexpr int kJsonFormatVersion = 1;

/// Writes the JSON document of a processed coverage set: the run, the overall
/// figures, and every file the listing shows with its functions and their
/// listing lines. `root` is the -root argument (empty where none was given),
/// which shapes each file's shown name as in the exports. Walks the listing
/// (see walkListing).
void writeJsonReport(Coverage& coverage, std::string_view root, TextSink& out);

}  // namespace kov
