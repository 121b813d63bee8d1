#include "reader/xml_text.h"

#include <cstring>

namespace kov {
namespace {

bool followedBy(std::string_view text, std::size_t at, std::string_view what) {
  return text.compare(at, what.size(), what) == 0;
}

}  // namespace

// The entities are decoded one kind after the other, "&amp;" last, each
// search starting again from the beginning after every replacement. Neither
// "<", ">", '"' nor "'" occurs in any entity, so the first four kinds neither
// create nor destroy occurrences of one another and need one pass together.
// An "&amp;" leaves an "&" that forms a new "&amp;" exactly when "amp;"
// follows, and never one further left; so each "&amp;" swallows the run of
// "amp;" behind it, and the text after that run is read on as it stood.
void unescapeXmlInto(std::string& out, std::string_view text) {
  out.clear();
  const char* const begin = text.data();
  const std::size_t size = text.size();
  std::size_t copied = 0;
  std::size_t at = 0;
  while (at < size) {
    const void* hit = std::memchr(begin + at, '&', size - at);
    if (hit == nullptr) break;
    const std::size_t amp = static_cast<std::size_t>(static_cast<const char*>(hit) - begin);
    char decoded = '\0';
    std::size_t next = amp + 1;
    if (followedBy(text, next, "lt;")) {
      decoded = '<';
      next += 3;
    } else if (followedBy(text, next, "gt;")) {
      decoded = '>';
      next += 3;
    } else if (followedBy(text, next, "quot;")) {
      decoded = '"';
      next += 5;
    } else if (followedBy(text, next, "apos;")) {
      decoded = '\'';
      next += 5;
    } else if (followedBy(text, next, "amp;")) {
      decoded = '&';
      while (followedBy(text, next, "amp;")) next += 4;
    }
    if (decoded != '\0') {
      out.append(begin + copied, amp - copied);
      out.push_back(decoded);
      copied = next;
    }
    at = next;
  }
  out.append(begin + copied, size - copied);
}

std::string unescapeXml(std::string_view text) {
  std::string out;
  unescapeXmlInto(out, text);
  return out;
}

}  // namespace kov
