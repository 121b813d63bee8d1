// The -min-ter gate: the overall TER that a run must reach for a CI job to
// pass.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kov {

/// A minimum TER as given with -min-ter. TERs are whole percentages, so a
/// fraction only matters as "more than the whole part".
struct TerMinimum {
  std::string text;          // as given, for the gate's message
  std::uint32_t whole = 0;   // the part before the ".", 0 to 100
  bool hasFraction = false;  // a digit other than 0 follows the "."
};

/// The minimum that `text` names: one or more digits, optionally followed by
/// "." and one or more digits, with a value from 0 to 100 ("87.5", "100.0",
/// "007"). Nothing for any other text: no sign, blank, exponent or empty part.
std::optional<TerMinimum> parseTerMinimum(std::string_view text);

/// Whether the TER `ter` (0 to 100) is below `minimum`.
bool isBelow(std::uint32_t ter, const TerMinimum& minimum);

}  // namespace kov
