#include "model/coverage_view.h"

#include <gtest/gtest.h>

#include "base/diagnostic.h"

namespace kov {
namespace {

TEST(TerTest, RuleExamples) {
  struct Case {
    std::uint32_t hits, all, ter;
  } cases[] = {
      {0, 0, 100}, {5, 5, 100}, {0, 7, 0},   {1, 1000, 1}, {999, 1000, 99},
      {1, 3, 33},  {2, 3, 67},  {1, 8, 13},  {199, 200, 99}, {1, 200, 1},
      {3, 200, 2}, {4294967294u, 4294967295u, 99}, {7, 5, 99},
  };
  for (const Case& c : cases) EXPECT_EQ(ter(c.hits, c.all), c.ter) << c.hits << "/" << c.all;
}

TEST(ViewTest, ViewInForce) {
  EXPECT_EQ(viewInForce({"As instrumented", "As instrumented"}), "As instrumented");
  EXPECT_EQ(viewInForce({std::string(kViewMcdc), std::string(kViewMcdc), std::string(kViewMcdc)}),
            kViewMcdc);
  EXPECT_EQ(viewInForce({"  Reduced to decision coverage (x)"}), kViewDecision);
}

TEST(ViewTest, DifferentOrNoViewsCannotBeMerged) {
  const std::vector<std::vector<std::string>> bad = {
      {"As instrumented", "As instrumented", "Reduced to decision coverage"},
      {},
      {"Reduced to nothing"},
  };
  for (const auto& views : bad) {
    try {
      viewInForce(views);
      ADD_FAILURE() << "no error";
    } catch (const DiagnosticError& e) {
      EXPECT_STREQ(e.what(),
                   "*** kovxmlmerge error 16 (3/720): Different coverage view inputs can not be merged.");
    }
  }
}

TEST(ViewTest, ShownViewsText) {
  EXPECT_EQ(shownViewsText({"decision", "decision, multiCondition"}), "mixed decision/multicondition");
  EXPECT_EQ(shownViewsText({"function", "function"}), "function");
  EXPECT_EQ(shownViewsText({"multiCondition", "condition"}), "multicondition");
  EXPECT_EQ(shownViewsText({"condition", "multiCondition"}), "mixed condition/multicondition");
  EXPECT_EQ(shownViewsText({"function decision condition MC/DC"}),
            "mixed function/decision/condition/MC/DC");
  EXPECT_EQ(shownViewsText({"statement"}), "");
  EXPECT_EQ(shownViewsText({}), "");
}

}  // namespace
}  // namespace kov
