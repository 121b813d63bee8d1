// The exports and the TER count the same outcomes: over whole reports, the
// branches of every record plus the single-counter probes the records show
// (whose one outcome is their line running) come to the summary's overall
// all, and the covered ones to its hits.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "model/coverage.h"
#include "reader/report_pipeline.h"
#include "writers/export_records.h"

namespace kov {
namespace {

namespace fs = std::filesystem;

const fs::path kTests = fs::path(__FILE__).parent_path().parent_path();

struct MergeRun {
  std::vector<std::string> reports;  // relative to the repository
  std::vector<std::string> chosen = {};
  std::vector<std::string> unchosen = {};
};

// The kinds whose one outcome is counted as "executed or not".
bool isSingleCounter(ProbeKind kind) {
  switch (kind) {
    case ProbeKind::Function: case ProbeKind::Return: case ProbeKind::Case:
    case ProbeKind::Default: case ProbeKind::Break: case ProbeKind::Try: case ProbeKind::Throw:
    case ProbeKind::Catch: case ProbeKind::UserCounter: case ProbeKind::Lambda:
    case ProbeKind::LambdaEnd: case ProbeKind::FunctionEnd: case ProbeKind::Goto:
    case ProbeKind::Continue: case ProbeKind::WhileDecl: case ProbeKind::ForDecl:
    case ProbeKind::ForRange: case ProbeKind::ForEachRangeVc: case ProbeKind::ForeachRangeCsharp:
    case ProbeKind::SehTry: case ProbeKind::SehLeave: case ProbeKind::SehFinally:
    case ProbeKind::SehExcept:
      return true;
    default:
      return false;
  }
}

struct Count {
  std::uint64_t hits = 0;
  std::uint64_t all = 0;
};

void addSingles(const CoverageFunction& function, Count& count) {
  for (const auto& probe : function.probes()) {
    if (!isSingleCounter(probe->kind)) continue;
    ++count.all;
    if (probe->counters[0] > 0) ++count.hits;
  }
}

// The single-counter probes of the chosen files and of the stretches whose
// function lies in a chosen file.
Count singleCounterProbes(const Coverage& coverage) {
  Count count;
  for (const auto& [key, file] : coverage.files()) {
    if (file->fileType == kLineDirectiveFile) {
      const CoverageFunction* stretch = file->firstFunction();
      if (stretch && stretch->originFile && stretch->originFile->chosen) addSingles(*stretch, count);
    } else if (file->chosen) {
      for (const auto& function : file->functions()) addSingles(*function, count);
    }
  }
  return count;
}

TEST(ExportTotalsTest, BranchesAndSingleCounterProbesAreTheOverallTer) {
  const MergeRun runs[] = {
      {{"examples/basic/run1.xml", "examples/basic/run2.xml"}},
      {{"examples/basic/run1.xml", "examples/basic/run2.xml"}, {}, {"src/main.c"}},
      {{"examples/basic/run1.xml", "examples/basic/run2.xml"}, {"*.h", "src/ops.def"}},
      {{"examples/mcdc/run1.xml", "examples/mcdc/run2.xml"}},
      {{"tests/cli/reports/special.xml"}},
      {{"tests/cli/reports/stretch.xml"}},
      {{"tests/cli/reports/stretch.xml"}, {}, {"inc/table.h"}},
      {{"tests/cli/cases/export_odd_names/in/odd.xml", "tests/cli/reports/special.xml"}},
      {{"tests/cli/cases/export_root/in/windows.xml"}},
      {{"tests/reader/data/linedir.xml"}},
      {{"tests/reader/data/headers.xml"}},
  };
  for (const MergeRun& run : runs) {
    Coverage coverage("3.4", run.reports, run.chosen, run.unchosen, {"c1", "c2"});
    {
      ReportPipeline parser(coverage, false, run.chosen, run.unchosen);
      for (const std::string& report : run.reports) parser.parse((kTests / ".." / report).string());
    }
    coverage.process("Mon Dec  7 11:14:34 2026");

    ExportTally branches;
    for (const ExportRecord& record : collectExportRecords(coverage, "").records) {
      branches.add(ExportTally::of(record.lines));
    }
    const Count singles = singleCounterProbes(coverage);
    EXPECT_GT(coverage.all, 0u) << run.reports.front();
    EXPECT_EQ(branches.branchesValid + singles.all, coverage.all) << run.reports.front();
    EXPECT_EQ(branches.branchesCovered + singles.hits, coverage.hits) << run.reports.front();
  }
}

}  // namespace
}  // namespace kov
