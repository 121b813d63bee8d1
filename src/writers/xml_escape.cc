#include "writers/xml_escape.h"

#include "base/text_sink.h"
#include "writers/latin1_utf8.h"

namespace kov {
namespace {

// The entity that stands for `c`, or an empty view where `c` stays as it is.
std::string_view entityOf(char c) {
  switch (c) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '\'':
      return "&apos;";
    case '"':
      return "&quot;";
    default:
      return {};
  }
}

// Tab, line feed and carriage return are the only control bytes that an XML
// 1.0 document may hold; every other one would make a parser reject it.
bool isForbiddenInXml(char c) {
  auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 && byte != 0x09 && byte != 0x0A && byte != 0x0D;
}

}  // namespace

// One left-to-right pass: the entities it makes are never escaped again, while
// an "&" that was in the text becomes "&amp;".
std::string escapeXml(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    std::string_view entity = entityOf(c);
    if (entity.empty()) {
      escaped.push_back(c);
    } else {
      escaped.append(entity);
    }
  }
  return escaped;
}

void putXmlText(TextSink& out, std::string_view text, bool escape) {
  for (char c : text) {
    std::string_view entity = escape ? entityOf(c) : std::string_view{};
    if (!entity.empty()) {
      out << entity;
    } else {
      out << (isForbiddenInXml(c) ? '?' : c);
    }
  }
}

void putXmlTextAsUtf8(TextSink& out, std::string_view text) {
  std::string converted;
  converted.reserve(text.size());
  for (char c : text) {
    std::string_view entity = entityOf(c);
    if (!entity.empty()) {
      converted.append(entity);
    } else if (isForbiddenInXml(c)) {
      converted.push_back('?');
    } else {
      appendLatin1AsUtf8(converted, c);
    }
  }
  out << converted;
}

}  // namespace kov
