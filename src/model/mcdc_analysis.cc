#include "model/mcdc_analysis.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <string_view>

#include "base/diagnostic.h"
#include "model/coverage_probe.h"

namespace kov {

namespace {

// The value of a condition in an evaluation; positions past the end of a
// short vector were not evaluated.
char conditionValue(std::string_view vector, std::size_t position) {
  return position < vector.size() ? vector[position] : '_';
}

// Whether two values of a condition other than the one under test keep the
// decision comparable: equal, or either one not evaluated.
bool compatible(char a, char b) {
  return a == b || a == '_' || b == '_';
}

void appendPair(std::string& text, std::uint32_t trueNumber, bool uncovered,
                std::uint32_t falseNumber) {
  text += std::to_string(trueNumber);
  text += uncovered ? " - " : " + ";
  text += std::to_string(falseNumber);
}

}  // namespace

McdcAnalysis::McdcAnalysis() = default;
McdcAnalysis::~McdcAnalysis() = default;

void McdcAnalysis::startFunction() {
  discardEvaluations();
  pending_ = false;
}

void McdcAnalysis::discardEvaluations() {
  trueEvaluations_.clear();
  falseEvaluations_.clear();
  nextNumber_ = 1;
}

void McdcAnalysis::visitProbe(CoverageProbe& probe, bool mcdcView) {
  const bool outcome = probe.kind == ProbeKind::MultiCondT;
  if (outcome || probe.kind == ProbeKind::MultiCondF) {
    pending_ = mcdcView;
    if (mcdcView) addEvaluation(probe, outcome);
    return;
  }
  const bool decisionEnds = probe.kind == ProbeKind::Mcdc && pending_;
  pending_ = false;
  if (!decisionEnds) return;
  try {
    const PairsByCondition pairs = computePairs();
    McdcRows& result = probe.mcdcResult();
    result.conditionCount = static_cast<std::uint32_t>(pairs.size());
    keepEvaluations(result);
    discardEvaluations();
    for (std::size_t position = 0; position < pairs.size(); ++position) {
      const std::vector<Pair>& run = pairs[position];
      if (run.empty()) continue;  // no pair shows this condition's effect: no row
      // The first covered pair is selected, else the first pair; the others follow it.
      const auto selected =
          std::find_if(run.begin(), run.end(), [](const Pair& pair) { return !pair.uncovered; });
      const Pair& chosen = selected == run.end() ? run.front() : *selected;
      const auto condition = static_cast<std::uint32_t>(position + 1);
      std::string row = "MC/DC (cond " + std::to_string(condition) + "): ";
      std::vector<McdcPair> listed{{chosen.trueNumber, chosen.falseNumber, chosen.uncovered}};
      appendPair(row, chosen.trueNumber, chosen.uncovered, chosen.falseNumber);
      for (const Pair& pair : run) {
        if (pair.trueNumber == chosen.trueNumber && pair.falseNumber == chosen.falseNumber) {
          continue;
        }
        row += ", ";
        appendPair(row, pair.trueNumber, pair.uncovered, pair.falseNumber);
        listed.push_back({pair.trueNumber, pair.falseNumber, pair.uncovered});
      }
      probe.addMcdcRow(condition, std::move(row));
      result.pairs.push_back(std::move(listed));
    }
  } catch (const std::out_of_range& error) {
    raise(diag::kRangeMcdcRows, error.what());
  } catch (const std::bad_alloc&) {
    raise(diag::kOutOfMemory);
  }
}

void McdcAnalysis::addEvaluation(const CoverageProbe& probe, bool outcome) {
  std::string vector;
  for (char c : probe.description) {
    if (c == 'T' || c == 'F' || c == '_') vector += c;
  }
  auto& list = outcome ? trueEvaluations_ : falseEvaluations_;
  list.push_back({nextNumber_++, probe.hits != 0, std::move(vector), &probe});
}

// The decision's evaluations in number order, for the outputs that show them.
void McdcAnalysis::keepEvaluations(McdcRows& result) {
  result.evaluations.reserve(trueEvaluations_.size() + falseEvaluations_.size());
  auto t = trueEvaluations_.begin();
  auto f = falseEvaluations_.begin();
  while (t != trueEvaluations_.end() || f != falseEvaluations_.end()) {
    const bool takeTrue =
        f == falseEvaluations_.end() || (t != trueEvaluations_.end() && t->number < f->number);
    Evaluation& next = takeTrue ? *t++ : *f++;
    result.evaluations.push_back({next.number, takeTrue, next.probe, std::move(next.vector)});
  }
}

// A pair (a, b) shows the effect of condition i when a and b differ at i and
// are compatible everywhere else. So per pair of evaluations the positions
// where they conflict (both evaluated, different) are found once: with none,
// every differing position has the pair; with exactly one, that position has
// it; with more, none has.
McdcAnalysis::PairsByCondition McdcAnalysis::computePairs() const {
  if (trueEvaluations_.empty()) return {};  // no vector to take the length from: no rows
  const std::size_t length = trueEvaluations_.front().vector.size();
  PairsByCondition pairs(length);
  std::vector<std::size_t> differing;
  for (const Evaluation& a : trueEvaluations_) {
    for (const Evaluation& b : falseEvaluations_) {
      differing.clear();
      std::size_t conflicts = 0;
      std::size_t conflict = 0;
      for (std::size_t j = 0; j < length && conflicts < 2; ++j) {
        const char x = conditionValue(a.vector, j);
        const char y = conditionValue(b.vector, j);
        if (x == y) continue;
        differing.push_back(j);
        if (!compatible(x, y)) {
          ++conflicts;
          conflict = j;
        }
      }
      if (conflicts >= 2) continue;
      const Pair pair{a.number, b.number, !a.hit || !b.hit};
      if (conflicts == 1) {
        pairs[conflict].push_back(pair);
      } else {
        for (std::size_t position : differing) pairs[position].push_back(pair);
      }
    }
  }
  return pairs;
}

}  // namespace kov
