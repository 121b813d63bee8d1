// A one-pass scanner for the two lines of a probe element in the plain
// layouts that a report writer produces:
//
//       <probe type="if" nesting="1" descr="if (a &gt; b)" eval_no="2"
//         line="13" sc_count="1" count1="0" count2="1" />
//
// Indentation of blanks and tabs, any order of the attributes (with "line"
// first on the second line), attributes the reader does not use, blanks or
// tabs after the end of a line and CR LF line ends are all plain.
//
// It accepts only lines that the general rules (line cleaning, start tag,
// attribute text, numbers) read to the very same values, and says no to
// everything else, which then takes the general path. So it decides nothing
// of its own: it only takes the common case the short way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kov {

/// A probe element as the scanner read it. An attribute that the element
/// does not carry has the value the general rules give it: empty or 0.
struct ScannedProbe {
  std::string_view type;
  std::string_view description;  // as written: entities not yet decoded
  std::string_view evalNo;
  bool descriptionHasEntity = false;  // it holds an "&"
  bool hasEvalNo = false;
  bool hasCount1 = false;
  std::uint32_t nesting = 0;
  std::uint32_t line = 0;
  std::uint32_t statementCount = 0;
  std::uint32_t count1 = 0;
  std::uint32_t count2 = 0;
};

/// How many bytes after the end of its input the scanner may read (never
/// using their values): the caller's buffer must hold them.
inline constexpr std::size_t kScanPadding = 64;

/// Where `bytes` (what the line reader holds ahead) starts with the two
/// lines of a probe element in a plain layout, each ended by a line feed:
/// fills `out` and returns the number of bytes of both lines. Returns 0
/// where they are anything else, or are not both in `bytes`. The
/// kScanPadding bytes after `bytes` must be readable.
///
/// A plain layout: the first line is indentation, "<probe", and one blank
/// before each attribute; the second line is indentation, the attribute
/// "line" first, one blank before each further attribute, and " />". Each
/// attribute stands once, as a name of lower-case letters, digits and "_",
/// "=" and a value in double quotes that holds no ">" and no line feed;
/// numbers are decimal without a leading zero. Indentation is blanks and
/// tabs; a line may end with blanks, tabs and carriage returns.
std::size_t scanProbeElement(std::string_view bytes, ScannedProbe& out);

}  // namespace kov
