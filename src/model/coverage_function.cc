#include "model/coverage_function.h"

#include <algorithm>
#include <limits>

#include "base/diagnostic.h"
#include "model/coverage_file.h"
#include "model/coverage_view.h"
#include "model/mcdc_analysis.h"

namespace kov {

// The stored linedir_in_function probes per header file, in stored order, so
// that the directive rule does not scan the whole function for each probe.
struct CoverageFunction::LinedirIndex {
  std::unordered_map<const CoverageFile*, std::vector<CoverageProbe*>> byHeader;
};

namespace {

bool lineBefore(std::uint32_t line, const std::unique_ptr<CoverageProbe>& probe) {
  return line < probe->line;
}

}  // namespace

CoverageFunction::CoverageFunction(std::string name, std::uint32_t definitionLine,
                                   std::string parameters, const FunctionRecord& record)
    : name(std::move(name)),
      definitionLine(definitionLine),
      parameters(std::move(parameters)),
      shownLine(record.startLine),
      lowestHeaderLine(record.headerLine),
      callCount(record.callCount),
      totalExecutionCost(record.totalExecutionCost),
      maxExecutionCost(record.maxExecutionCost),
      originFile(record.originFile),
      originName(record.name),
      originLine(record.definitionLine),
      originParameters(record.parameters) {}

CoverageFunction::~CoverageFunction() = default;

void CoverageFunction::mergeFrom(const FunctionRecord& record) {
  // The call count saturates like the probe counters: a wrapped count would
  // show a busy function as hardly called.
  std::uint32_t calls = callCount + record.callCount;
  callCount = calls < callCount ? std::numeric_limits<std::uint32_t>::max() : calls;
  totalExecutionCost += record.totalExecutionCost;
  maxExecutionCost = std::max(maxExecutionCost, record.maxExecutionCost);
  shownLine = std::max(shownLine, record.startLine);
  lowestHeaderLine = std::min(lowestHeaderLine, record.headerLine);
}

void CoverageFunction::setStatementAvailability(std::string_view text) {
  if (text == "no") statementAvailable = false;
}

void CoverageFunction::addLineDirectiveFileName(std::string fileName) {
  if (std::find(lineDirectiveFileNames.begin(), lineDirectiveFileNames.end(), fileName) ==
      lineDirectiveFileNames.end()) {
    lineDirectiveFileNames.push_back(std::move(fileName));
  }
}

void CoverageFunction::addProbe(ProbeRecord&& record) {
  if (isConditionPart(record.kind)) {
    record.parentDescription = lastDescription;
  } else {
    lastDescription = record.description;
  }

  // The record is matched as it is; a probe is built only where it is stored.
  CoverageProbe* target = nullptr;
  if (record.kind == ProbeKind::Function) {
    // A function probe starts another occurrence of the function: it merges
    // into the stored function probe, or is stored where there is none.
    if (!probes_.empty()) {
      ++reportMerges;
      unmergedCursor_ = 0;
      target = firstProbeOfKind(ProbeKind::Function);
    }
  } else if (reportMerges == 0) {
    // First occurrence of the function: every probe is stored as read.
  } else if (record.kind == ProbeKind::LinedirInFunction) {
    if (record.headerFile != nullptr && record.headerFile->fileType == kLineDirectiveFile) {
      if (CoverageFunction* part = record.headerFile->firstFunction()) {
        ++part->reportMerges;
        part->unmergedCursor_ = 0;
      }
    }
    target = applyDirectiveRule(record);
  } else {
    target = findMatchingProbe(record);
  }

  if (target != nullptr) {
    target->mergeFrom(record);
  } else {
    insertProbe(std::make_unique<CoverageProbe>(std::move(record)));
  }
}

bool CoverageFunction::restoreProbe(std::unique_ptr<CoverageProbe> probe) {
  if (!probes_.empty() && probes_.back()->line > probe->line) return false;
  insertProbe(std::move(probe));
  return true;
}

bool CoverageFunction::isCandidate(std::size_t index, const ProbeRecord& fresh) const {
  return CoverageProbe::isSameProbe(*probes_[index], fresh);
}

std::size_t CoverageFunction::firstAtLine(std::uint32_t line) const {
  std::size_t hint = searchHint_;
  if (hint < lines_.size() && lines_[hint] == line) {
    while (hint > 0 && lines_[hint - 1] == line) --hint;
    return hint;
  }
  return static_cast<std::size_t>(std::lower_bound(lines_.begin(), lines_.end(), line) -
                                  lines_.begin());
}

CoverageProbe* CoverageFunction::findMatchingProbe(const ProbeRecord& fresh) {
  const std::size_t begin = firstAtLine(fresh.line);
  std::size_t end = begin;
  while (end < lines_.size() && lines_[end] == fresh.line) ++end;

  CoverageProbe* onlyCandidate = nullptr;
  std::size_t candidates = 0;
  for (std::size_t i = begin; i != end; ++i) {
    if (isCandidate(i, fresh)) {
      if (candidates++ == 0) {
        onlyCandidate = probes_[i].get();
        searchHint_ = i + 1;
      }
    }
  }

  if (candidates == 0) {
    statementAvailable = false;
    return nullptr;
  }
  if (candidates == 1) {
    if (onlyCandidate->statementCount != fresh.statementCount) {
      statementAvailable = false;
    } else if (statementAvailable && earlierProbeMissing(fresh.line)) {
      statementAvailable = false;
    }
    return onlyCandidate;
  }

  // Several equal probes on one line: their statement counts tell them apart
  // where they differ.
  bool allSameCount = true;
  CoverageProbe* lastCandidate = nullptr;
  CoverageProbe* sameCount = nullptr;
  for (std::size_t i = begin; i != end; ++i) {
    if (!isCandidate(i, fresh)) continue;
    CoverageProbe* candidate = probes_[i].get();
    if (lastCandidate != nullptr && candidate->statementCount != lastCandidate->statementCount) {
      allSameCount = false;
    }
    if (sameCount == nullptr && candidate->statementCount == fresh.statementCount) {
      sameCount = candidate;
    }
    lastCandidate = candidate;
  }
  if (allSameCount) {
    statementAvailable = false;
    return lastCandidate;
  }
  if (sameCount == nullptr) statementAvailable = false;
  return sameCount;
}

bool CoverageFunction::earlierProbeMissing(std::uint32_t line) {
  // Probes are merged in line order, so the first probe that this report has
  // not merged yet only moves forward; the cursor keeps the scan linear.
  while (unmergedCursor_ < probes_.size() &&
         probes_[unmergedCursor_]->mergeCount >= reportMerges) {
    ++unmergedCursor_;
  }
  return unmergedCursor_ < probes_.size() && probes_[unmergedCursor_]->line < line;
}

CoverageProbe* CoverageFunction::applyDirectiveRule(const ProbeRecord& fresh) {
  static const std::vector<CoverageProbe*> kNone;
  const std::vector<CoverageProbe*>* candidates = &kNone;
  if (linedirIndex_) {
    auto it = linedirIndex_->byHeader.find(fresh.headerFile);
    if (it != linedirIndex_->byHeader.end()) candidates = &it->second;
  }

  if (candidates->empty()) {
    statementAvailable = false;
    return nullptr;
  }
  if (candidates->size() == 1) {
    CoverageProbe* only = candidates->front();
    if (only->line == fresh.line) return only;
    if (only->line < fresh.line) eraseProbe(only);  // the new directive replaces it
    statementAvailable = false;
    return nullptr;
  }
  auto it = std::lower_bound(candidates->begin(), candidates->end(), fresh.line,
                             [](const CoverageProbe* p, std::uint32_t line) { return p->line < line; });
  return it != candidates->end() && (*it)->line == fresh.line ? *it : nullptr;
}

CoverageProbe* CoverageFunction::firstProbeOfKind(ProbeKind kind) const {
  for (const auto& probe : probes_) {
    if (probe->kind == kind) return probe.get();
  }
  return nullptr;
}

void CoverageFunction::insertProbe(std::unique_ptr<CoverageProbe> probe) {
  // Reports list probes by line, so a probe mostly goes to the end.
  auto position = !probes_.empty() && probes_.back()->line <= probe->line
                      ? probes_.end()
                      : std::upper_bound(probes_.begin(), probes_.end(), probe->line, lineBefore);
  std::size_t index = static_cast<std::size_t>(position - probes_.begin());
  CoverageProbe* raw = probe.get();
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index), raw->line);
  probes_.insert(position, std::move(probe));
  unmergedCursor_ = std::min(unmergedCursor_, index);
  searchHint_ = index + 1;

  if (raw->kind == ProbeKind::LinedirInFunction) {
    if (!linedirIndex_) linedirIndex_ = std::make_unique<LinedirIndex>();
    std::vector<CoverageProbe*>& list = linedirIndex_->byHeader[raw->headerFile];
    auto at = std::upper_bound(list.begin(), list.end(), raw->line,
                               [](std::uint32_t line, const CoverageProbe* p) { return line < p->line; });
    list.insert(at, raw);
  }
}

void CoverageFunction::eraseProbe(CoverageProbe* probe) {
  if (probe->kind == ProbeKind::LinedirInFunction && linedirIndex_) {
    std::vector<CoverageProbe*>& list = linedirIndex_->byHeader[probe->headerFile];
    list.erase(std::find(list.begin(), list.end(), probe));
  }
  auto it = std::find_if(probes_.begin(), probes_.end(),
                         [probe](const std::unique_ptr<CoverageProbe>& p) { return p.get() == probe; });
  std::size_t index = static_cast<std::size_t>(it - probes_.begin());
  probes_.erase(it);
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index));
  if (index < unmergedCursor_) --unmergedCursor_;
}

void CoverageFunction::processFunction(McdcAnalysis& mcdc, bool mcdcView) {
  lastDescription.clear();
  lastDescription.shrink_to_fit();
  if (callCount != 0) {
    averageExecutionCost =
        static_cast<double>(static_cast<std::int32_t>(totalExecutionCost)) / callCount;
  }

  for (auto& probe : probes_) probe->readEvaluationNumber();

  mcdc.startFunction();
  for (auto& probe : probes_) mcdc.visitProbe(*probe, mcdcView);

  guardRange(diag::kRangeLineCount, [&] {
    std::vector<std::uint32_t> ends;
    for (const auto& probe : probes_) {
      if (probe->kind == ProbeKind::Function || probe->kind == ProbeKind::FunctionEndNr ||
          probe->kind == ProbeKind::FunctionEnd) {
        ends.push_back(probe->line);
        if (ends.size() > 2) break;
      }
    }
    if (ends.size() == 2) lineCount = ends.at(1) - ends.at(0) + 1;
  });

  for (const auto& probe : probes_) {
    if (probe->kind == ProbeKind::FunctionTryBlock) {
      hasTryBlock = true;
      probes_.back()->endMarker = false;
      break;
    }
  }

  for (const auto& probe : probes_) {
    HitsAll counted = probe->countForView(mcdcView);
    hits += counted.hits;
    all += counted.all;
  }
  if (all != 0) terValue = ter(hits, all);
}

}  // namespace kov
