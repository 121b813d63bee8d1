#include "driver/ter_gate.h"

namespace kov {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool allDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!isDigit(c)) return false;
  }
  return true;
}

}  // namespace

std::optional<TerMinimum> parseTerMinimum(std::string_view text) {
  const std::size_t dot = text.find('.');
  const std::string_view whole = text.substr(0, dot);
  const std::string_view fraction =
      dot == std::string_view::npos ? std::string_view{} : text.substr(dot + 1);
  if (!allDigits(whole)) return std::nullopt;
  if (dot != std::string_view::npos && !allDigits(fraction)) return std::nullopt;

  TerMinimum minimum;
  minimum.text = std::string(text);
  for (char c : whole) {
    minimum.whole = minimum.whole * 10 + static_cast<std::uint32_t>(c - '0');
    if (minimum.whole > 100) return std::nullopt;  // also keeps long texts from overflowing
  }
  minimum.hasFraction = fraction.find_first_not_of('0') != std::string_view::npos;
  if (minimum.whole == 100 && minimum.hasFraction) return std::nullopt;
  return minimum;
}

bool isBelow(std::uint32_t ter, const TerMinimum& minimum) {
  return ter < minimum.whole || (ter == minimum.whole && minimum.hasFraction);
}

}  // namespace kov
