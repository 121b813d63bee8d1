// MC/DC independence pairs: turns the evaluation probes of a decision into one
// row per condition on the decision's `mcdc` probe.
#pragma once

namespace kov {

class CoverageProbe;

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
};

}  // namespace kov
