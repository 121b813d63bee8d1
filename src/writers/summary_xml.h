// The summary XML report (-x): TERs and counts, no probe lines.
#pragma once

#include <string>
#include <string_view>

namespace kov {

class Coverage;
class TextSink;

/// Writes the whole summary document of a processed coverage set.
void writeSummaryXml(Coverage& coverage, TextSink& out);

/// Escapes "&", "<", ">", "'" and the double quote for XML.
std::string escapeXml(std::string_view text);

}  // namespace kov
