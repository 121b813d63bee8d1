#include "writers/markdown_text.h"

#include <algorithm>

#include "writers/latin1_utf8.h"

namespace kov {
namespace {

constexpr std::string_view kEllipsis = "\xE2\x80\xA6";  // "…" in UTF-8

bool isControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || (byte >= 0x7F && byte <= 0x9F);
}

// The longest run of backticks: the fence must be longer.
std::size_t longestBacktickRun(std::string_view text) {
  std::size_t longest = 0;
  std::size_t run = 0;
  for (char c : text) {
    run = c == '`' ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  return longest;
}

}  // namespace

void appendMarkdownCode(std::string& out, std::string_view text, std::size_t limit) {
  if (text.empty()) return;
  const bool shortened = limit > 0 && text.size() > limit;
  if (shortened) text = text.substr(text.size() - (limit - 1));

  const std::string fence(longestBacktickRun(text) + 1, '`');
  // A code span loses one blank at each end where both ends have one, and a
  // backtick at an end would join the fence: one blank on each side keeps
  // the text as it is. A span of blanks only loses nothing.
  const bool allBlanks = !shortened && text.find_first_not_of(' ') == std::string_view::npos;
  const bool pad = !allBlanks && (shortened ? text.back() == '`' || text.back() == ' '
                                            : text.front() == '`' || text.front() == ' ' ||
                                                  text.back() == '`' || text.back() == ' ');
  out += fence;
  if (pad) out += ' ';
  if (shortened) out += kEllipsis;
  for (char c : text) {
    if (isControl(c)) {
      out += '?';
    } else if (c == '|') {
      out += "\\|";  // a table cell ends at "|", even inside a code span
    } else {
      appendLatin1AsUtf8(out, c);
    }
  }
  if (pad) out += ' ';
  out += fence;
}

}  // namespace kov
