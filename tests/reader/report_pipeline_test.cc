#include "reader/report_pipeline.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "model/coverage.h"
#include "model/coverage_file.h"
#include "model/coverage_function.h"
#include "reader/reader_test_util.h"

namespace kov {
namespace {

using testing::diagnosticOf;
using testing::readFile;
using testing::replaced;
using testing::report;
using testing::TempDir;

std::filesystem::path cliReports() {
  return std::filesystem::path(__FILE__).parent_path().parent_path() / "cli" / "reports";
}

template <typename List>
std::string joined(const List& list) {
  std::ostringstream out;
  for (const auto& item : list) out << item << '|';
  return out.str();
}

// Everything reading puts into the merged set, as text, so that two sets can
// be compared as a whole.
std::string describe(const Coverage& coverage) {
  std::ostringstream out;
  out << joined(coverage.kovpostVersions) << '\n' << joined(coverage.inputReportList) << '\n'
      << joined(coverage.coverageViews) << joined(coverage.costFunctions)
      << joined(coverage.costTypes) << joined(coverage.costScalings) << '\n'
      << joined(coverage.notices) << joined(coverage.reportViews)
      << joined(coverage.reportLines) << joined(coverage.reportMeasurementPoints) << '\n';
  for (const auto& [key, file] : coverage.files()) {
    out << "file " << key << ' ' << file->fileType << ' ' << file->displayName << ' '
        << file->chosen << ' ' << file->largestLineCount << ' '
        << joined(file->instrumentationModes) << joined(file->extractedHeaderNames)
        << joined(file->lineDirectiveFileNames) << joined(file->includeLines) << '\n';
    for (const auto& function : file->functions()) {
      out << " function " << function->name << function->parameters << ' '
          << function->definitionLine << ' ' << function->reportMerges << ' '
          << function->callCount << ' ' << function->totalExecutionCost << ' '
          << function->maxExecutionCost << ' ' << function->shownLine << ' '
          << function->lowestHeaderLine << ' ' << function->statementAvailable << ' '
          << function->originFile->name << ' ' << function->originName
          << joined(function->lineDirectiveFileNames) << '\n';
      for (const auto& probe : function->probes()) {
        out << "  probe " << static_cast<int>(probe->kind) << ' ' << probe->line << ' '
            << probe->shownLine << ' ' << probe->lowestHeaderLine << ' ' << probe->mergeCount
            << ' ' << probe->nesting << ' ' << probe->statementCountText() << ' '
            << probe->counters[0] << ' ' << probe->counters[1] << ' '
            << static_cast<int>(probe->counterLayout) << ' ' << probe->description << " <"
            << probe->parentDescription() << "> "
            << (probe->headerFile ? probe->headerFile->name : std::string("-")) << '\n';
      }
    }
  }
  return out.str();
}

struct Mode {
  const char* label;
  bool secondThread;
  bool onePassScan;
};
const Mode kModes[] = {
    {"one thread", false, true},
    {"second thread", true, true},
    {"general rules only", false, false},
    {"second thread, general rules only", true, false},
};

std::string readWith(const Mode& mode, const std::vector<std::string>& files) {
  Coverage coverage{"3.4", {"r.xml"}, {}, {}, {}};
  ReportPipeline reading(coverage, false, {}, {});
  reading.setOnePassScan(mode.onePassScan);
  reading.readAll(files, mode.secondThread);
  return describe(coverage);
}

std::string errorWith(const Mode& mode, const std::vector<std::string>& files) {
  return diagnosticOf([&] {
    Coverage coverage{"3.4", {"r.xml"}, {}, {}, {}};
    ReportPipeline reading(coverage, false, {}, {});
    reading.setOnePassScan(mode.onePassScan);
    reading.readAll(files, mode.secondThread);
  });
}

TEST(ReportPipeline, EveryModeBuildsTheSameMergedSet) {
  TempDir dir;
  const auto data = testing::dataDir();
  // Enough reports to fill the queue between the threads many times over.
  std::vector<std::string> files;
  for (int round = 0; round < 12; ++round) {
    for (const char* name : {"mcdc1.xml", "mcdc2.xml", "basic1.xml", "basic2.xml", "special.xml"}) {
      files.push_back((cliReports() / name).string());
    }
    for (const char* name : {"run1.xml", "headers.xml", "linedir.xml"}) {
      files.push_back((data / name).string());
    }
  }
  // Other layouts of a report: CR LF line ends, tabs for blanks; and a probe
  // whose record is larger than a whole batch between the threads.
  std::string crlf = report("run1.xml");
  for (std::size_t at = crlf.find('\n'); at != std::string::npos; at = crlf.find('\n', at + 2)) {
    crlf.replace(at, 1, "\r\n");
  }
  files.push_back(dir.write("crlf.xml", crlf));
  std::string tabs;
  for (const char c : report("run1.xml")) {
    if (c == ' ' && !tabs.empty() && tabs.back() == ' ') {
      tabs.back() = '\t';
    } else {
      tabs.push_back(c);
    }
  }
  files.push_back(dir.write("tabs.xml", tabs));
  files.push_back(dir.write(
      "long.xml", replaced(report("run1.xml"), "descr=\"argc &gt; 1\"",
                           "descr=\"" + std::string(300000, 'x') + " &gt; 1\"")));

  const std::string expected = readWith(kModes[0], files);
  EXPECT_NE(expected.find("probe"), std::string::npos);
  for (const Mode& mode : kModes) EXPECT_EQ(readWith(mode, files), expected) << mode.label;
}

// The first report, opened and read ahead to see whether it is a merge
// state, is read on from there, on either thread.
TEST(ReportPipeline, AFirstReportOpenedAlreadyIsReadOnFromWhereItWasLeft) {
  const std::vector<std::string> files = {(cliReports() / "basic1.xml").string(),
                                          (cliReports() / "basic2.xml").string(),
                                          (cliReports() / "basic1.xml").string()};
  const std::vector<std::string> more(files.begin() + 1, files.end());
  const std::string expected = readWith(kModes[0], files);
  for (const Mode& mode : kModes) {
    for (std::size_t ahead : {0, 1, 256, 100000}) {
      Coverage coverage{"3.4", {"r.xml"}, {}, {}, {}};
      ReportPipeline reading(coverage, false, {}, {});
      reading.setOnePassScan(mode.onePassScan);
      InputFile first(files.front());
      first.head(ahead);
      reading.readAll(std::move(first), more, mode.secondThread);
      EXPECT_EQ(describe(coverage), expected) << mode.label << ", " << ahead << " ahead";
    }
  }
}

TEST(ReportPipeline, TheFirstFailureInCommandLineOrderIsReported) {
  TempDir dir;
  const std::string good = (cliReports() / "mcdc1.xml").string();
  const std::string text = readFile(good);
  const std::string unknownType =
      dir.write("type.xml", replaced(text, "type=\"return\"", "type=\"Return\""));
  const std::string cut = dir.write("cut.xml", text.substr(0, text.size() / 2));
  const std::string empty = dir.write("empty.xml", "");
  // The model settles a probe's kind, the reader finds the cut further on:
  // the probe's failure comes first, as it stands first in the report.
  const std::string typed = replaced(text, "type=\"return\"", "type=\"Return\"");
  const std::string typeThenCut =
      dir.write("type-cut.xml", typed.substr(0, typed.find("type=\"Return\"") + 200));
  struct Case {
    std::vector<std::string> files;
    std::string diagnostic;
  };
  std::vector<std::string> many(40, good);
  many.push_back(unknownType);
  many.push_back(empty);
  const Case cases[] = {
      {{good, unknownType, cut}, "*** kovxmlmerge error 22 (2/1561): Unknown probe type."},
      {{good, cut, unknownType}, "*** kovxmlmerge error 12 (2/1218): Input is not KOV++ XML report: " + cut},
      {{good, typeThenCut}, "*** kovxmlmerge error 22 (2/1561): Unknown probe type."},
      {{empty, good}, "*** kovxmlmerge error 13 (2/155): Input is an empty file: " + empty},
      {many, "*** kovxmlmerge error 22 (2/1561): Unknown probe type."},
  };
  for (const Case& c : cases) {
    for (const Mode& mode : kModes) {
      EXPECT_EQ(errorWith(mode, c.files), c.diagnostic) << mode.label;
    }
  }
}

}  // namespace
}  // namespace kov
