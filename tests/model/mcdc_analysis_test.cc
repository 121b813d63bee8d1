#include "model/mcdc_analysis.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/coverage_function.h"

namespace kov {
namespace {

using K = ProbeKind;
using Rows = std::vector<std::string>;

struct Probe {
  ProbeKind kind;
  std::uint32_t count1 = 0;
  std::uint32_t count2 = 0;
  std::string description = {};
};

// A function of one report built from its probes on consecutive lines.
std::unique_ptr<CoverageFunction> makeFunction(const std::vector<Probe>& probes) {
  auto function = std::make_unique<CoverageFunction>("f", 10, "()", FunctionRecord{});
  std::uint32_t line = 10;
  for (const Probe& probe : probes) {
    ProbeRecord record;
    record.kind = probe.kind;
    record.description = probe.description;
    record.line = record.listedLine = line++;
    record.counters = {probe.count1, probe.count2};
    record.counterLayout = counterLayoutOf(probe.kind, true);
    function->addProbe(std::move(record));
  }
  return function;
}

// The rows of every mcdc probe of the function, in stored order.
std::vector<Rows> rowsOf(const CoverageFunction& function) {
  std::vector<Rows> rows;
  for (const auto& probe : function.probes()) {
    if (probe->kind != K::Mcdc) continue;
    rows.push_back(probe->mcdcRows() ? probe->mcdcRows()->rows : Rows{});
  }
  return rows;
}

struct Case {
  const char* name;
  bool mcdcView;
  std::vector<Rows> rows;  // per mcdc probe in stored order
  std::vector<Probe> probes;
};

// clang-format off
const Case kCases[] = {
    // a && b: condition 1 shown by TT/F_, condition 2 only by TF, which never occurred.
    {"TwoConditionsOneUncovered", true, {{"MC/DC (cond 1): 1 + 2", "MC/DC (cond 2): 1 - 3"}},
     {{K::MultiCondT, 4, 0, "1: TT"}, {K::MultiCondF, 0, 2, "2: F_"},
      {K::MultiCondF, 0, 0, "3: TF"}, {K::Mcdc, 0, 0, "a && b"}}},
    {"SameDecisionUnderOtherView", false, {{}},
     {{K::MultiCondT, 4, 0, "1: TT"}, {K::MultiCondF, 0, 2, "2: F_"},
      {K::MultiCondF, 0, 0, "3: TF"}, {K::Mcdc, 0, 0, "a && b"}}},
    {"CoveredPairSelectedBeforeUncovered", true, {{"MC/DC (cond 1): 2 + 3, 1 - 3"}},
     {{K::MultiCondT, 0, 0, "1: T"}, {K::MultiCondT, 1, 0, "2: T"},
      {K::MultiCondF, 0, 1, "3: F"}, {K::Mcdc, 0, 0, "a"}}},
    // a || b: each condition has its own pair.
    {"EveryConditionCovered", true, {{"MC/DC (cond 1): 1 + 3", "MC/DC (cond 2): 2 + 3"}},
     {{K::MultiCondT, 1, 0, "1: T_"}, {K::MultiCondT, 1, 0, "2: FT"},
      {K::MultiCondF, 0, 1, "3: FF"}, {K::Mcdc, 0, 0, "a || b"}}},
    // Differing only where one side was not evaluated, a pair shows every
    // condition it differs in.
    {"DontCarePairShowsSeveralConditions", true,
     {{"MC/DC (cond 1): 1 + 2", "MC/DC (cond 2): 1 + 2"}},
     {{K::MultiCondT, 1, 0, "1: T_"}, {K::MultiCondF, 0, 1, "2: _F"}, {K::Mcdc, 0, 0, "a ? b"}}},
    {"NoTrueEvaluation", true, {{}},
     {{K::MultiCondF, 0, 1, "1: FF"}, {K::Mcdc, 0, 0, "a && b"}}},
    // The short false vector reads as "F_": condition 2 has no pair and no row.
    {"ShortVectorAndConditionWithoutPair", true, {{"MC/DC (cond 1): 1 + 2"}},
     {{K::MultiCondT, 1, 0, "1: TT"}, {K::MultiCondF, 0, 1, "2: F"}, {K::Mcdc, 0, 0, "a && b"}}},
    {"NumbersRestartAfterEachDecision", true,
     {{"MC/DC (cond 1): 1 + 2"}, {"MC/DC (cond 1): 1 + 2"}},
     {{K::MultiCondT, 1, 0, "1: T"}, {K::MultiCondF, 0, 1, "2: F"}, {K::Mcdc, 0, 0, "a"},
      {K::MultiCondT, 1, 0, "1: T"}, {K::MultiCondF, 0, 1, "2: F"}, {K::Mcdc, 0, 0, "b"}}},
    // Within a function, evaluations cut off from their mcdc probe join the
    // next decision.
    {"InterruptedDecisionJoinsNext", true,
     {{}, {"MC/DC (cond 1): 1 + 2, 1 + 4, 3 + 2, 3 + 4"}},
     {{K::MultiCondT, 1, 0, "1: T"}, {K::MultiCondF, 0, 1, "2: F"}, {K::If, 1, 0, "x"},
      {K::Mcdc, 0, 0, "a"}, {K::MultiCondT, 1, 0, "1: T"}, {K::MultiCondF, 0, 1, "2: F"},
      {K::Mcdc, 0, 0, "b"}}},
};
// clang-format on

// Names the case in failure messages.
void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

class McdcRowsTest : public testing::TestWithParam<Case> {};

TEST_P(McdcRowsTest, RowsOfEachDecision) {
  const Case& c = GetParam();
  auto function = makeFunction(c.probes);
  McdcAnalysis mcdc;
  function->processFunction(mcdc, c.mcdcView);
  EXPECT_EQ(rowsOf(*function), c.rows);
}

INSTANTIATE_TEST_SUITE_P(Cases, McdcRowsTest, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The pairs and evaluations kept beside the rows are those the rows name:
// rendering the kept pairs gives the row text, and every number a pair
// names is an evaluation of the decision with the vector of its probe.
TEST_P(McdcRowsTest, KeptPairsSpellTheRows) {
  const Case& c = GetParam();
  auto function = makeFunction(c.probes);
  McdcAnalysis mcdc;
  function->processFunction(mcdc, c.mcdcView);
  for (const auto& probe : function->probes()) {
    const McdcRows* result = probe->mcdcRows();
    if (result == nullptr) continue;
    ASSERT_EQ(result->pairs.size(), result->rows.size());
    for (std::size_t i = 0; i < result->rows.size(); ++i) {
      std::string text = "MC/DC (cond " + std::to_string(result->conditions[i]) + "): ";
      for (std::size_t k = 0; k < result->pairs[i].size(); ++k) {
        const McdcPair& pair = result->pairs[i][k];
        text += (k ? ", " : "") + std::to_string(pair.trueNumber) +
                (pair.uncovered ? " - " : " + ") + std::to_string(pair.falseNumber);
        const McdcEvaluation* t = result->evaluation(pair.trueNumber);
        const McdcEvaluation* f = result->evaluation(pair.falseNumber);
        ASSERT_TRUE(t && f);
        EXPECT_TRUE(t->outcome);
        EXPECT_FALSE(f->outcome);
        EXPECT_EQ(pair.uncovered, !t->executed() || !f->executed());
      }
      EXPECT_EQ(text, result->rows[i]);
    }
  }
}

TEST(McdcAnalysisTest, EvaluationsCountsAndWhatIsMissing) {
  // a && b && c: condition 1 has a covered pair; conditions 2 and 3 pair
  // the executed TTT with an evaluation that never ran (TF_, TTF).
  auto function = makeFunction({{K::MultiCondT, 5, 0, "1: TTT"},
                                {K::MultiCondF, 0, 2, "2: F__"},
                                {K::MultiCondF, 0, 0, "3: TF_"},
                                {K::MultiCondF, 0, 0, "4: TTF"},
                                {K::Mcdc, 0, 0, "a && b && c"}});
  McdcAnalysis mcdc;
  function->processFunction(mcdc, true);
  const McdcRows* result = function->probes().back()->mcdcRows();
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result->conditionCount, 3u);
  ASSERT_EQ(result->evaluations.size(), 4u);
  EXPECT_EQ(result->evaluations[0].vector, "TTT");
  EXPECT_EQ(result->evaluations[0].count(), 5u);
  EXPECT_EQ(result->evaluations[1].count(), 2u);
  EXPECT_FALSE(result->evaluations[2].executed());
  EXPECT_EQ(result->rows, (Rows{"MC/DC (cond 1): 1 + 2", "MC/DC (cond 2): 1 - 3",
                               "MC/DC (cond 3): 1 - 4"}));
  EXPECT_TRUE(result->needsOf(0).empty());
  ASSERT_EQ(result->needsOf(1).size(), 1u);
  EXPECT_EQ(result->needsOf(1)[0].run, 3u);
  EXPECT_EQ(result->needsOf(1)[0].partner, 1u);
  EXPECT_TRUE(result->needsOf(1)[0].partnerExecuted);
  EXPECT_TRUE(result->rowCovered(0));
  EXPECT_FALSE(result->rowCovered(2));
}

TEST(McdcAnalysisTest, PairsOfTwoEvaluationsThatNeverRanComeLast) {
  auto function = makeFunction({{K::MultiCondT, 0, 0, "1: T"},
                                {K::MultiCondT, 0, 0, "2: T"},
                                {K::MultiCondF, 0, 3, "3: F"},
                                {K::MultiCondF, 0, 0, "4: F"},
                                {K::Mcdc, 0, 0, "a"}});
  McdcAnalysis mcdc;
  function->processFunction(mcdc, true);
  const McdcRows* result = function->probes().back()->mcdcRows();
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result->rows, (Rows{"MC/DC (cond 1): 1 - 3, 1 - 4, 2 - 3, 2 - 4"}));
  std::vector<std::pair<std::uint32_t, std::uint32_t>> needs;
  for (const McdcNeed& need : result->needsOf(0)) {
    needs.emplace_back(need.run, need.partner);
    EXPECT_EQ(need.partnerExecuted, need.partner == 3);
  }
  EXPECT_EQ(needs, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{
                       {1, 3}, {2, 3}, {1, 4}, {2, 4}}));
}

TEST(McdcAnalysisTest, RowsCarryTheirConditionNumbers) {
  auto function = makeFunction({{K::MultiCondT, 1, 0, "1: T_"},
                                {K::MultiCondT, 1, 0, "2: FT"},
                                {K::MultiCondF, 0, 1, "3: FF"},
                                {K::Mcdc, 0, 0, "a || b"}});
  McdcAnalysis mcdc;
  function->processFunction(mcdc, true);
  const McdcRows* rows = function->probes().back()->mcdcRows();
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(rows->conditions, (std::vector<std::uint32_t>{1, 2}));
}

// A decision left without its mcdc probe at the end of one function must not
// change the rows of the next function.
TEST(McdcAnalysisTest, EvaluationsStartAfreshInEveryFunction) {
  auto unfinished = makeFunction({{K::MultiCondT, 1, 0, "1: T"}, {K::MultiCondF, 0, 1, "2: F"}});
  auto next = makeFunction(
      {{K::MultiCondT, 1, 0, "1: T"}, {K::MultiCondF, 0, 1, "2: F"}, {K::Mcdc, 0, 0, "a"}});
  McdcAnalysis mcdc;
  unfinished->processFunction(mcdc, true);
  next->processFunction(mcdc, true);
  EXPECT_EQ(rowsOf(*next), (std::vector<Rows>{{"MC/DC (cond 1): 1 + 2"}}));
}

}  // namespace
}  // namespace kov
