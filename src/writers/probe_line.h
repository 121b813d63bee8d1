// The probe lines of the profile listing: each probe as one line under the
// column heads " HITS/TRUE      FALSE    LINE DESCRIPTION", an `mcdc` probe as
// one line per MC/DC row, a line-directive probe as "#line" lines.
//
// The lines are produced once, as records, and every output that shows them
// (the text listing, the HTML report, the JSON document) renders those
// records, so that counts, marks and rows can never differ between outputs.
#pragma once

#include <cstdint>
#include <string_view>
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

/// One line of the listing below the column heads.
struct ListingLine {
  enum class Kind : std::uint8_t {
    Probe,      // a probe with its own description
    McdcRow,    // one MC/DC row of an `mcdc` probe
    Directive,  // a "#line N \"file\"" line
  };
  /// The counter cells in front of the line number.
  enum class Cells : std::uint8_t {
    True,       // the true (or only) count
    TrueFalse,  // both counts
    False,      // the false count only
    None,       // no count
  };

  Kind kind = Kind::Probe;
  Cells cells = Cells::None;
  bool covered = true;     // false: the line is marked as not fully covered
  char marker = '\0';      // statement reachability behind the text: '\0', '+' or '-'
  std::uint32_t trueCount = 0;
  std::uint32_t falseCount = 0;
  std::uint32_t line = 0;         // the number in the line cell
  std::uint64_t indentation = 0;  // nesting levels, two blanks each
  const CoverageProbe* probe = nullptr;  // the probe the line belongs to
  // The file the line number counts in: the file being written, or the
  // line-directive file whose stretch is written in place.
  const CoverageFile* lineFile = nullptr;
  std::string_view text;          // the description, the row text, or the directive's file name
  std::uint32_t directiveLine = 0;           // Directive: the line it names
  const CoverageFile* directiveFile = nullptr;  // Directive: the file it names
  std::size_t row = 0;            // McdcRow: the row's index on the probe
};

/// Receives the listing lines in order.
class ListingLineSink {
 public:
  virtual ~ListingLineSink() = default;
  virtual void line(const ListingLine& line) = 0;
};

/// Produces the listing lines of one probe of `context.function`. Follows a
/// line directive into its line-directive file (setting that file's first
/// function `listed` and the current file's `pendingPart`). Raises error 18
/// where a counter the line shows is missing.
void walkProbeLines(const CoverageProbe& probe, ListingContext& context, ListingLineSink& out);

/// Writes one listing line as the text listing shows it.
void writeListingLine(const ListingLine& line, TextSink& out);

/// Writes the listing lines of one probe (walkProbeLines, then writeListingLine).
void writeProbeLine(const CoverageProbe& probe, ListingContext& context, TextSink& out);

}  // namespace kov
