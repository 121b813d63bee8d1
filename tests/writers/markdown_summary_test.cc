#include "writers/markdown_summary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "base/text_sink.h"
#include "model/coverage.h"
#include "writers/probe_builders.h"
#include "writers/sample_coverage.h"

namespace kov {
namespace {

using testing::probeRecord;

std::string summaryOf(const Coverage& coverage, const SummaryGates& gates = {},
                      std::string_view root = "") {
  StringSink sink;
  writeMarkdownSummary(coverage, gates, root, sink);
  return sink.text();
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

TEST(MarkdownSummaryTest, WholeSummary) {
  auto coverage = testing::sampleCoverage();
  const SummaryGates gates{GateResult{"90", false}, GateResult{"0000000000012.50", true}};
  EXPECT_EQ(summaryOf(*coverage, gates),
            "**TER 56 % (5/9)** — minimum 90: **failed** · **statement TER 100 % (0/0)** — "
            "minimum 12.5: passed · view: As instrumented (decision)\n"
            "\n"
            "| File | TER | Statement TER | Uncovered outcomes |\n"
            "|:---|---:|---:|---:|\n"
            "| `util.h` | 0 % (0/3) | N.A. | 3 |\n"
            "| `main.c` | 80 % (4/5) | N.A. | 1 |\n"
            "| `fco.c` | 100 % (1/1) | N.A. | 0 |\n"
            "\n"
            "Totals: 2 source files, 1 header, 3 functions, 52 source lines; TER 56 % (5/9); "
            "statement TER 100 % (0/0), not available for 3 functions.\n"
            "\n"
            "Merged 2 reports, generated from `Sun Dec  6 10:00:00 2026` to "
            "`Sun Dec  6 12:30:00 2026`.\n");
}

TEST(MarkdownSummaryTest, GateMinimumsAsGivenOrShortened) {
  auto coverage = testing::sampleCoverage();
  struct Case {
    std::string given;
    std::string shown;
  } cases[] = {
      {"87", "87"},
      {"087.500", "087.500"},
      {"000000000000087", "87"},
      {"100.000000000000", "100"},
      {"0.0000000000001000", "0.000000000…"},
  };
  for (const Case& c : cases) {
    const std::string first = linesOf(summaryOf(*coverage, {GateResult{c.given, true}, {}}))[0];
    EXPECT_NE(first.find("— minimum " + c.shown + ": passed"), std::string::npos) << first;
  }
}

// A project of `files` files, file i with i % 7 uncovered outcomes of 7, and
// names of `nameLength` characters.
std::unique_ptr<Coverage> project(std::size_t files, std::size_t nameLength) {
  auto coverage = std::make_unique<Coverage>("3.4", std::vector<std::string>{},
                                             std::vector<std::string>{},
                                             std::vector<std::string>{},
                                             std::vector<std::string>{});
  coverage->coverageViews = {"As instrumented"};
  coverage->reportViews = {"decision"};
  for (std::size_t i = 0; i < files; ++i) {
    std::string number = std::to_string(10000 + i);
    std::string name = std::string(nameLength, '`') + number + ".c";
    CoverageFile* file = coverage->addFile(number, kSourceFile, name, true);
    file->addInstrumentationMode("decision");
    file->addFunction("f", 1, "()", FunctionRecord{});
    for (std::uint32_t line = 1; line <= 7; ++line) {
      const std::uint32_t count = line <= i % 7 ? 0 : 1;
      file->addProbe("f", 1, "()", probeRecord(ProbeKind::Return, line, 1, "r", count));
    }
  }
  coverage->process(testing::kRunStamp);
  return coverage;
}

TEST(MarkdownSummaryTest, WorstFilesFirstAndTheRestCounted) {
  auto coverage = project(40, 0);
  const std::vector<std::string> lines = linesOf(summaryOf(*coverage));
  // first line, blank, head, rule, 25 rows, blank, the rest, blank, totals, blank, reports
  ASSERT_EQ(lines.size(), 2 + 2 + 25 + 6u);
  // Five files each have 6 and 5 uncovered outcomes, six each 4, 3 and 2.
  std::vector<std::string> expected;
  for (int uncovered = 6; uncovered >= 2; --uncovered) {
    for (std::size_t i = 0; i < 40; ++i) {
      if (static_cast<int>(i % 7) == uncovered) {
        expected.push_back("| `" + std::to_string(10000 + i) + ".c` | ");
      }
    }
  }
  for (std::size_t row = 0; row < 25; ++row) {
    EXPECT_EQ(lines[4 + row].substr(0, expected[row].size()), expected[row]) << row;
  }
  // Left out: three with 2, six each with 1 and 0.
  EXPECT_EQ(lines[30], "…and 15 more files with 12 uncovered outcomes.");
  EXPECT_EQ(lines[4], "| `10006.c` | 14 % (1/7) | N.A. | 6 |");
}

// However many files and however long their names, the summary stays far
// below what a comment or a job summary takes (65,536 characters).
TEST(MarkdownSummaryTest, BoundedWhateverTheProjectsSize) {
  auto coverage = project(5000, 10000);
  coverage->inputReportList.assign(2, "r.xml (" + std::string(100000, '`') + ")");
  const std::string summary = summaryOf(*coverage, {GateResult{std::string(100000, '9'), true}, {}});
  EXPECT_LT(summary.size(), 20000u);
  EXPECT_EQ(linesOf(summary).size(), 35u);
}

TEST(MarkdownSummaryTest, ReportsWithTheirEarliestAndLatestTime) {
  struct Case {
    std::vector<std::string> reports;
    std::string line;
  } cases[] = {
      {{"a.xml (Tue Dec  8 10:00:00 2026)", "b.xml (Mon Dec  7 09:00:00 2026)",
        "c.xml (Wed Dec  9 08:00:00 2026)", "d.xml (Tue Dec  8 11:00:00 2026)"},
       "Merged 4 reports, generated from `Mon Dec  7 09:00:00 2026` to `Wed Dec  9 08:00:00 2026`."},
      {{"a.xml (Tue Dec  8 10:00:00 2026)", "b.xml (yesterday)", "c.xml ()"},
       "Merged 3 reports, generated `Tue Dec  8 10:00:00 2026`."},
      {{"a.xml (late)", "b.xml (early)"}, "Merged 2 reports, generated from `late` to `early`."},
      {{"a.xml (Tue Dec 31 23:59:59 2025)", "b.xml (Thu Jan  1 00:00:00 2026)"},
       "Merged 2 reports, generated from `Tue Dec 31 23:59:59 2025` to `Thu Jan  1 00:00:00 2026`."},
      {{"a.xml ()"}, "Merged 1 report."},
  };
  auto coverage = testing::sampleCoverage();
  for (const Case& c : cases) {
    coverage->inputReportList = c.reports;
    EXPECT_EQ(linesOf(summaryOf(*coverage)).back(), c.line);
  }
}

TEST(MarkdownSummaryTest, NoFileReported) {
  auto coverage = project(0, 0);
  EXPECT_EQ(summaryOf(*coverage),
            "**TER 100 % (0/0)** · **statement TER 100 % (0/0)** · view: As instrumented\n"
            "\n"
            "No file is reported.\n"
            "\n"
            "Totals: 0 source files, 0 headers, 0 functions, 0 source lines; TER 100 % (0/0); "
            "statement TER 100 % (0/0).\n"
            "\n"
            "Merged 0 reports.\n");
}

}  // namespace
}  // namespace kov
