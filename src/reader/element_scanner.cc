#include "reader/element_scanner.h"

#include <algorithm>

#include "reader/xml_text.h"

namespace kov {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

bool isDecoded(std::string_view name) {
  return name == "descr" || name == "name";
}

// Values are mostly a few bytes long: a plain walk to the closing quote.
std::size_t findQuote(std::string_view text, std::size_t from) {
  for (std::size_t i = from; i < text.size(); ++i) {
    if (text[i] == '"') return i;
  }
  return kNone;
}

struct Delimiters {
  std::size_t equals;  // the first "="
  std::size_t open;    // the first double quote
};

// In a report the first double quote directly follows the first "=", a few
// bytes in: one short walk finds both, where two library searches per
// attribute cost more than the bytes they look at.
Delimiters findDelimiters(std::string_view rest) {
  const std::size_t size = rest.size();
  for (std::size_t i = 0; i < size; ++i) {
    if (rest[i] == '=') {
      if (i + 1 < size && rest[i + 1] == '"') return {i, i + 1};
      return {i, rest.find('"', i + 1)};
    }
    if (rest[i] == '"') return {rest.find('=', i + 1), i};
  }
  return {kNone, kNone};
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
    const Delimiters at = findDelimiters(rest);
    const std::size_t equals = at.equals;
    if (equals == kNone) return false;
    const std::string_view name = rest.substr(0, equals);
    const std::size_t open = at.open;
    const std::size_t close = open == kNone ? kNone : findQuote(rest, open + 1);
    std::string_view value = rest;
    if (open != kNone) value = rest.substr(open + 1, close == kNone ? kNone : close - open - 1);
    // Decoding changes nothing without an "&": such a value is only
    // referred to, not copied.
    if (isDecoded(name) && value.find('&') != kNone) {
      if (std::string* slot = attributes.claim(name)) unescapeXmlInto(*slot, value);
    } else {
      attributes.claimBorrowed(name, value);
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
