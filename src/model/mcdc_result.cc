#include "model/mcdc_result.h"

#include <algorithm>

#include "model/coverage_probe.h"

namespace kov {

bool McdcEvaluation::executed() const { return probe != nullptr && probe->hits != 0; }

std::uint32_t McdcEvaluation::count() const {
  if (probe == nullptr) return 0;
  return outcome ? probe->counters[0] : probe->counters[1];
}

const McdcEvaluation* McdcRows::evaluation(std::uint32_t number) const {
  // Numbers are handed out from 1 in order, so the list is its own index.
  if (number == 0 || number > evaluations.size()) return nullptr;
  const McdcEvaluation& candidate = evaluations[number - 1];
  return candidate.number == number ? &candidate : nullptr;
}


bool McdcRows::rowCovered(std::size_t index) const {
  // The selected pair comes first and is a covered one wherever there is one.
  return index < pairs.size() && !pairs[index].empty() && !pairs[index].front().uncovered;
}

std::vector<McdcNeed> McdcRows::needsOf(std::size_t index) const {
  std::vector<McdcNeed> single;  // pairs one new evaluation completes
  std::vector<McdcNeed> both;    // pairs of two evaluations that never occurred
  if (index >= pairs.size() || rowCovered(index)) return {};
  auto known = [](const std::vector<McdcNeed>& list, std::uint32_t run, std::uint32_t partner) {
    return std::any_of(list.begin(), list.end(), [&](const McdcNeed& need) {
      return need.run == run && need.partner == partner;
    });
  };
  for (const McdcPair& pair : pairs[index]) {
    const McdcEvaluation* t = evaluation(pair.trueNumber);
    const McdcEvaluation* f = evaluation(pair.falseNumber);
    const bool tRan = t != nullptr && t->executed();
    const bool fRan = f != nullptr && f->executed();
    if (tRan != fRan) {
      const std::uint32_t run = tRan ? pair.falseNumber : pair.trueNumber;
      const std::uint32_t partner = tRan ? pair.trueNumber : pair.falseNumber;
      if (!known(single, run, partner)) single.push_back({run, partner, true});
    } else if (!tRan && !known(both, pair.trueNumber, pair.falseNumber)) {
      both.push_back({pair.trueNumber, pair.falseNumber, false});
    }
  }
  single.insert(single.end(), both.begin(), both.end());
  return single;
}

}  // namespace kov
