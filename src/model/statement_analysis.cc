#include "model/statement_analysis.h"

#include <new>
#include <stdexcept>
#include <vector>

#include "base/diagnostic.h"
#include "model/coverage_file.h"
#include "model/coverage_function.h"
#include "model/coverage_view.h"
#include "model/statement_tree.h"
#include "model/statement_walk.h"

namespace kov {

namespace {

bool endsFunction(ProbeKind kind) {
  return kind == ProbeKind::FunctionEnd || kind == ProbeKind::FunctionEndNr;
}

// One function whose probes are being fed: the analysed function itself or
// the stretch that a line directive brought into it.
struct FeedFrame {
  CoverageFunction* function;
  std::size_t nextProbe = 0;
  CoverageFile* lineDirectiveFile = nullptr;  // the stretch's file; none for the analysed function
};

}  // namespace

struct StatementAnalysis::State {
  StatementTree tree;
  // The fed probes that may take a marker, in feeding order.
  std::vector<CoverageProbe*> markerProbes;
  std::vector<FeedFrame> frames;
};

StatementAnalysis::StatementAnalysis() : state_(std::make_unique<State>()) {}
StatementAnalysis::~StatementAnalysis() = default;

void StatementAnalysis::analyseFunction(CoverageFunction& function, CoverageFile& currentFile) {
  const auto& probes = function.probes();
  if (probes.empty() || probes.front()->kind != ProbeKind::Function) {
    function.statementAvailable = false;
  }
  if (!function.statementAvailable) return;

  StatementFigures figures;
  try {
    feedFunction(function, currentFile);
    figures = walkStatementTree(state_->tree);
  } catch (const std::out_of_range& error) {
    raise(diag::kRangeStatementFeed, error.what());
  } catch (const std::bad_alloc&) {
    raise(diag::kOutOfMemory);
  }
  function.statementHits = figures.hits;
  function.statementAll = figures.all;
  if (figures.all != 0) {
    setMarkers(function.hasTryBlock);
    function.statementTer = ter(figures.hits, figures.all);
  } else {
    function.statementAvailable = false;
  }
  state_->markerProbes.clear();
  state_->tree.reset();
}

// Feeds the function's probes in stored order, splicing in the stretches of
// line-directive files where a directive leads to one. The splicing nests
// through an explicit stack, so input cannot make the call stack deep.
void StatementAnalysis::feedFunction(CoverageFunction& function, CoverageFile& currentFile) {
  State& state = *state_;
  state.tree.reset();
  state.markerProbes.clear();
  state.frames.clear();
  state.frames.push_back({&function});
  while (!state.frames.empty()) {
    FeedFrame& frame = state.frames.back();
    const auto& probes = frame.function->probes();
    if (frame.nextProbe == probes.size()) {
      if (frame.lineDirectiveFile != nullptr) {
        // A stretch that ran to the function's end needs no return directive.
        currentFile.pendingPart = frame.function->headerWalked ? nullptr : frame.lineDirectiveFile;
      }
      state.frames.pop_back();
      continue;
    }
    CoverageProbe& probe = *probes[frame.nextProbe++];
    if (probe.kind == ProbeKind::LinedirInFunction) {
      followLineDirective(probe, currentFile);  // may add a frame: `frame` is stale now
      continue;
    }
    if (frame.lineDirectiveFile != nullptr && endsFunction(probe.kind)) {
      frame.function->headerWalked = true;
    }
    feedProbe(probe);
  }
}

void StatementAnalysis::followLineDirective(const CoverageProbe& probe, CoverageFile& currentFile) {
  CoverageFile* target = probe.headerFile;
  if (target == nullptr) return;
  if (target->fileType != kLineDirectiveFile) {
    // The directive leads back: the pending stretch is done.
    if (currentFile.pendingPart == nullptr) return;
    if (CoverageFunction* stretch = currentFile.pendingPart->firstFunction()) {
      stretch->headerWalked = true;
    }
    currentFile.pendingPart = nullptr;
    return;
  }
  CoverageFunction* stretch = target->firstFunction();
  // A stretch already walked, or one being fed further up (a directive that
  // leads into its own file), is not fed again.
  bool beingFed = false;
  for (const FeedFrame& frame : state_->frames) beingFed |= frame.function == stretch;
  if (stretch == nullptr || stretch->headerWalked || beingFed) {
    currentFile.pendingPart = target;
    return;
  }
  state_->frames.push_back({stretch, 0, target});
}

void StatementAnalysis::feedProbe(CoverageProbe& probe) {
  const std::uint8_t code = statementCodeOf(probe.kind);
  if (code == stmt::kNone) return;
  state_->tree.feed(code, probe.statementCount, probe.counters.at(0), probe.counters.at(1),
                    normaliseStatementText(probe.kind, probe.description));
  if (stmt::isMarkerCode(code)) state_->markerProbes.push_back(&probe);
}

void StatementAnalysis::setMarkers(bool hasTryBlock) {
  StatementMarkerCursor markers(state_->tree);
  for (CoverageProbe* probe : state_->markerProbes) {
    switch (probe->kind) {
      case ProbeKind::Case:
      case ProbeKind::Default:
      case ProbeKind::Label:
        // Only a reached jump target is marked; an unreached one keeps no marker.
        if (markers.next() == 1) probe->reached = 1;
        break;
      case ProbeKind::BlockEnd:
        if (probe->endMarker) probe->reached = static_cast<std::int8_t>(markers.next());
        break;
      case ProbeKind::FunctionEnd:
      case ProbeKind::FunctionEndNr:
        if (hasTryBlock) probe->reached = static_cast<std::int8_t>(markers.next());
        break;
      default:  // lambda_end, lambda_end_nr
        probe->reached = static_cast<std::int8_t>(markers.next());
    }
    if (probe->reached == 1) probe->marker = '+';
    if (probe->reached == 0) probe->marker = '-';
  }
}

}  // namespace kov
