// A one-pass scanner for the two lines of a probe element in the plain layout
// that kovpost writes:
//
//       <probe type="if" nesting="1" descr="if (a &gt; b)" eval_no="2"
//         line="13" sc_count="1" count1="0" count2="1" />
//
// It accepts only lines that the general rules (line cleaning, start tag,
// attribute text, numbers) read to the very same values, and says no to
// everything else, which then takes the general path. So it decides nothing
// of its own: it only takes the common case the short way.
#pragma once

#include <cstdint>
#include <string_view>

namespace kov {

/// A probe element as the scanner read it.
struct ScannedProbe {
  // First line: indentation, "<probe", then type, nesting, descr and an
  // optional eval_no, each once, in this order, one blank apart, the line
  // ending with the last closing quote.
  std::string_view type;
  std::uint32_t nesting = 0;
  std::string_view description;  // as written: entities not yet decoded
  bool descriptionHasEntity = false;  // it holds an "&"
  bool hasEvalNo = false;
  std::string_view evalNo;
  // Second line: indentation, then line and sc_count, an optional count1 and
  // an optional count2, then " />" at the end of the line.
  std::uint32_t line = 0;
  std::uint32_t statementCount = 0;
  bool hasCount1 = false;
  std::uint32_t count1 = 0;
  std::uint32_t count2 = 0;
};

/// Where `bytes` (what the line reader holds ahead) starts with the two
/// lines of a probe element in the plain layout, each ended by a line feed:
/// fills `out` and returns the number of bytes of both lines. Returns 0
/// where they are anything else, or are not both in `bytes`.
std::size_t scanProbeElement(std::string_view bytes, ScannedProbe& out);

}  // namespace kov
