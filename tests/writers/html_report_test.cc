// The HTML report as a writer: the tree of its pages, what it writes through
// its output, and the pieces the end-to-end cases do not reach.
#include "writers/html/html_report.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>
#include <vector>

#include "base/text_sink.h"
#include "model/coverage.h"
#include "writers/html/report_tree.h"
#include "writers/html/source_view.h"
#include "writers/probe_builders.h"
#include "writers/sample_coverage.h"

namespace kov::html {
namespace {

using testing::probeRecord;

// The report's files, kept in memory.
class MemoryOutput : public ReportOutput {
 public:
  TextSink& beginFile(std::string_view name) override {
    EXPECT_FALSE(open_) << "a file begun before the last one ended";
    EXPECT_EQ(files.count(std::string(name)), 0u) << name;
    open_ = true;
    name_ = name;
    sink_ = StringSink();
    return sink_;
  }
  void endFile() override {
    EXPECT_TRUE(open_);
    open_ = false;
    files[name_] = sink_.text();
  }
  std::map<std::string, std::string> files;

 private:
  bool open_ = false;
  std::string name_;
  StringSink sink_;
};

// Every file the same source text (or none).
class FixedSources : public SourceProvider {
 public:
  FixedSources(SourceStatus status, std::string text) : status_(status), text_(std::move(text)) {}
  SourceStatus readSource(const CoverageFile&, std::string& text) override {
    text = text_;
    return status_;
  }

 private:
  SourceStatus status_;
  std::string text_;
};

// A processed set with one function in each named file, keyed by its name.
std::unique_ptr<Coverage> coverageOf(const std::vector<std::string>& names,
                                     std::uint32_t nesting = 1) {
  auto coverage = std::make_unique<Coverage>("3.4", std::vector<std::string>{},
                                             std::vector<std::string>{},
                                             std::vector<std::string>{},
                                             std::vector<std::string>{"one", "two"});
  coverage->inputReportList = {"a.xml (Sun Dec  6 10:00:00 2026)"};
  coverage->coverageViews = {"As instrumented"};
  coverage->reportViews = {"decision"};
  for (const std::string& name : names) {
    CoverageFile* file = coverage->addFile(name, kSourceFile, name, true);
    file->addInstrumentationMode("decision");
    file->addLineCount(9);
    FunctionRecord record;
    record.originFile = file;
    file->addFunction("f", 2, "(void)", record);
    file->addProbe("f", 2, "(void)", probeRecord(ProbeKind::Function, 2, 0, "f", 1));
    file->addProbe("f", 2, "(void)", probeRecord(ProbeKind::If, 3, nesting, "if (x)", 1, 0));
    file->addProbe("f", 2, "(void)", probeRecord(ProbeKind::FunctionEnd, 5, 0, "}", 1));
  }
  coverage->process(testing::kRunStamp);
  return coverage;
}

TEST(HtmlReportTest, NameParts) {
  struct Case {
    std::string name;
    std::vector<std::string_view> parts;
  } cases[] = {
      {"src/main.c", {"src", "main.c"}},
      {"/usr/include/x.h", {"/", "usr", "include", "x.h"}},
      {"C:\\work\\a.c", {"C:", "work", "a.c"}},
      {"\\\\server\\share\\u.c", {"/", "server", "share", "u.c"}},
      {"./a//b/./c.c", {"a", "b", "c.c"}},
      {"../up.c", {"..", "up.c"}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(nameParts(c.name), c.parts) << c.name;
}

TEST(HtmlReportTest, TreeJoinsSingleChildChainsAndNumbersItsPages) {
  auto coverage = coverageOf({"src/app/core/a.c", "src/app/core/b.c", "src/app/util/c.c",
                              "src/main.c", "/abs/x.c", "lib/x/y/z/f.c", "README", "dir/", ""});
  const ReportTree tree(*coverage);
  // Pages in the order of a walk from the root, subdirectories in byte order.
  std::vector<std::string> directories;
  for (const DirectoryPage& page : tree.directories()) {
    directories.push_back(page.pageName + " " + page.path + " (" + page.label + ")");
  }
  EXPECT_EQ(directories, (std::vector<std::string>{
                             "index.html  ()",
                             "d1.html /abs (/abs)",
                             "d2.html dir (dir)",
                             "d3.html lib/x/y/z (lib/x/y/z)",
                             "d4.html src (src)",
                             "d5.html src/app (app)",
                             "d6.html src/app/core (core)",
                             "d7.html src/app/util (util)",
                         }));
  // Files in the listing's order (by key), each page named by its number.
  std::vector<std::string> files;
  for (const FilePage& page : tree.files()) {
    files.push_back(page.pageName + " " + tree.directories()[page.directory].pageName + " " +
                    std::string(page.label));
  }
  EXPECT_EQ(files, (std::vector<std::string>{
                       "f1.html index.html ", "f2.html d1.html x.c", "f3.html index.html README",
                       "f4.html d2.html ", "f5.html d3.html f.c", "f6.html d6.html a.c",
                       "f7.html d6.html b.c", "f8.html d7.html c.c", "f9.html d4.html main.c"}));
  EXPECT_EQ(tree.pathTo(6), (std::vector<std::size_t>{0, 4, 5, 6}));
  // Sums from the files up: every file has 3 of 4 outcomes.
  EXPECT_EQ(tree.directories()[5].tally.files, 3u);
  EXPECT_EQ(tree.directories()[5].tally.hits, 9u);
  EXPECT_EQ(tree.directories()[5].tally.all, 12u);
  EXPECT_EQ(tree.directories()[0].tally.hits, coverage->hits);
  EXPECT_EQ(tree.directories()[0].tally.all, coverage->all);
  EXPECT_EQ(tree.directories()[0].tally.ter(), coverage->terValue);
}

TEST(HtmlReportTest, WritesItsOwnFileNamesWhateverTheReportsName) {
  auto coverage = coverageOf({"../../etc/passwd", "/abs/x.c", "a/b\\..\\..\\c.c",
                              std::string("nul\0byte.c", 10), "<script>.c", "."});
  MemoryOutput output;
  writeHtmlReport(*coverage, output, nullptr);
  std::vector<std::string> names;
  for (const auto& [name, text] : output.files) names.push_back(name);
  // Three directories: "../../etc", "/abs" and "a/b/../..".
  EXPECT_EQ(names, (std::vector<std::string>{".kovxmlmerge-report", "d1.html", "d2.html",
                                             "d3.html", "f1.html", "f2.html", "f3.html", "f4.html",
                                             "f5.html", "f6.html", "favicon.svg", "index.html",
                                             "report.css", "report.js"}));
  EXPECT_EQ(output.files[std::string(kMarkerFileName)], kMarkerText);
  for (const auto& [name, text] : output.files) {
    EXPECT_EQ(text.find("<script>.c"), std::string::npos) << name;
    EXPECT_EQ(text.find('\0'), std::string::npos) << name;
  }
}

TEST(HtmlReportTest, EveryPageLinksOnlyToPagesOfTheReport) {
  auto coverage = testing::sampleCoverage();
  MemoryOutput output;
  writeHtmlReport(*coverage, output, nullptr);
  const std::regex link("(?:href|src)=\"([^\"#]*)");
  for (const auto& [name, text] : output.files) {
    for (std::sregex_iterator it(text.begin(), text.end(), link), end; it != end; ++it) {
      const std::string target = (*it)[1];
      if (!target.empty()) {
        EXPECT_EQ(output.files.count(target), 1u) << name << " -> " << target;
      }
    }
  }
}

TEST(HtmlReportTest, DeepNestingIsIndentedToALimit) {
  auto coverage = coverageOf({"deep.c"}, 4000000000u);
  MemoryOutput output;
  writeHtmlReport(*coverage, output, nullptr);
  const std::string& page = output.files["f1.html"];
  EXPECT_NE(page.find("<td>" + std::string(200, ' ') + "if (x)</td>"), std::string::npos);
  EXPECT_LT(page.size(), 20000u);
}

TEST(HtmlReportTest, SourceNotesSayWhatBecameOfTheSource) {
  struct Case {
    SourceStatus status;
    std::string source;
    std::string note;  // a text the page must hold
  } cases[] = {
      {SourceStatus::NotFound, "", "The source file was not found"},
      {SourceStatus::TooLarge, "", "The source file is too large to show"},
      {SourceStatus::Found, "line 1\nline 2\n",
       "The source has 2 lines, the reports name lines up to 5"},
      {SourceStatus::Found, "1\n2\n3\n4\n5\n", "<tr id=\"L5\"><td>5<td><span class=\"c\">1</span>"},
  };
  for (const Case& c : cases) {
    auto coverage = coverageOf({"a.c"});
    MemoryOutput output;
    FixedSources sources(c.status, c.source);
    writeHtmlReport(*coverage, output, &sources);
    EXPECT_NE(output.files["f1.html"].find(c.note), std::string::npos) << c.note;
  }
  // Lines past the end of the source still show their probes.
  auto coverage = coverageOf({"a.c"});
  MemoryOutput output;
  FixedSources shortSource(SourceStatus::Found, "only one line");
  writeHtmlReport(*coverage, output, &shortSource);
  EXPECT_NE(output.files["f1.html"].find("<tr class=\"u\" id=\"L3\"><td><span class=\"m\">"),
            std::string::npos);
}

TEST(HtmlReportTest, SourceLines) {
  struct Case {
    std::string text;
    std::vector<std::string_view> lines;
    Charset charset;
  } cases[] = {
      {"a\nb\r\nc\rd", {"a", "b", "c", "d"}, Charset::Utf8},
      {"a\n", {"a"}, Charset::Utf8},
      {"\n\n", {"", ""}, Charset::Utf8},
      {"", {}, Charset::Utf8},
      {"\xEF\xBB\xBFint x;\n", {"int x;"}, Charset::Utf8},  // the byte order mark goes
      {"caf\xE9\n\xEF\xBB\xBF", {"caf\xE9", "\xEF\xBB\xBF"}, Charset::Latin1},
  };
  for (const Case& c : cases) {
    const SourceLines source(c.text);
    std::vector<std::string_view> lines;
    for (std::size_t i = 1; i <= source.count(); ++i) lines.push_back(source.line(i));
    EXPECT_EQ(lines, c.lines) << c.text;
    EXPECT_EQ(source.charset(), c.charset) << c.text;
  }
}

}  // namespace
}  // namespace kov::html
