// The MC/DC tables of a decision: its evaluations (number, vector, outcome,
// count), the listing's pair row of each condition and, for a condition
// without a covered pair, what a new test must do. Everything is read from
// the MC/DC result the analysis left on the decision's `mcdc` probe.
#pragma once

#include <cstdint>
#include <string_view>

namespace kov {

class CoverageProbe;
class TextSink;

namespace html {

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
