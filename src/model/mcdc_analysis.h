// MC/DC independence pairs: turns the evaluation probes of a decision into one
// row per condition on the decision's `mcdc` probe.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kov {

class CoverageProbe;
struct McdcRows;

/// The run-long state of the analysis; probes are visited one at a time, in
/// the stored order of each function.
class McdcAnalysis {
 public:
  McdcAnalysis();
  ~McdcAnalysis();

  /// A function's MC/DC step begins: evaluations left over from an earlier
  /// decision that never met its `mcdc` probe are discarded.
  void startFunction();
  /// Visits one probe: multi_cond_t/multi_cond_f add an evaluation (MC/DC
  /// view only), an `mcdc` probe receives the rows of the pending decision,
  /// every other kind clears the pending flag.
  void visitProbe(CoverageProbe& probe, bool mcdcView);

 private:
  struct Evaluation {
    std::uint32_t number;
    bool hit;
    std::string vector;  // "T", "F" and "_" only
    const CoverageProbe* probe;
  };
  struct Pair {
    std::uint32_t trueNumber;
    std::uint32_t falseNumber;
    bool uncovered;
  };
  // The pairs of one decision, one list per condition position.
  using PairsByCondition = std::vector<std::vector<Pair>>;

  void addEvaluation(const CoverageProbe& probe, bool outcome);
  PairsByCondition computePairs() const;
  void keepEvaluations(McdcRows& result);
  void discardEvaluations();

  std::vector<Evaluation> trueEvaluations_;
  std::vector<Evaluation> falseEvaluations_;
  std::uint32_t nextNumber_ = 1;
  bool pending_ = false;
};

}  // namespace kov
