#include "reader/line_cleaner.h"

namespace kov {
namespace {

constexpr std::string_view kProbeStart = "<probe";

// Cuts a line after its last ">"; a line without one must be the first line
// of a probe element and is cut after its last double quote (to empty where
// it has none).
CleanedLine cutAtEnd(std::string_view line) {
  const std::size_t close = line.rfind('>');
  if (close != std::string_view::npos) return {line.substr(0, close + 1)};
  if (line.find(kProbeStart) == std::string_view::npos) return {{}, LineFault::kNotReport};
  const std::size_t quote = line.rfind('"');
  return {line.substr(0, quote == std::string_view::npos ? 0 : quote + 1)};
}

}  // namespace

CleanedLine cleanElementLine(std::string_view raw) {
  const std::size_t open = raw.find('<');
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
