// The changed code's figures over real reports: which diff names match which
// file of the exports, and the outcomes counted on the changed lines.
#include "writers/changed_code.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "model/coverage.h"
#include "reader/report_pipeline.h"

namespace kov {
namespace {

namespace fs = std::filesystem;

const fs::path kRepository = fs::path(__FILE__).parent_path().parent_path().parent_path();

std::unique_ptr<Coverage> mergedExample(const char* folder) {
  auto coverage = std::make_unique<Coverage>("3.4", std::vector<std::string>{},
                                             std::vector<std::string>{},
                                             std::vector<std::string>{},
                                             std::vector<std::string>{"one", "two"});
  {
    ReportPipeline reading(*coverage, false, {}, {});
    const fs::path dir = kRepository / "examples" / folder;
    reading.readAll({(dir / "run1.xml").string(), (dir / "run2.xml").string()}, false);
  }
  coverage->process("Mon Dec  7 11:14:34 2026");
  return coverage;
}

// "name hits/all" per matched record, then "?name lines" per unmatched file.
std::vector<std::string> summaryOf(const ChangedCode& code) {
  std::vector<std::string> out;
  for (const ChangedRecord& record : code.records) {
    out.push_back(record.shownName + " " + std::to_string(record.hits) + "/" +
                  std::to_string(record.all));
  }
  for (const UnmeasuredFile& file : code.unmeasured) {
    out.push_back("?" + file.path + " " + std::to_string(file.changedLines));
  }
  return out;
}

TEST(ChangedCodeTest, OutcomesOnTheChangedLinesOfEveryMatchedFile) {
  auto coverage = mergedExample("basic");
  ChangeSet change;
  change.files = {
      {"SRC\\Main.C", {13, 18, 22, 25}},  // letter case and "\" do not matter; 25 holds nothing
      {"include/util.h", {6}},
      {"src/ops.def", {1}},         // a #line stretch counts in the file it names
      {"docs/notes.md", {1, 2, 3}},  // not instrumented: not measured
  };
  const ChangedCode code = measureChangedCode(*coverage, "", change);
  EXPECT_EQ(summaryOf(code), (std::vector<std::string>{"include/util.h 1/3", "src/main.c 4/5",
                                                       "src/ops.def 2/2", "?docs/notes.md 3"}));
  EXPECT_EQ(code.hits, 7u);
  EXPECT_EQ(code.all, 10u);
  EXPECT_EQ(code.ter, 70u);
  EXPECT_EQ(code.changedLines, 6u);

  // util.h line 6: "if (v > hi)" false but never true, "return hi" never run.
  const ChangedRecord& util = code.records[0];
  ASSERT_EQ(util.lines.size(), 1u);
  const std::vector<ChangedOutcome>& outcomes = util.lines[0].outcomes;
  ASSERT_EQ(outcomes.size(), 3u);
  EXPECT_EQ(outcomes[0].probe->description, "if (v > hi)");
  EXPECT_EQ(outcomes[0].outcome.kind, ExportOutcome::Kind::True);
  EXPECT_FALSE(outcomes[0].covered());
  EXPECT_EQ(outcomes[1].outcome.kind, ExportOutcome::Kind::False);
  EXPECT_TRUE(outcomes[1].covered());
  EXPECT_EQ(outcomes[2].probe->description, "return hi");
  EXPECT_EQ(outcomes[2].outcome.kind, ExportOutcome::Kind::Executed);
  EXPECT_EQ(uncoveredText(outcomes[0]), "true outcome never taken");
  EXPECT_EQ(uncoveredText(outcomes[2]), "never executed");
  // main.c: the line of the closing brace holds the uncovered function end.
  const ChangedRecord& main = code.records[1];
  ASSERT_EQ(main.lines.size(), 3u);
  EXPECT_EQ(main.lines[2].line, 22u);
  EXPECT_EQ(main.lines[2].all - main.lines[2].hits, 1u);
  EXPECT_EQ(main.diffPaths, (std::vector<std::string>{"SRC\\Main.C"}));
}

TEST(ChangedCodeTest, McdcRowsAreTheOutcomesUnderTheMcdcView) {
  auto coverage = mergedExample("mcdc");
  ChangeSet change;
  change.files = {{"src/access.c", {25}}};
  const ChangedCode code = measureChangedCode(*coverage, "", change);
  ASSERT_EQ(code.records.size(), 1u);
  // The decision's true and false outcomes and its two rows (cond 2 without
  // a covered pair); the evaluations count nothing of their own under this view.
  EXPECT_EQ(code.hits, 3u);
  EXPECT_EQ(code.all, 4u);
  const auto& outcomes = code.records[0].lines.at(0).outcomes;
  ASSERT_EQ(outcomes.size(), 4u);
  const ChangedOutcome& row = outcomes[3];
  EXPECT_EQ(row.outcome.kind, ExportOutcome::Kind::McdcRow);
  EXPECT_FALSE(row.covered());
  EXPECT_EQ(row.probe->mcdcRows()->rows.at(row.outcome.row), "MC/DC (cond 2): 3 - 1");
  EXPECT_EQ(uncoveredText(row),
            "condition 2 without a covered pair: run FT (evaluation 3), it pairs with 1");
}

TEST(ChangedCodeTest, RootAndRelativeNames) {
  auto coverage = mergedExample("basic");
  ChangeSet change;
  change.files = {{"main.c", {13}}};
  // With -root "src" the record is "main.c" and the diff's name matches it.
  EXPECT_EQ(summaryOf(measureChangedCode(*coverage, "src", change)),
            (std::vector<std::string>{"main.c 2/2"}));
  // A relative name does not match a relative record by its end alone.
  EXPECT_EQ(summaryOf(measureChangedCode(*coverage, "", change)),
            (std::vector<std::string>{"?main.c 1"}));
}

TEST(ChangedCodeTest, NothingChangedMeasuresNothing) {
  auto coverage = mergedExample("basic");
  const ChangedCode code = measureChangedCode(*coverage, "", ChangeSet{});
  EXPECT_FALSE(code.measured());
  EXPECT_EQ(code.ter, 100u);
  EXPECT_TRUE(code.records.empty());
}

}  // namespace
}  // namespace kov
