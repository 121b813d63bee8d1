// The merge state, written and read back: a set restored from its state must
// save the same bytes and give the same outputs, and a state that was cut,
// edited or damaged must end in its diagnostic, never in a different merge.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "base/diagnostic.h"
#include "base/line_checksum.h"
#include "base/text_sink.h"
#include "model/coverage.h"
#include "model/coverage_file.h"
#include "model/coverage_function.h"
#include "model/coverage_probe.h"
#include "reader/merge_state_reader.h"
#include "reader/report_pipeline.h"
#include "writers/merge_state_xml.h"
#include "writers/profile_listing.h"
#include "writers/summary_xml.h"

namespace kov {
namespace {

namespace fs = std::filesystem;

const fs::path kTests = fs::path(__FILE__).parent_path().parent_path();

std::unique_ptr<Coverage> emptySet() {
  return std::make_unique<Coverage>("3.4", std::vector<std::string>{"x"},
                                    std::vector<std::string>{}, std::vector<std::string>{},
                                    std::vector<std::string>{});
}

std::unique_ptr<Coverage> readReports(const std::vector<std::string>& reports, bool ndl = false) {
  auto coverage = emptySet();
  ReportPipeline reading(*coverage, ndl, {}, {});
  std::vector<std::string> paths;
  for (const std::string& report : reports) {
    paths.push_back(report.front() == '/' ? report : (kTests / report).string());
  }
  reading.readAll(paths, false);
  return coverage;
}

std::string stateOf(const Coverage& coverage, bool ndl = false) {
  StringSink sink;
  writeMergeState(coverage, ndl, sink);
  return sink.text();
}

std::string outputsOf(Coverage& coverage) {
  coverage.process("Thu Jan  1 00:00:00 2026");
  StringSink listing;
  writeProfileListing(coverage, listing);
  StringSink summary;
  writeSummaryXml(coverage, summary);
  return listing.text() + summary.text();
}

class MergeStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kov-state-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string file(const std::string& bytes) {
    const std::string path = (folder_ / "state.xml").string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::unique_ptr<Coverage> load(const std::string& bytes, bool ndl = false) {
    auto coverage = emptySet();
    readMergeState(file(bytes), *coverage, ndl, {}, {});
    return coverage;
  }
  // The diagnostic a state ends in, or "" where it loads.
  std::string failureOf(const std::string& bytes, bool ndl = false) {
    try {
      load(bytes, ndl);
    } catch (const DiagnosticError& error) {
      return error.what();
    }
    return "";
  }

  fs::path folder_;
};

// A state that the writer would have written for these lines: the checksum
// on its end line recomputed, so that a test reaches the checks behind it.
std::string resealed(const std::string& state) {
  LineChecksum checksum;
  std::size_t at = 0;
  const std::size_t end = state.find("\n<end ") + 1;
  while (at < end) {
    const std::size_t feed = state.find('\n', at);
    checksum.addLine(std::string_view(state).substr(at, feed - at));
    at = feed + 1;
  }
  const std::size_t value = state.find("checksum=\"", end) + 10;
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text = state;
  std::uint64_t sum = checksum.value();
  for (int i = 15; i >= 0; --i, sum >>= 4) text[value + static_cast<std::size_t>(i)] = kHex[sum & 15];
  return text;
}

std::string replacedOnce(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

TEST_F(MergeStateTest, RestoredSetSavesTheSameStateAndGivesTheSameOutputs) {
  const std::vector<std::vector<std::string>> sets = {
      {"cli/reports/basic1.xml", "cli/reports/basic2.xml"},
      {"cli/reports/mcdc1.xml", "cli/reports/mcdc2.xml", "cli/reports/mcdc1.xml"},
      {"cli/reports/special.xml"},
      {"cli/reports/stretch.xml", "cli/reports/stretch.xml"},
      {"reader/data/headers.xml", "reader/data/linedir.xml", "reader/data/run1.xml"},
  };
  for (const auto& reports : sets) {
    SCOPED_TRACE(reports.front());
    auto read = readReports(reports);
    const std::string state = stateOf(*read);
    auto restored = load(state);
    EXPECT_EQ(stateOf(*restored), state);
    EXPECT_EQ(outputsOf(*restored), outputsOf(*read));
  }
}

TEST_F(MergeStateTest, EveryByteOfATextComesBack) {
  std::string bytes;
  for (int c = 0; c < 256; ++c) bytes += static_cast<char>(c);
  auto coverage = emptySet();
  CoverageFile* file = coverage->addFile(bytes, kSourceFile, bytes, true);
  file->instrumentationModes.push_back(bytes);
  FunctionRecord record;
  record.originFile = file;
  record.name = bytes;
  CoverageFunction* function = file->addFunction(bytes, 7, bytes, record);
  ProbeRecord probe;
  probe.kind = ProbeKind::Function;
  probe.counterLayout = CounterLayout::SingleCounter;
  probe.line = 7;
  probe.description = bytes;
  function->addProbe(std::move(probe));
  coverage->notices.push_back(bytes);

  const std::string state = stateOf(*coverage);
  auto restored = load(state);
  const CoverageFile& back = *restored->files().at(bytes);
  EXPECT_EQ(back.displayName, bytes);
  EXPECT_EQ(back.instrumentationModes, std::vector<std::string>{bytes});
  EXPECT_EQ(back.functions().at(0)->parameters, bytes);
  EXPECT_EQ(back.functions().at(0)->probes().at(0)->description, bytes);
  EXPECT_EQ(restored->notices, std::vector<std::string>{bytes});
  // Nothing XML cannot hold is written raw.
  for (char c : state) {
    const auto byte = static_cast<unsigned char>(c);
    EXPECT_TRUE(byte >= 0x20 || c == '\n') << "raw byte " << int{byte};
  }
}

TEST_F(MergeStateTest, ListsKeepEveryReportsEntryAsRuns) {
  auto read = readReports({"cli/reports/basic1.xml", "cli/reports/basic1.xml",
                           "cli/reports/basic1.xml", "cli/reports/basic2.xml"});
  const std::string state = stateOf(*read);
  EXPECT_NE(state.find("<item count=\"4\">8.3</item>"), std::string::npos);
  auto restored = load(state);
  EXPECT_EQ(restored->kovpostVersions, read->kovpostVersions);
  EXPECT_EQ(restored->inputReportList, read->inputReportList);
  EXPECT_EQ(restored->reportLines, read->reportLines);
  EXPECT_EQ(restored->notices, read->notices);
}

TEST_F(MergeStateTest, CutAnywhereIsDamage) {
  const std::string state = stateOf(*readReports({"cli/reports/basic1.xml"}));
  for (std::size_t size = 0; size < state.size(); ++size) {
    const std::string failure = failureOf(state.substr(0, size));
    // An empty file is no state at all to the reader, and a missing last
    // line feed loses nothing; every other cut is damage.
    if (size == state.size() - 1) {
      EXPECT_EQ(failure, "");
    } else if (size == 0) {
      EXPECT_NE(failure.find("error 13 "), std::string::npos);
    } else {
      ASSERT_NE(failure.find("error 34 "), std::string::npos) << "cut at " << size << ": " << failure;
    }
  }
}

TEST_F(MergeStateTest, AnyChangedByteIsRefused) {
  const std::string state = stateOf(*readReports({"cli/reports/mcdc1.xml", "cli/reports/mcdc2.xml"}));
  for (std::size_t at = 0; at < state.size(); ++at) {
    std::string changed = state;
    changed[at] = static_cast<char>(changed[at] ^ 0x01);
    const std::string failure = failureOf(changed);
    ASSERT_TRUE(failure.find("error 34 ") != std::string::npos ||
                failure.find("error 33 ") != std::string::npos ||
                failure.find("error 35 ") != std::string::npos)
        << "byte " << at << ": " << failure;
  }
}

TEST_F(MergeStateTest, HeaderChecksComeBeforeTheContent) {
  const std::string state = stateOf(*readReports({"cli/reports/basic1.xml"}));
  EXPECT_EQ(failureOf(replacedOnce(state, "format=\"1\"", "format=\"12\"")),
            "*** kovxmlmerge error 33 (9/120): Merge state of another format version: " +
                (folder_ / "state.xml").string());
  EXPECT_EQ(failureOf(state, true),
            "*** kovxmlmerge error 35 (9/126): Merge state was saved with other -ndl setting: " +
                (folder_ / "state.xml").string());
  EXPECT_EQ(failureOf(stateOf(*readReports({"cli/reports/basic1.xml"}, true), true), true), "");
}

// Edits that keep the checksum right but not the merge: each is refused at
// its line.
TEST_F(MergeStateTest, ContentThatDoesNotHoldTogetherIsRefusedAtItsLine) {
  auto read = readReports({"cli/reports/basic1.xml", "cli/reports/basic2.xml"});
  const std::string state = stateOf(*read);
  ASSERT_EQ(failureOf(resealed(state)), "");
  struct Edit {
    const char* what;
    std::string from;
    std::string to;
  };
  const std::vector<Edit> edits = {
      {"unknown probe kind", "<p k=\"1\" ", "<p k=\"52\" "},
      {"probe kind zero", "<p k=\"1\" ", "<p k=\"0\" "},
      {"layout of another kind", "<p k=\"3\" ", "<p k=\"3\" y=\"2\" "},
      {"layout out of range", "<p k=\"3\" ", "<p k=\"3\" y=\"7\" "},
      {"number with a leading zero", " l=\"13\"", " l=\"013\""},
      {"number past 32 bits", " l=\"13\"", " l=\"4294967296\""},
      {"number with a sign", " l=\"13\"", " l=\"+13\""},
      {"probe lines falling", "<p k=\"3\" l=\"13\"", "<p k=\"3\" l=\"1\""},
      {"attribute out of its place", "<p k=\"3\" l=\"13\" n=\"1\"", "<p k=\"3\" n=\"1\" l=\"13\""},
      {"unknown attribute", "<p k=\"3\" l=\"13\"", "<p k=\"3\" l=\"13\" z=\"1\""},
      {"unknown entity", "if (argc &gt; 1)", "if (argc &gt 1)"},
      {"reference the writer never writes", "if (argc &gt; 1)", "if (argc &#62; 1)"},
      {"header file out of range", "<p k=\"3\" l=\"13\"", "<p k=\"3\" l=\"13\" f=\"9\""},
      {"origin file out of range", "name=\"main\" line=\"10\"", "name=\"main\" line=\"10\" merges=\"1\" origin_file=\"99\""},
      {"statement flag other than no", "name=\"main\" line=\"10\" parameters=\"(int argc, char **argv)\" merges=\"1\"",
       "name=\"main\" line=\"10\" parameters=\"(int argc, char **argv)\" merges=\"1\" statement=\"yes\""},
      {"functions of one file twice", "<functions file=\"1\">", "<functions file=\"0\">"},
      {"file type unknown", "type=\"1\"", "type=\"4\""},
      {"file keys out of order", "<file key=\"src\\main.c\"", "<file key=\"a\""},
      {"lists in another order", "<list name=\"kovpost_versions\">", "<list name=\"input_reports\">"},
      {"list run of no report", "<item count=\"2\">8.3</item>", "<item count=\"0\">8.3</item>"},
      {"list run past any real history", "<item count=\"2\">8.3</item>",
       "<item count=\"4194305\">8.3</item>"},
      {"number list with text", "<item count=\"2\">1000</item>", "<item count=\"2\">1e3</item>"},
      {"function count on the end line", " functions=\"", " functions=\"1"},
      {"text element of files inside a function", "<p k=\"1\" l=\"10\"", "<mode>x</mode>\n<p k=\"1\" l=\"10\""},
      {"element after the root ends", "</kovxmlmerge_state>", "</kovxmlmerge_state>\n<x/>"},
  };
  for (const Edit& edit : edits) {
    const std::string failure = failureOf(resealed(replacedOnce(state, edit.from, edit.to)));
    EXPECT_NE(failure.find("error 34 "), std::string::npos) << edit.what << ": " << failure;
  }
}

TEST_F(MergeStateTest, StatementCountRunsMustAddUpToTheReports) {
  // A third run whose "if" probe gives another sc_count: that probe keeps
  // the counts of the reports as runs.
  std::ifstream in(kTests / "cli/reports/basic2.xml", std::ios::binary);
  const std::string base{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const std::string changed = (folder_ / "changed.xml").string();
  std::ofstream(changed, std::ios::binary) << replacedOnce(
      base, "line=\"13\" sc_count=\"1\"", "line=\"13\" sc_count=\"2\"");
  auto read = readReports({"cli/reports/basic1.xml", "cli/reports/basic1.xml", changed});
  const std::string state = stateOf(*read);
  const std::size_t at = state.find(" r=\"");
  ASSERT_NE(at, std::string::npos);
  const std::size_t end = state.find('"', at + 4);
  const std::string runs = state.substr(at, end + 1 - at);
  auto edited = [&](const std::string& to) { return resealed(replacedOnce(state, runs, to)); };
  EXPECT_EQ(failureOf(edited(runs)), "");
  for (const char* bad : {" r=\"1:3\"", " r=\"\"", " r=\"1:2 1:1\"", " r=\"1:0 2:3\"",
                          " r=\"1:1 2:1\"", " r=\"1:2 2:9\"", " r=\"1:2 2\"", " r=\"1:2  2:1\""}) {
    EXPECT_NE(failureOf(edited(bad)).find("error 34 "), std::string::npos) << bad;
  }
}

TEST_F(MergeStateTest, RecognisedByItsRootElementOnly) {
  auto recognised = [](const std::string& name) {
    InputFile input(name);
    return isMergeState(input);
  };
  const std::string state = stateOf(*readReports({"cli/reports/basic1.xml"}));
  EXPECT_TRUE(recognised(file(state)));
  EXPECT_FALSE(recognised((kTests / "cli/reports/basic1.xml").string()));
  EXPECT_FALSE(recognised(file("")));
  EXPECT_FALSE(recognised(file(replacedOnce(state, "<kovxmlmerge_state ", "<kovxmlmerge_statex "))));
  EXPECT_FALSE(recognised((folder_ / "missing.xml").string()));
}

// What was read to recognise the state is not read again: the reading goes
// on from the open file, whatever happened to the name since.
TEST_F(MergeStateTest, ReadFromTheInputThatWasRecognised) {
  auto reports = readReports({"cli/reports/basic1.xml", "cli/reports/basic2.xml"});
  const std::string state = stateOf(*reports);
  InputFile input(file(state));
  ASSERT_TRUE(isMergeState(input));
  fs::remove(folder_ / "state.xml");
  auto restored = emptySet();
  readMergeState(std::move(input), *restored, false, {}, {});
  EXPECT_EQ(stateOf(*restored), state);
}

}  // namespace
}  // namespace kov
