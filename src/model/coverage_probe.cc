#include "model/coverage_probe.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "base/diagnostic.h"

namespace kov {
namespace {

std::uint32_t saturatingAdd(std::uint32_t a, std::uint32_t b) {
  std::uint32_t sum = a + b;
  return sum < a ? std::numeric_limits<std::uint32_t>::max() : sum;
}

// mcdc descriptions that differ only in their "+"/"-" marks describe the same
// decision: the marks are results, not identity.
bool sameUpToMarks(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i] == '-' ? '+' : a[i];
    char y = b[i] == '-' ? '+' : b[i];
    if (x != y) return false;
  }
  return true;
}

}  // namespace

CoverageProbe::CoverageProbe(ProbeRecord&& record)
    : kind(record.kind),
      counterLayout(record.counterLayout),
      line(record.line),
      shownLine(record.listedLine),
      lowestHeaderLine(record.headerLine),
      nesting(record.nesting),
      statementCount(record.statementCount),
      counters(record.counters),
      description(std::move(record.description)),
      headerFile(record.headerFile) {
  if (!record.parentDescription.empty()) {
    rare().parentDescription = std::move(record.parentDescription);
  }
  computeOwnCounts();
}

struct CoverageProbe::Fresh {
  std::uint32_t line;
  ProbeKind kind;
  std::uint32_t nesting;
  std::uint32_t statementCount;
  std::uint32_t shownLine;
  std::uint32_t headerLine;
  std::array<std::uint32_t, 2> counters;
  std::string_view description;
  std::string_view parentDescription;

  explicit Fresh(const CoverageProbe& p)
      : line(p.line), kind(p.kind), nesting(p.nesting), statementCount(p.statementCount),
        shownLine(p.shownLine), headerLine(p.lowestHeaderLine), counters(p.counters),
        description(p.description), parentDescription(p.parentDescription()) {}
  explicit Fresh(const ProbeRecord& r)
      : line(r.line), kind(r.kind), nesting(r.nesting), statementCount(r.statementCount),
        shownLine(r.listedLine), headerLine(r.headerLine), counters(r.counters),
        description(r.description), parentDescription(r.parentDescription) {}
};

bool CoverageProbe::isSameProbe(const CoverageProbe& stored, const CoverageProbe& fresh) {
  return isSame(stored, Fresh(fresh));
}

bool CoverageProbe::isSameProbe(const CoverageProbe& stored, const ProbeRecord& fresh) {
  return isSame(stored, Fresh(fresh));
}

bool CoverageProbe::isSame(const CoverageProbe& stored, const Fresh& fresh) {
  if (stored.line != fresh.line || stored.kind != fresh.kind || stored.nesting != fresh.nesting) {
    return false;
  }
  if (stored.rare_ && !stored.rare_->parentDescription.empty() &&
      stored.rare_->parentDescription != fresh.parentDescription) {
    return false;
  }
  if (stored.kind == ProbeKind::Mcdc) return sameUpToMarks(stored.description, fresh.description);
  return stored.description == fresh.description;
}

void CoverageProbe::mergeFrom(const CoverageProbe& other) { merge(Fresh(other)); }

void CoverageProbe::mergeFrom(const ProbeRecord& other) { merge(Fresh(other)); }

void CoverageProbe::merge(const Fresh& other) {
  guardRange(diag::kRangeProbeMerge, [&] {
    const bool seen = rare_ && !rare_->statementCountsSeen.empty();
    if (seen || other.statementCount != statementCount) {
      std::vector<CountRun>& counts = rare().statementCountsSeen;
      if (counts.empty()) counts.push_back(CountRun{statementCount, reportCount()});
      if (counts.back().count == other.statementCount) {
        ++counts.back().reports;
      } else {
        counts.push_back({other.statementCount, 1});
      }
    }
    ++mergeCount;
    shownLine = std::max(shownLine, other.shownLine);
    lowestHeaderLine = std::min(lowestHeaderLine, other.headerLine);
    for (std::size_t i = 0; i < 2; ++i) counters.at(i) = saturatingAdd(counters.at(i), other.counters.at(i));
    if (counterLayout == CounterLayout::ConstTrue || counterLayout == CounterLayout::ConstFalse) {
      counterLayout = counters.at(1) > 0 ? CounterLayout::ConstFalse : CounterLayout::ConstTrue;
    }
  });
  computeOwnCounts();
}

void CoverageProbe::computeOwnCounts() {
  guardRange(diag::kRangeProbeCounts, [&] {
    const bool first = counters.at(0) > 0;
    const bool second = counters.at(1) > 0;
    switch (kind) {
      case ProbeKind::Function: case ProbeKind::Return: case ProbeKind::MultiCondT:
      case ProbeKind::Case: case ProbeKind::Default: case ProbeKind::Break: case ProbeKind::Try:
      case ProbeKind::Throw: case ProbeKind::Catch: case ProbeKind::UserCounter:
      case ProbeKind::Lambda: case ProbeKind::LambdaEnd: case ProbeKind::FunctionEnd:
      case ProbeKind::Goto: case ProbeKind::Continue: case ProbeKind::WhileDecl:
      case ProbeKind::ForDecl: case ProbeKind::ForRange: case ProbeKind::ForEachRangeVc:
      case ProbeKind::ForeachRangeCsharp: case ProbeKind::SehTry: case ProbeKind::SehLeave:
      case ProbeKind::SehFinally: case ProbeKind::SehExcept:
        all = 1;
        hits = first ? 1 : 0;
        break;
      case ProbeKind::If: case ProbeKind::ElseIf: case ProbeKind::While: case ProbeKind::For:
      case ProbeKind::Ternary: case ProbeKind::DoWhile: case ProbeKind::SubCond:
      case ProbeKind::ExprAndor:
        all = 2;
        hits = (first ? 1 : 0) + (second ? 1 : 0);
        break;
      case ProbeKind::MultiCondF:
        all = 1;
        hits = second ? 1 : 0;
        break;
      case ProbeKind::ConstIf: case ProbeKind::ConstElseIf: case ProbeKind::ConstWhile:
      case ProbeKind::ConstFor: case ProbeKind::ConstDoWhile: case ProbeKind::ConstTernary:
        all = 1;
        hits = (counterLayout == CounterLayout::ConstTrue ? first : second) ? 1 : 0;
        break;
      case ProbeKind::Linedir:
        break;  // a plain line directive never counts; its figures stay as they are
      default:
        all = 0;
        hits = 0;
        break;
    }
  });
}

HitsAll CoverageProbe::countForView(bool mcdcView) const {
  if (kind == ProbeKind::Mcdc) {
    HitsAll result;
    const McdcRows* mcdc = mcdcRows();
    if (mcdc == nullptr) return result;
    result.all = static_cast<std::uint32_t>(mcdc->rows.size());
    for (const std::string& row : mcdc->rows) {
      if (row.find('+') != std::string::npos) ++result.hits;
    }
    return result;
  }
  if (mcdcView && (kind == ProbeKind::MultiCondT || kind == ProbeKind::MultiCondF)) return {};
  return {hits, all};
}

void CoverageProbe::readEvaluationNumber() {
  if (kind != ProbeKind::MultiCondT && kind != ProbeKind::MultiCondF) return;
  std::size_t colon = description.find(':');
  if (colon == std::string::npos) {
    evaluationNumber = 0;
    return;
  }
  std::string_view text(description.data(), colon);
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = std::min<std::int64_t>(value * 10 + (text[i] - '0'), std::int64_t{1} << 32);
  }
  evaluationNumber = static_cast<std::uint32_t>(negative ? -value : value);
}

std::string CoverageProbe::statementCountText() const {
  if (!rare_ || rare_->statementCountsSeen.empty()) return std::to_string(statementCount);
  std::string text;
  for (const CountRun& run : rare_->statementCountsSeen) {
    const std::string count = std::to_string(run.count);
    for (std::uint32_t i = 0; i < run.reports; ++i) {
      if (!text.empty()) text += ", ";
      text += count;
    }
  }
  return text;
}

bool CoverageProbe::restoreStatementCounts(std::vector<CountRun> runs) {
  if (runs.size() < 2 || runs.front().count != statementCount) return false;
  std::uint64_t reports = 0;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    if (runs[i].reports == 0 || (i > 0 && runs[i].count == runs[i - 1].count)) return false;
    reports += runs[i].reports;
  }
  if (reports != std::uint64_t{mergeCount} + 1) return false;
  rare().statementCountsSeen = std::move(runs);
  return true;
}

void CoverageProbe::addMcdcRow(std::uint32_t condition, std::string row) {
  McdcRows& mcdc = mcdcResult();
  mcdc.conditions.push_back(condition);
  mcdc.rows.push_back(std::move(row));
}

McdcRows& CoverageProbe::mcdcResult() {
  std::unique_ptr<McdcRows>& mcdc = rare().mcdc;
  if (!mcdc) mcdc = std::make_unique<McdcRows>();
  return *mcdc;
}

}  // namespace kov
