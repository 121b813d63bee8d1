// Statement coverage derived from a function's probe structure: the probes
// are fed into a tree of constructs, the tree is walked once to count
// statements, and closing probes get their reached markers.
#pragma once

#include <memory>

namespace kov {

class CoverageFile;
class CoverageFunction;
class CoverageProbe;

class StatementAnalysis {
 public:
  StatementAnalysis();
  ~StatementAnalysis();

  /// The statement step of one function of `currentFile` (a source or header
  /// file): sets the function's statement hits, all, TER and availability and
  /// the markers of its probes.
  void analyseFunction(CoverageFunction& function, CoverageFile& currentFile);

 private:
  struct State;

  void feedFunction(CoverageFunction& function, CoverageFile& currentFile);
  void followLineDirective(const CoverageProbe& probe, CoverageFile& currentFile);
  void feedProbe(CoverageProbe& probe);
  void setMarkers(bool hasTryBlock);

  std::unique_ptr<State> state_;
};

}  // namespace kov
