// Texts of the XML documents: entity escaping, the bytes that XML cannot
// hold, and report texts in a document that declares UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace kov {

class TextSink;

/// Escapes "&", "<", ">", "'" and the double quote for XML. An "&" that
/// already begins an entity is escaped too; all other bytes pass unchanged.
std::string escapeXml(std::string_view text);

/// Writes `text` with every byte that XML 1.0 cannot hold (0x00-0x08, 0x0B,
/// 0x0C, 0x0E-0x1F) replaced by "?", escaped by escapeXml where `escape` is set.
void putXmlText(TextSink& out, std::string_view text, bool escape);

/// Writes `text`, ISO-8859-1 bytes, for a document that declares UTF-8:
/// escaped by escapeXml, every byte that XML 1.0 cannot hold written "?",
/// every other byte as the UTF-8 form of its code point.
void putXmlTextAsUtf8(TextSink& out, std::string_view text);

}  // namespace kov
