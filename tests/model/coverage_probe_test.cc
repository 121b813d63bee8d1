#include "model/coverage_probe.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/diagnostic.h"
#include "model_builders.h"

namespace kov {
namespace {

using testing::probe;

TEST(ProbeKindTest, KeywordsAreExactAndCaseSensitive) {
  EXPECT_EQ(probeKindOf("function"), ProbeKind::Function);
  EXPECT_EQ(probeKindOf("function_end"), ProbeKind::FunctionEnd);
  EXPECT_EQ(probeKindOf("function_end_nr"), ProbeKind::FunctionEndNr);
  EXPECT_EQ(probeKindOf("do"), ProbeKind::Do);
  EXPECT_EQ(probeKindOf("do_while"), ProbeKind::DoWhile);
  EXPECT_EQ(probeKindOf("function_try_block"), ProbeKind::FunctionTryBlock);
  EXPECT_EQ(probeKindOf("goto"), ProbeKind::Goto);
  EXPECT_EQ(probeKindOf("continue"), ProbeKind::Continue);
  EXPECT_EQ(probeKindOf("linedir_in_function"), ProbeKind::LinedirInFunction);
  for (std::uint32_t k = 1; k <= 51; ++k) {
    EXPECT_EQ(probeKindOf(keywordOf(static_cast<ProbeKind>(k))), static_cast<ProbeKind>(k));
  }
  std::vector<std::string> unknown = {"IF", " if", "if ", "", "i", "func",
                                      "linedir_in_function_of_a_longer_name"};
  // Every keyword with one byte changed (first, middle or last), one byte
  // more or one fewer: none is another keyword, whatever the lookup hashes.
  for (std::uint32_t k = 1; k <= 51; ++k) {
    const std::string keyword(keywordOf(static_cast<ProbeKind>(k)));
    for (const std::size_t at : {std::size_t{0}, keyword.size() / 2, keyword.size() - 1}) {
      std::string changed = keyword;
      changed[at] = changed[at] == 'x' ? 'y' : 'x';
      unknown.push_back(changed);
    }
    unknown.push_back(keyword + "_");
    unknown.push_back(keyword.substr(0, keyword.size() - 1));
    unknown.push_back(keyword.substr(1));
  }
  for (const std::string& bad : unknown) {
    try {
      probeKindOf(bad);
      ADD_FAILURE() << bad;
    } catch (const DiagnosticError& e) {
      EXPECT_STREQ(e.what(), "*** kovxmlmerge error 22 (2/1561): Unknown probe type.");
    }
  }
}

TEST(ProbeKindTest, CounterLayouts) {
  EXPECT_EQ(counterLayoutOf(ProbeKind::ConstWhile, true), CounterLayout::ConstTrue);
  EXPECT_EQ(counterLayoutOf(ProbeKind::ConstWhile, false), CounterLayout::ConstFalse);
  EXPECT_EQ(counterLayoutOf(ProbeKind::MultiCondF, true), CounterLayout::SecondCounter);
  EXPECT_EQ(counterLayoutOf(ProbeKind::If, false), CounterLayout::TrueFalse);
  EXPECT_EQ(counterLayoutOf(ProbeKind::BlockEnd, true), CounterLayout::NoCounter);
}

TEST(ProbeTest, OwnCounts) {
  struct Case {
    const char* keyword;
    std::uint32_t count1, count2, hits, all;
  } cases[] = {
      {"if", 0, 5, 1, 2},        {"if", 3, 5, 2, 2},       {"while", 0, 0, 0, 2},
      {"case", 0, 0, 0, 1},      {"return", 4, 0, 1, 1},   {"else", 9, 9, 0, 0},
      {"multi_cond_f", 7, 0, 0, 1}, {"multi_cond_f", 0, 1, 1, 1}, {"multi_cond_t", 1, 0, 1, 1},
      {"mcdc", 1, 1, 0, 0},      {"linedir", 1, 1, 0, 0},  {"block_end", 1, 0, 0, 0},
      {"const_if", 0, 3, 0, 1},  {"const_if", 2, 0, 1, 1},
  };
  for (const Case& c : cases) {
    CoverageProbe p(probe(c.keyword, 1, c.count1, c.count2));
    EXPECT_EQ(p.hits, c.hits) << c.keyword << " " << c.count1 << "," << c.count2;
    EXPECT_EQ(p.all, c.all) << c.keyword;
  }
}

TEST(ProbeTest, MergeSaturatesAndKeepsLines) {
  CoverageProbe a(probe("if", 10, 4294967000u, 1, 7));
  ProbeRecord later = probe("if", 10, 1000, 2, 9);
  later.listedLine = 12;
  later.headerLine = 3;
  CoverageProbe b(std::move(later));
  a.mergeFrom(b);
  EXPECT_EQ(a.counters[0], 4294967295u);
  EXPECT_EQ(a.counters[1], 3u);
  EXPECT_EQ(a.mergeCount, 1u);
  EXPECT_EQ(a.reportCount(), 2u);
  EXPECT_EQ(a.shownLine, 12u);
  EXPECT_EQ(a.lowestHeaderLine, 0u);
  EXPECT_EQ(a.statementCountText(), "7, 9");
}

TEST(ProbeTest, StatementCountText) {
  CoverageProbe a(probe("case", 1, 0, 0, 7));
  EXPECT_EQ(a.statementCountText(), "7");
  a.mergeFrom(CoverageProbe(probe("case", 1, 0, 0, 7)));
  EXPECT_EQ(a.statementCountText(), "7");
  a.mergeFrom(CoverageProbe(probe("case", 1, 0, 0, 9)));
  a.mergeFrom(CoverageProbe(probe("case", 1, 0, 0, 7)));
  EXPECT_EQ(a.statementCountText(), "7, 7, 9, 7");
}

TEST(ProbeTest, ConstantConditionLayoutFollowsTheSecondCounter) {
  ProbeRecord first = probe("const_if", 5, 0, 0);
  first.counterLayout = CounterLayout::ConstTrue;
  CoverageProbe a(std::move(first));
  EXPECT_EQ(a.hits, 0u);
  ProbeRecord second = probe("const_if", 5, 0, 3);
  second.counterLayout = CounterLayout::ConstFalse;
  a.mergeFrom(CoverageProbe(std::move(second)));
  EXPECT_EQ(a.counterLayout, CounterLayout::ConstFalse);
  EXPECT_EQ(a.hits, 1u);
  EXPECT_EQ(a.all, 1u);
}

TEST(ProbeTest, SameProbe) {
  auto with = [](const char* keyword, std::uint32_t line, const char* description,
                 std::uint32_t nesting = 0, const char* parent = "") {
    ProbeRecord r = probe(keyword, line, 0, 0, 0, description, nesting);
    r.parentDescription = parent;
    return CoverageProbe(std::move(r));
  };
  EXPECT_TRUE(CoverageProbe::isSameProbe(with("if", 3, "if (a)"), with("if", 3, "if (a)")));
  EXPECT_FALSE(CoverageProbe::isSameProbe(with("if", 3, "if (a)"), with("if", 4, "if (a)")));
  EXPECT_FALSE(CoverageProbe::isSameProbe(with("if", 3, "if (a)"), with("while", 3, "if (a)")));
  EXPECT_FALSE(CoverageProbe::isSameProbe(with("if", 3, "if (a)", 1), with("if", 3, "if (a)")));
  EXPECT_FALSE(CoverageProbe::isSameProbe(with("if", 3, "if (a)"), with("if", 3, "if (a) ")));
  EXPECT_TRUE(CoverageProbe::isSameProbe(with("mcdc", 3, "a+ && b-"), with("mcdc", 3, "a- && b+")));
  EXPECT_FALSE(CoverageProbe::isSameProbe(with("mcdc", 3, "a+ && b-"), with("mcdc", 3, "a+ || b-")));
  // An empty stored parent description matches any; a non-empty one must match.
  EXPECT_TRUE(CoverageProbe::isSameProbe(with("sub_cond", 3, "a", 0, ""),
                                         with("sub_cond", 3, "a", 0, "if (a)")));
  EXPECT_FALSE(CoverageProbe::isSameProbe(with("sub_cond", 3, "a", 0, "if (a)"),
                                          with("sub_cond", 3, "a", 0, "if (b)")));
}

TEST(ProbeTest, CountForViewUnderMcdc) {
  CoverageProbe t(probe("multi_cond_t", 1, 5));
  EXPECT_EQ(t.countForView(false).all, 1u);
  EXPECT_EQ(t.countForView(true).all, 0u);
  CoverageProbe m(probe("mcdc", 1));
  EXPECT_EQ(m.countForView(true).all, 0u);
  m.addMcdcRow(1, "MC/DC (cond 1): 1 + 2");
  m.addMcdcRow(2, "MC/DC (cond 2): 1 - 3");
  EXPECT_EQ(m.countForView(true).all, 2u);
  EXPECT_EQ(m.countForView(true).hits, 1u);
}

TEST(ProbeTest, EvaluationNumber) {
  struct Case {
    const char* description;
    std::uint32_t number;
  } cases[] = {{"3: TT", 3}, {" +12: a", 12}, {"TT", 0}, {"x: TT", 0}, {"-2: T", 4294967294u}};
  for (const Case& c : cases) {
    CoverageProbe p(probe("multi_cond_t", 1, 0, 0, 0, c.description));
    p.readEvaluationNumber();
    EXPECT_EQ(p.evaluationNumber, c.number) << c.description;
  }
}

}  // namespace
}  // namespace kov
