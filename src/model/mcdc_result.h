// What the MC/DC analysis leaves on a decision's `mcdc` probe: the listing's
// row texts, and the evaluations and pairs they were made from, for the
// outputs that show a decision in more detail than the listing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kov {

class CoverageProbe;

/// One evaluation of a decision's conditions, numbered by the MC/DC analysis.
struct McdcEvaluation {
  std::uint32_t number = 0;
  bool outcome = false;                  // the decision's value: true for multi_cond_t
  const CoverageProbe* probe = nullptr;  // its multi_cond_t or multi_cond_f probe; not owned
  std::string vector;                    // "T", "F" or "_" per condition, in condition order

  /// Whether the evaluation occurred (its probe's hits).
  bool executed() const;
  /// How often it occurred: the counter of its outcome.
  std::uint32_t count() const;
};

/// A pair of evaluations that differ in one condition only and so show its effect.
struct McdcPair {
  std::uint32_t trueNumber = 0;
  std::uint32_t falseNumber = 0;
  bool uncovered = false;  // either evaluation never occurred
};

/// One evaluation that a test still has to bring about for a condition: it
/// would complete the pair (run, partner).
struct McdcNeed {
  std::uint32_t run = 0;        // an evaluation that never occurred
  std::uint32_t partner = 0;    // the evaluation of the pair it completes
  bool partnerExecuted = false; // false: the partner never occurred either
};

/// The MC/DC result of a decision, kept on its `mcdc` probe: one row text per
/// condition that has a pair, with the condition's number and pairs, and the
/// evaluations the pairs were made from.
struct McdcRows {
  std::vector<std::string> rows;
  std::vector<std::uint32_t> conditions;
  /// The pairs of each row's condition as the row lists them: the selected
  /// pair first, then the others.
  std::vector<std::vector<McdcPair>> pairs;
  /// Every evaluation of the decision, in number order.
  std::vector<McdcEvaluation> evaluations;
  /// The number of conditions (the length of the first true evaluation's
  /// vector); conditions without a pair have no row.
  std::uint32_t conditionCount = 0;

  /// The evaluation of a number, or nullptr.
  const McdcEvaluation* evaluation(std::uint32_t number) const;
  /// Whether the condition of row `index` has a covered pair.
  bool rowCovered(std::size_t index) const;
  /// What a new test must run so that the condition of row `index` gets a
  /// covered pair (nothing where it has one already).
  std::vector<McdcNeed> needsOf(std::size_t index) const;
};

}  // namespace kov
