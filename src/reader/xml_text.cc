#include "reader/xml_text.h"

#include <cstring>

namespace kov {

// The entities are decoded one kind after the other, "&amp;" last, each
// search starting again from the beginning after every replacement. Neither
// "<", ">", '"' nor "'" occurs in any entity, so the first four kinds neither
// create nor destroy occurrences of one another and need one pass together.
// An "&amp;" leaves an "&" that forms a new "&amp;" exactly when "amp;"
// follows, and never one further left; so each "&amp;" swallows the run of
// "amp;" behind it, and the text after that run is read on as it stood.
// Decoding never makes a text longer, so it is done in place in a copy,
// from the first "&" on.
void unescapeXmlInto(std::string& out, std::string_view text) {
  out.assign(text);
  char* const begin = out.data();
  const std::size_t size = out.size();
  const void* first = size == 0 ? nullptr : std::memchr(begin, '&', size);
  if (first == nullptr) return;
  const auto follows = [&](std::size_t at, std::string_view entity) {
    return size - at >= entity.size() && std::memcmp(begin + at, entity.data(), entity.size()) == 0;
  };
  std::size_t from = static_cast<std::size_t>(static_cast<const char*>(first) - begin);
  char* to = begin + from;
  while (from < size) {
    const char c = begin[from];
    if (c != '&') {
      *to++ = c;
      ++from;
    } else if (follows(from + 1, "lt;")) {
      *to++ = '<';
      from += 4;
    } else if (follows(from + 1, "gt;")) {
      *to++ = '>';
      from += 4;
    } else if (follows(from + 1, "quot;")) {
      *to++ = '"';
      from += 6;
    } else if (follows(from + 1, "apos;")) {
      *to++ = '\'';
      from += 6;
    } else if (follows(from + 1, "amp;")) {
      *to++ = '&';
      from += 5;
      while (follows(from, "amp;")) from += 4;
    } else {
      *to++ = '&';
      ++from;
    }
  }
  out.resize(static_cast<std::size_t>(to - begin));
}

std::string unescapeXml(std::string_view text) {
  std::string out;
  unescapeXmlInto(out, text);
  return out;
}

}  // namespace kov
