// The probe lines of the profile listing: each probe as one line under the
// column heads " HITS/TRUE      FALSE    LINE DESCRIPTION", an `mcdc` probe as
// one line per MC/DC row, a line-directive probe as "#line" lines.
#pragma once

#include <vector>

namespace kov {

class CoverageFile;
class CoverageFunction;
class CoverageProbe;
class TextSink;

/// What the lines of a probe depend on besides the probe itself.
struct ListingContext {
  bool mcdcView = false;                 // the requested view is the MC/DC view
  CoverageFile* file = nullptr;          // the file being written
  CoverageFunction* function = nullptr;  // the function being written
  // Line-directive functions whose lines are being written right now; a
  // directive back into one of them writes nothing instead of expanding it again.
  std::vector<const CoverageFunction*> expanding;
};

/// Writes the listing lines of one probe of `context.function`. Follows a
/// line directive into its line-directive file (setting that file's first
/// function `listed` and the current file's `pendingPart`). Raises error 18
/// where a counter the line shows is missing.
void writeProbeLine(const CoverageProbe& probe, ListingContext& context, TextSink& out);

}  // namespace kov
