// Cleaning of one report line before its tag and text are cut out: the
// element mode for lines that start an element, the continuation mode for
// the second line of a probe element.
#pragma once

#include <string_view>

namespace kov {

/// What is wrong with a line, if anything.
enum class LineFault {
  kNone,
  kNotReport,  // a delimiter the layout promises is missing (error 12)
  kTooLong,    // a continuation line that does not end with ">" (error 23)
};

/// A cleaned line: a slice of the raw line, valid as long as the raw line.
struct CleanedLine {
  std::string_view text;
  LineFault fault = LineFault::kNone;
};

/// Element mode: from the first "<" to the last ">"; a line without ">" must
/// hold "<probe" and ends after its last double quote instead.
CleanedLine cleanElementLine(std::string_view raw);

/// Continuation mode: from the first letter "l", which must be followed
/// somewhere by "line=", to the last ">" (or as in element mode); the result
/// must end with ">".
CleanedLine cleanContinuationLine(std::string_view raw);

}  // namespace kov
