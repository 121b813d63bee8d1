#include "reader/element_scanner.h"

#include <algorithm>

#include "reader/xml_text.h"

namespace kov {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

bool isDecoded(std::string_view name) {
  return name == "descr" || name == "name";
}

}  // namespace

TextElement splitTextElement(std::string_view line) {
  const std::size_t close = line.find('>');
  if (close == kNone) return {};
  std::string_view text = line.substr(close + 1);
  const std::size_t next = text.find('<');
  if (next != kNone) text = text.substr(0, next);
  return {line.substr(0, close + 1), text};
}

std::optional<StartTag> splitStartTag(std::string_view line) {
  const std::size_t blank = line.find(' ');
  if (blank == kNone) return std::nullopt;
  return StartTag{line.substr(0, blank), line.substr(blank + 1)};
}

bool parseAttributeText(std::string_view text, AttributeMap& attributes) {
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t equals = rest.find('=');
    if (equals == kNone) return false;
    const std::string_view name = rest.substr(0, equals);
    const std::size_t open = rest.find('"');
    const std::size_t close = open == kNone ? kNone : rest.find('"', open + 1);
    std::string_view value = rest;
    if (open != kNone) value = rest.substr(open + 1, close == kNone ? kNone : close - open - 1);
    if (std::string* slot = attributes.claim(name)) {
      if (isDecoded(name)) {
        unescapeXmlInto(*slot, value);
      } else {
        slot->assign(value);
      }
    }
    // A value without its closing double quote runs to the end of the text,
    // so nothing is left to read after it.
    if (close == kNone) break;
    rest.remove_prefix(std::min(close + 2, rest.size()));
    if (rest == "/>") break;
  }
  return true;
}

}  // namespace kov
