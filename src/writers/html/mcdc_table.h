// The MC/DC tables of a decision: its evaluations (number, vector, outcome,
// count), the listing's pair row of each condition and, for a condition
// without a covered pair, what a new test must do. Everything is read from
// the MC/DC result the analysis left on the decision's `mcdc` probe.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_map>

#include "writers/probe_line.h"

namespace kov {

class CoverageProbe;
class TextSink;

namespace html {

/// Follows a function's listing lines and tells after which line the MC/DC
/// tables of a decision stand: after its last MC/DC row, or, for a decision
/// without any pair (and so without rows), after its last evaluation.
class McdcTracker {
 public:
  /// A function's lines begin; `mcdcView`: the view in force is the MC/DC
  /// view (only then does a decision have evaluations).
  void beginFunction(const CoverageFunction& function, bool mcdcView);
  /// The `mcdc` probe of the decision whose tables begin at `line` (its
  /// first row, or its last evaluation), or nullptr. Lines are given in order.
  const CoverageProbe* decisionAt(const ListingLine& line) {
    // Most lines are none of the lines that matter here.
    const bool matters = line.kind == ListingLine::Kind::McdcRow
                             ? line.row == 0
                             : line.kind == ListingLine::Kind::Probe &&
                                   (line.cells == ListingLine::Cells::TrueFalse || !withoutRows_.empty());
    return matters ? decisionAtLine(line) : nullptr;
  }
  /// The decision's text for the caption: the line with both counts just
  /// before its rows, or else the `mcdc` probe's own text.
  std::string_view decisionText(const ListingLine& line, const CoverageProbe& mcdc) const;

 private:
  const CoverageProbe* decisionAtLine(const ListingLine& line);

  std::unordered_map<const CoverageProbe*, const CoverageProbe*> withoutRows_;
  std::string_view decision_;
  const CoverageFile* decisionFile_ = nullptr;
  std::uint32_t decisionLine_ = 0;
};

/// Whether the decision of an `mcdc` probe has a table to show (evaluations).
bool hasMcdcTables(const CoverageProbe& mcdc);

/// Whether a condition of the decision lacks a covered pair.
bool mcdcIncomplete(const CoverageProbe& mcdc);

/// Writes the tables of the decision that `mcdc` ends; `decision` is the
/// decision's text and `line` its line, for the caption.
void putMcdcTables(TextSink& out, const CoverageProbe& mcdc, std::string_view decision,
                   std::uint32_t line);

}  // namespace html
}  // namespace kov
