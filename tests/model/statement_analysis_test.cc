#include "model/statement_analysis.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "model/coverage_file.h"
#include "model/coverage_function.h"
#include "model/mcdc_analysis.h"

namespace kov {
namespace {

using K = ProbeKind;

struct Probe {
  ProbeKind kind;
  std::uint32_t statementCount;
  std::uint32_t count1 = 0;
  std::uint32_t count2 = 0;
  std::string description = {};
};

ProbeRecord recordOf(const Probe& probe, std::uint32_t line) {
  ProbeRecord record;
  record.kind = probe.kind;
  record.description = probe.description;
  record.line = record.listedLine = line;
  record.counters = {probe.count1, probe.count2};
  record.counterLayout = counterLayoutOf(probe.kind, true);
  record.statementCount = probe.statementCount;
  return record;
}

// One report's function: probes on consecutive lines, processed as the file
// step processes it.
std::unique_ptr<CoverageFunction> makeFunction(const std::vector<Probe>& probes) {
  auto function = std::make_unique<CoverageFunction>("f", 10, "()", FunctionRecord{});
  std::uint32_t line = 10;
  for (const Probe& probe : probes) function->addProbe(recordOf(probe, line++));
  McdcAnalysis mcdc;
  function->processFunction(mcdc, false);
  return function;
}

// The markers of the probes in stored order, "." for an empty marker.
std::string markersOf(const CoverageFunction& function) {
  std::string markers;
  for (const auto& probe : function.probes()) markers += probe->marker ? probe->marker : '.';
  return markers;
}

struct Case {
  const char* name;
  std::uint32_t hits;
  std::uint32_t all;
  bool available;
  const char* markers;  // per probe in stored order, "." for none
  std::vector<Probe> probes;
};

// clang-format off
const Case kCases[] = {
    {"CoveredFunction", 3, 3, true, "..", {{K::Function, 0, 1}, {K::FunctionEnd, 3, 1}}},
    {"UncoveredFunction", 0, 3, true, "..", {{K::Function, 0, 0}, {K::FunctionEnd, 3, 0}}},
    {"FirstProbeNotFunction", 0, 0, false, "..", {{K::Return, 1, 1}, {K::FunctionEnd, 2, 1}}},
    {"NoStatements", 0, 0, false, "..", {{K::Function, 5, 1}, {K::FunctionEndNr, 5}}},
    // The false outcome reaches the code after the if; the body is not reached.
    {"IfFalseOnly", 5, 7, true, "..+.",
     {{K::Function, 0, 1}, {K::If, 2, 0, 5}, {K::BlockEnd, 4}, {K::FunctionEnd, 6, 1}}},
    {"IfFalseOnlyReachesElse", 8, 10, true, "..+.+.",
     {{K::Function, 0, 1}, {K::If, 2, 0, 5}, {K::BlockEnd, 4}, {K::Else, 5}, {K::BlockEnd, 7},
      {K::FunctionEnd, 9, 1}}},
    // The end of the if body reaches the end of the whole chain.
    {"IfTrueOnlyReachesChainEnd", 7, 10, true, "..-.+.",
     {{K::Function, 0, 1}, {K::If, 2, 3, 0}, {K::BlockEnd, 4}, {K::Else, 5}, {K::BlockEnd, 7},
      {K::FunctionEnd, 9, 1}}},
    {"ExecutedBreakLeavesWhile", 4, 5, true, "...+.",
     {{K::Function, 0, 1}, {K::While, 1, 3, 0}, {K::Break, 2, 1, 0, "break"}, {K::BlockEnd, 3},
      {K::FunctionEndNr, 4}}},
    {"UnexecutedBreak", 3, 5, true, "...-.",
     {{K::Function, 0, 1}, {K::While, 1, 3, 0}, {K::Break, 2, 0, 0, "break"}, {K::BlockEnd, 3},
      {K::FunctionEndNr, 4}}},
    {"NamedBreakLeavesLabelledLoop", 7, 9, true, ".....-+.",
     {{K::Function, 0, 1}, {K::Label, 1, 0, 0, "outer:"}, {K::While, 2, 1, 0},
      {K::While, 3, 1, 0}, {K::Break, 4, 1, 0, "break outer"}, {K::BlockEnd, 5},
      {K::BlockEnd, 6}, {K::FunctionEndNr, 7}}},
    {"LabelReachedByExecutedGoto", 2, 5, true, "...+.",
     {{K::Function, 0, 1}, {K::Goto, 1, 1, 0, "goto out"}, {K::Return, 2, 0},
      {K::Label, 4, 0, 0, "out:"}, {K::FunctionEnd, 5, 1}}},
    // A jump that never ran takes its own statement back: -1 clamps to 0.
    {"HitsBelowZeroClamped", 0, 2, true, "...",
     {{K::Function, 5, 1}, {K::Goto, 5, 0, 0, "goto x"}, {K::FunctionEndNr, 7}}},
    // A negative delta in unreached code leaves hits 5 over all 3.
    {"HitsAboveAllClamped", 3, 3, true, "...-.",
     {{K::Function, 10, 1}, {K::If, 12, 1, 0}, {K::Return, 14, 1}, {K::BlockEnd, 4},
      {K::FunctionEndNr, 12}}},
    {"CaseReachedByFallThrough", 5, 6, true, "...++.",
     {{K::Function, 0, 1}, {K::Switch, 1}, {K::Case, 2, 2, 0, "case 1:"},
      {K::Case, 3, 0, 0, "case 2:"}, {K::BlockEnd, 4}, {K::FunctionEnd, 5, 1}}},
    // A reached switch without default may skip all cases.
    {"SwitchWithoutDefaultReachesEnd", 3, 6, true, "....+.",
     {{K::Function, 0, 1}, {K::Switch, 1}, {K::Case, 2, 0, 0, "case 1:"}, {K::Return, 3, 0},
      {K::BlockEnd, 4}, {K::FunctionEnd, 5, 1}}},
    {"TryAndCatch", 4, 5, true, "..-.+.",
     {{K::Function, 0, 1}, {K::Try, 1, 1}, {K::BlockEnd, 2}, {K::Catch, 3, 0, 0, "catch (...)"},
      {K::BlockEnd, 4}, {K::FunctionEnd, 5, 1}}},
    {"LambdaRestoresOuterState", 2, 4, true, "...+.",
     {{K::Function, 0, 1}, {K::Lambda, 1, 0}, {K::Return, 2, 0}, {K::LambdaEnd, 3, 0},
      {K::FunctionEnd, 4, 1}}},
    // The handler follows function_end as the root's sibling; function_end
    // takes a marker, the last probe none.
    {"FunctionTryBlock", 5, 5, true, "..-..",
     {{K::Function, 0, 1}, {K::FunctionTryBlock, 0}, {K::FunctionEnd, 3, 1},
      {K::Catch, 4, 1, 0, "catch (...)"}, {K::BlockEnd, 6}}},
    {"TryWithoutHandler", 0, 0, false, "....",
     {{K::Function, 0, 1}, {K::Try, 1, 1}, {K::BlockEnd, 2}, {K::FunctionEnd, 3, 1}}},
    {"ElseWithoutIf", 0, 0, false, "....",
     {{K::Function, 0, 1}, {K::Else, 1}, {K::BlockEnd, 2}, {K::FunctionEnd, 3, 1}}},
    {"BreakWithoutTarget", 0, 0, false, "...",
     {{K::Function, 0, 1}, {K::Break, 1, 1, 0, "break"}, {K::FunctionEnd, 2, 1}}},
    {"FunctionEndWithoutStatementCount", 0, 0, false, "....",
     {{K::Function, 0, 1}, {K::If, 2, 1, 1}, {K::BlockEnd, 3}, {K::FunctionEnd, 0, 1}}},
};
// clang-format on

// Names the case in failure messages.
void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

class StatementWalkTest : public testing::TestWithParam<Case> {};

TEST_P(StatementWalkTest, FiguresAndMarkers) {
  const Case& c = GetParam();
  auto function = makeFunction(c.probes);
  CoverageFile file("a.c", kSourceFile, "a.c", true);
  StatementAnalysis analysis;
  analysis.analyseFunction(*function, file);
  EXPECT_EQ(function->statementHits, c.hits);
  EXPECT_EQ(function->statementAll, c.all);
  EXPECT_EQ(function->statementAvailable, c.available);
  EXPECT_EQ(function->statementTer, c.available ? ter(c.hits, c.all) : 100u);
  EXPECT_EQ(markersOf(*function), c.markers);
}

INSTANTIATE_TEST_SUITE_P(Cases, StatementWalkTest, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StatementAnalysisTest, ConstructStackHoldsFiveHundredEntries) {
  for (const int nested : {499, 500}) {  // the root takes one entry
    std::vector<Probe> probes{{K::Function, 0, 1}};
    for (int i = 0; i < nested; ++i) probes.push_back({K::Do, 1});
    for (int i = 0; i < nested; ++i) probes.push_back({K::BlockEnd, 1});
    probes.push_back({K::FunctionEnd, 2, 1});
    auto function = makeFunction(probes);
    CoverageFile file("a.c", kSourceFile, "a.c", true);
    StatementAnalysis().analyseFunction(*function, file);
    EXPECT_EQ(function->statementAvailable, nested == 499) << nested;
  }
}

// Every label is searched for an executed goto of its text; many labels must
// each find their own.
TEST(StatementAnalysisTest, ManyLabelsFindTheirGotos) {
  constexpr int kLabels = 5000;
  std::vector<Probe> probes{{K::Function, 0, 1}};
  for (int i = 0; i < kLabels; ++i) {
    std::string name = "L";
    name += std::to_string(i);
    probes.push_back({K::Goto, 1, i % 2 == 0 ? 1u : 0u, 0, "goto " + name});
    probes.push_back({K::Label, 1, 0, 0, name + ":"});
  }
  probes.push_back({K::FunctionEnd, 2, 1});
  auto function = makeFunction(probes);
  CoverageFile file("a.c", kSourceFile, "a.c", true);
  StatementAnalysis().analyseFunction(*function, file);
  const std::string markers = markersOf(*function);
  for (int i = 0; i < kLabels; ++i) {
    ASSERT_EQ(markers[2 + 2 * i], i % 2 == 0 ? '+' : '.') << i;
  }
}

// A function without statement figures must not leave its probes behind for
// the next function's markers.
TEST(StatementAnalysisTest, MarkersStartAfreshForEveryFunction) {
  auto empty =
      makeFunction({{K::Function, 5, 1}, {K::Label, 5, 0, 0, "x:"}, {K::FunctionEndNr, 5}});
  auto lambda = makeFunction(
      {{K::Function, 0, 1}, {K::Lambda, 1, 1}, {K::LambdaEnd, 2, 1}, {K::FunctionEnd, 3, 1}});
  CoverageFile file("a.c", kSourceFile, "a.c", true);
  StatementAnalysis analysis;
  analysis.analyseFunction(*empty, file);
  analysis.analyseFunction(*lambda, file);
  EXPECT_FALSE(empty->statementAvailable);
  EXPECT_EQ(markersOf(*empty), "...");
  EXPECT_EQ(markersOf(*lambda), "..+.");
}

// A line directive splices the stretch of its line-directive file (the first
// function of that type-3 file) into the function's tree.
struct SpliceCase {
  const char* name;
  bool stretchWalkedBefore;
  bool returnDirective;
  bool stretchEndsFunction;
  std::uint32_t hits;
  std::uint32_t all;
  char stretchMarker;
  bool stretchWalkedAfter;
  bool pendingAfter;
};

const SpliceCase kSpliceCases[] = {
    {"StretchAndReturn", false, true, false, 7, 9, '+', true, false},
    {"StretchLeftPending", false, false, false, 7, 9, '+', false, true},
    {"StretchEndsFunction", false, false, true, 7, 9, '+', true, false},
    {"StretchWalkedBefore", true, false, false, 8, 8, '\0', true, true},
};

class StatementSpliceTest : public testing::TestWithParam<SpliceCase> {};

TEST_P(StatementSpliceTest, FeedsStretchOnce) {
  const SpliceCase& c = GetParam();
  CoverageFile source("a.c", kSourceFile, "a.c", true);
  CoverageFile stretchFile("a.c_f()_10_b.h", kLineDirectiveFile, "b.h", true);
  CoverageFunction* function = source.addFunction("f", 10, "()", FunctionRecord{});
  CoverageFunction* stretch =
      stretchFile.addFunction("N.A.", 0, "( )", FunctionRecord{&source, "f", 10, "()"});
  stretch->headerWalked = c.stretchWalkedBefore;

  source.addProbe("f", 10, "()", recordOf({K::Function, 0, 1}, 10));
  ProbeRecord into = recordOf({K::LinedirInFunction, 0, 0, 0, "#line 1 \"b.h\""}, 11);
  into.headerFile = &stretchFile;
  source.addProbe("f", 10, "()", std::move(into));
  if (c.returnDirective) {
    ProbeRecord back = recordOf({K::LinedirInFunction, 0, 0, 0, "#line 12 \"a.c\""}, 12);
    back.headerFile = &source;
    source.addProbe("f", 10, "()", std::move(back));
  }
  stretchFile.addProbe("N.A.", 0, "( )", recordOf({K::If, 2, 0, 1}, 1));
  stretchFile.addProbe("N.A.", 0, "( )", recordOf({K::BlockEnd, 4}, 2));
  if (c.stretchEndsFunction) {
    stretchFile.addProbe("N.A.", 0, "( )", recordOf({K::FunctionEnd, 8, 1}, 3));
  } else {
    source.addProbe("f", 10, "()", recordOf({K::FunctionEnd, 8, 1}, 20));
  }

  StatementAnalysis().analyseFunction(*function, source);
  EXPECT_EQ(function->statementHits, c.hits);
  EXPECT_EQ(function->statementAll, c.all);
  EXPECT_EQ(stretch->probes()[1]->marker, c.stretchMarker);
  EXPECT_EQ(stretch->headerWalked, c.stretchWalkedAfter);
  EXPECT_EQ(source.pendingPart, c.pendingAfter ? &stretchFile : nullptr);
}

INSTANTIATE_TEST_SUITE_P(Cases, StatementSpliceTest, testing::ValuesIn(kSpliceCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kov
