#include "model/coverage_function.h"

#include <gtest/gtest.h>

#include "model/coverage_file.h"
#include "model/mcdc_analysis.h"
#include "model_builders.h"

namespace kov {
namespace {

using testing::probe;

// One report's view of a function: its probes in order.
using Report = std::vector<ProbeRecord>;

std::unique_ptr<CoverageFunction> merged(const std::vector<Report>& reports) {
  auto f = std::make_unique<CoverageFunction>("f", 10, "()", testing::function(nullptr, "f", 10));
  for (const Report& report : reports) {
    for (ProbeRecord record : report) f->addProbe(std::move(record));
  }
  return f;
}

Report simple(std::uint32_t calls) {
  return {probe("function", 10, calls, 0, 0), probe("if", 12, calls, 1, 1),
          probe("return", 14, calls, 0, 3), probe("function_end", 15, 0, 0, 4)};
}

TEST(FunctionTest, MetOnceKeepsEveryProbe) {
  auto f = merged({{probe("function", 10), probe("if", 12), probe("if", 12), probe("else", 11)}});
  EXPECT_EQ(f->probes().size(), 4u);
  EXPECT_EQ(f->reportMerges, 0u);
  EXPECT_TRUE(f->statementAvailable);
  // Stored by line; equal lines in insertion order.
  EXPECT_EQ(f->probes()[1]->line, 11u);
}

TEST(FunctionTest, EqualReportsMergeEveryProbe) {
  auto f = merged({simple(2), simple(3)});
  ASSERT_EQ(f->probes().size(), 4u);
  EXPECT_EQ(f->reportMerges, 1u);
  for (const auto& p : f->probes()) EXPECT_EQ(p->mergeCount, 1u);
  EXPECT_EQ(f->probes()[1]->counters[0], 5u);
  EXPECT_EQ(f->probes()[1]->counters[1], 2u);
  EXPECT_TRUE(f->statementAvailable);
}

TEST(FunctionTest, StructuralDifferencesSwitchStatementsOff) {
  struct Case {
    const char* what;
    Report second;
    std::size_t probes;
  } cases[] = {
      {"probe at line 12 missing",
       {probe("function", 10), probe("return", 14, 0, 0, 3), probe("function_end", 15, 0, 0, 4)}, 4},
      {"extra probe",
       {probe("function", 10), probe("if", 12, 0, 0, 1), probe("break", 13, 0, 0, 2),
        probe("return", 14, 0, 0, 3), probe("function_end", 15, 0, 0, 4)}, 5},
      {"statement count differs",
       {probe("function", 10), probe("if", 12, 0, 0, 2), probe("return", 14, 0, 0, 3),
        probe("function_end", 15, 0, 0, 4)}, 4},
  };
  for (const Case& c : cases) {
    auto f = merged({simple(1), c.second});
    EXPECT_FALSE(f->statementAvailable) << c.what;
    EXPECT_EQ(f->probes().size(), c.probes) << c.what;
  }
  EXPECT_TRUE(merged({simple(1), simple(1), simple(1)})->statementAvailable);
}

TEST(FunctionTest, EqualProbesOnOneLineChooseByStatementCount) {
  Report twoEnds = {probe("function", 10), probe("block_end", 20, 0, 0, 4),
                    probe("block_end", 20, 0, 0, 4)};
  auto f = merged({twoEnds, {probe("function", 10), probe("block_end", 20, 0, 0, 4)}});
  EXPECT_FALSE(f->statementAvailable);
  EXPECT_EQ(f->probes()[1]->mergeCount, 0u);
  EXPECT_EQ(f->probes()[2]->mergeCount, 1u);  // the last candidate

  Report distinct = {probe("function", 10), probe("block_end", 20, 0, 0, 4),
                     probe("block_end", 20, 0, 0, 6)};
  auto g = merged({distinct, {probe("function", 10), probe("block_end", 20, 0, 0, 6)}});
  EXPECT_EQ(g->probes()[2]->mergeCount, 1u);
  auto h = merged({distinct, {probe("function", 10), probe("block_end", 20, 0, 0, 5)}});
  EXPECT_FALSE(h->statementAvailable);
  EXPECT_EQ(h->probes().size(), 4u);
}

TEST(FunctionTest, FunctionProbeMergesIntoTheStoredFunctionProbe) {
  // A constructor initializer's ternary stands before the function probe.
  Report ctor = {probe("ternary", 5, 1, 0), probe("function", 10, 0, 0)};
  Report called = {probe("ternary", 5, 1, 0), probe("function", 10, 4, 0)};
  auto f = merged({ctor, called});
  EXPECT_EQ(f->probes()[0]->counters[0], 2u);
  EXPECT_EQ(f->probes()[1]->kind, ProbeKind::Function);
  EXPECT_EQ(f->probes()[1]->counters[0], 4u);
}

TEST(FunctionTest, DirectiveRule) {
  CoverageFile header("h", kLineDirectiveFile, "h.h", true);
  CoverageFile other("o", kLineDirectiveFile, "o.h", true);
  auto linedir = [&](std::uint32_t line, CoverageFile* file) {
    ProbeRecord r = probe("linedir_in_function", line, 0, 0, 0, "#line 1 \"h.h\"");
    r.headerFile = file;
    return r;
  };
  struct Case {
    const char* what;
    Report first, second;
    bool available;
    std::size_t probes;
  } cases[] = {
      {"same line merges", {probe("function", 10), linedir(12, &header)},
       {probe("function", 10), linedir(12, &header)}, true, 2},
      {"no candidate", {probe("function", 10), linedir(12, &other)},
       {probe("function", 10), linedir(12, &header)}, false, 3},
      {"lower line is replaced", {probe("function", 10), linedir(11, &header)},
       {probe("function", 10), linedir(12, &header)}, false, 2},
      {"higher line", {probe("function", 10), linedir(13, &header)},
       {probe("function", 10), linedir(12, &header)}, false, 3},
      {"several, one matches", {probe("function", 10), linedir(11, &header), linedir(12, &header)},
       {probe("function", 10), linedir(12, &header)}, true, 3},
      {"several, none matches", {probe("function", 10), linedir(11, &header), linedir(13, &header)},
       {probe("function", 10), linedir(12, &header)}, true, 4},
  };
  for (Case& c : cases) {
    auto f = merged({c.first, c.second});
    EXPECT_EQ(f->statementAvailable, c.available) << c.what;
    EXPECT_EQ(f->probes().size(), c.probes) << c.what;
  }
}

TEST(FunctionTest, DirectiveIntoLineDirectiveFileCountsAnotherOccurrenceThere) {
  CoverageFile part("p", kLineDirectiveFile, "b.h", true);
  CoverageFunction* pseudo = part.addFunction("N.A.", 0, "( )", testing::function(nullptr, "f", 10));
  auto linedir = [&] {
    ProbeRecord r = probe("linedir_in_function", 12);
    r.headerFile = &part;
    return r;
  };
  auto f = merged({{probe("function", 10), linedir()}, {probe("function", 10), linedir()}});
  EXPECT_EQ(pseudo->reportMerges, 1u);
  EXPECT_EQ(f->probes()[1]->mergeCount, 1u);
}

TEST(FunctionTest, RecordMergingAndProcessing) {
  CoverageFile file("a.c", kSourceFile, "a.c", true);
  FunctionRecord first = testing::function(&file, "f", 10, "()", 3);
  first.totalExecutionCost = 30;
  first.maxExecutionCost = -5;
  CoverageFunction* f = file.addFunction("f", 10, "()", first);
  FunctionRecord second = testing::function(&file, "f", 10, "()", 4);
  second.totalExecutionCost = 10;
  second.maxExecutionCost = -2;
  EXPECT_EQ(file.addFunction("f", 10, "()", second), f);
  FunctionRecord third = testing::function(&file, "f", 10, "()", 4294967290u);
  third.totalExecutionCost = 4294967295u;
  third.maxExecutionCost = -9;
  f->mergeFrom(third);
  EXPECT_EQ(f->callCount, 4294967295u);  // saturates
  EXPECT_EQ(f->totalExecutionCost, 39u);  // wraps
  EXPECT_EQ(f->maxExecutionCost, -2);

  for (ProbeRecord r : simple(1)) f->addProbe(std::move(r));
  McdcAnalysis mcdc;
  f->processFunction(mcdc, false);
  EXPECT_EQ(f->lineCount, 6u);  // function at 10, function_end at 15
  EXPECT_EQ(f->hits, 4u);       // function, if (both), return
  EXPECT_EQ(f->all, 5u);
  EXPECT_EQ(f->terValue, 80u);
}

TEST(FunctionTest, AverageCostAndLineCount) {
  CoverageFile file("a.c", kSourceFile, "a.c", true);
  FunctionRecord record = testing::function(&file, "g", 1, "()", 3);
  record.totalExecutionCost = 30;
  CoverageFunction* g = file.addFunction("g", 1, "()", record);
  FunctionRecord again = testing::function(&file, "g", 1, "()", 4);
  again.totalExecutionCost = 10;
  g->mergeFrom(again);
  g->addProbe(probe("function", 10));
  g->addProbe(probe("function_end", 25));
  McdcAnalysis mcdc;
  g->processFunction(mcdc, false);
  EXPECT_DOUBLE_EQ(g->averageExecutionCost, 40.0 / 7);
  EXPECT_EQ(g->lineCount, 16u);

  CoverageFunction* h = file.addFunction("h", 30, "()", testing::function(&file, "h", 30));
  h->addProbe(probe("function", 30));
  h->addProbe(probe("return", 31));
  h->processFunction(mcdc, false);
  EXPECT_EQ(h->lineCount, 0u);
  EXPECT_EQ(h->averageExecutionCost, 0.0);
}

TEST(FunctionTest, TryBlockClearsTheLastEndMarker) {
  auto f = merged({{probe("function", 10), probe("function_try_block", 10), probe("try", 11),
                    probe("block_end", 12), probe("catch", 13), probe("block_end", 14)}});
  McdcAnalysis mcdc;
  f->processFunction(mcdc, false);
  EXPECT_TRUE(f->hasTryBlock);
  EXPECT_TRUE(f->probes()[3]->endMarker);
  EXPECT_FALSE(f->probes().back()->endMarker);
}

}  // namespace
}  // namespace kov
