#include "reader/line_cleaner.h"

#include <string.h>

namespace kov {
namespace {

constexpr std::string_view kProbeStart = "<probe";

// The first line of every probe element has no ">", so the search for the
// last one runs over the whole line: memrchr does that a word at a time.
std::size_t lastOf(std::string_view line, char byte) {
  if (line.empty()) return std::string_view::npos;
  const void* found = ::memrchr(line.data(), byte, line.size());
  return found == nullptr ? std::string_view::npos
                          : static_cast<std::size_t>(static_cast<const char*>(found) - line.data());
}

// Cuts a line after its last ">"; a line without one must be the first line
// of a probe element and is cut after its last double quote (to empty where
// it has none).
CleanedLine cutAtEnd(std::string_view line) {
  const std::size_t close = lastOf(line, '>');
  if (close != std::string_view::npos) return {line.substr(0, close + 1)};
  if (line.find(kProbeStart) == std::string_view::npos) return {{}, LineFault::kNotReport};
  const std::size_t quote = lastOf(line, '"');
  return {line.substr(0, quote == std::string_view::npos ? 0 : quote + 1)};
}

}  // namespace

CleanedLine cleanElementLine(std::string_view raw) {
  // Most lines are an indented element that ends with its ">": the first
  // "<" follows the indentation, and the last ">" is the last byte.
  std::size_t open = 0;
  while (open < raw.size() && (raw[open] == ' ' || raw[open] == '\t')) ++open;
  if (open < raw.size() && raw[open] == '<' && raw.back() == '>') return {raw.substr(open)};
  open = raw.find('<');
  if (open == std::string_view::npos) return {{}, LineFault::kNotReport};
  return cutAtEnd(raw.substr(open));
}

CleanedLine cleanContinuationLine(std::string_view raw) {
  const std::size_t letter = raw.find('l');
  const std::string_view rest =
      letter == std::string_view::npos ? std::string_view{} : raw.substr(letter);
  if (rest.find("line=") == std::string_view::npos) return {{}, LineFault::kNotReport};
  const CleanedLine cut = cutAtEnd(rest);
  if (cut.fault != LineFault::kNone) return cut;
  if (cut.text.empty() || cut.text.back() != '>') return {cut.text, LineFault::kTooLong};
  return cut;
}

}  // namespace kov
