// Whole reports read into the merged coverage set, inspected in the model.
#include <string>
#include <vector>

#include "model/coverage_file.h"
#include "model/coverage_function.h"
#include "model/coverage_probe.h"
#include "reader/parser_fixture.h"

namespace kov {
namespace {

using testing::replaced;
using testing::report;
using Texts = std::vector<std::string>;

const char* const kMainKey = "c:\\work\\src\\main.c";

class ParserReads : public testing::ParserTest {
 protected:
  /// The one function of a file; fails the test where the file has another count.
  const CoverageFunction* onlyFunction(const std::string& key) {
    const CoverageFile* f = file(key);
    if (f == nullptr || f->functions().size() != 1) {
      ADD_FAILURE() << "expected one function in " << key;
      return nullptr;
    }
    return f->functions().front().get();
  }
};

TEST_F(ParserReads, TheHeaderValuesAndSummaryOfAReport) {
  const std::string path = parseText(report("run1.xml"));
  EXPECT_EQ(coverage.kovpostVersions, Texts{"8.3.1"});
  EXPECT_EQ(coverage.inputReportList, Texts{path + " (Mon Dec  7 11:14:34 2026)"});
  EXPECT_EQ(coverage.coverageViews, Texts{"As instrumented"});
  EXPECT_EQ(coverage.costFunctions, Texts{"none"});
  EXPECT_EQ(coverage.costTypes, Texts{"ticks"});
  EXPECT_EQ(coverage.costScalings, std::vector<std::uint32_t>{16});
  EXPECT_EQ(coverage.notices, Texts{"Coverage of run &amp; test 1"});  // not decoded
  EXPECT_EQ(coverage.reportViews, Texts{"decision/multiCondition"});
  EXPECT_EQ(coverage.reportLines, std::vector<std::uint32_t>{42});
  EXPECT_EQ(coverage.reportMeasurementPoints, std::vector<std::uint32_t>{5});
}

TEST_F(ParserReads, AFileWithItsFunctionAndProbes) {
  parseText(report("run1.xml"));
  EXPECT_EQ(fileKeys(), Texts{kMainKey});
  const CoverageFile* main = file(kMainKey);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main->displayName, "C:\\Work\\src\\Main.c");
  EXPECT_EQ(main->fileType, kSourceFile);
  EXPECT_TRUE(main->chosen);
  EXPECT_EQ(main->instrumentationModes, Texts{"decision"});
  EXPECT_EQ(main->includeLines, Texts{"<stdio.h>"});
  EXPECT_EQ(main->largestLineCount, 42u);  // from the file summary

  const CoverageFunction* function = onlyFunction(kMainKey);
  ASSERT_NE(function, nullptr);
  EXPECT_EQ(function->name, "main");
  EXPECT_EQ(function->parameters, "(int argc, std::vector<char *> argv)");
  EXPECT_EQ(function->definitionLine, 10u);
  EXPECT_EQ(function->callCount, 1u);
  EXPECT_EQ(function->totalExecutionCost, static_cast<std::uint32_t>(-5));
  EXPECT_EQ(function->maxExecutionCost, -5);
  EXPECT_EQ(function->originFile, main);

  const struct {
    ProbeKind kind;
    std::uint32_t line;
    std::string_view description;
    std::uint32_t count1, count2, statementCount, nesting;
    CounterLayout layout;
  } expected[] = {
      {ProbeKind::Function, 10, "main", 1, 0, 1, 0, CounterLayout::SingleCounter},
      {ProbeKind::If, 12, "argc > 1 && argv[1][0] == '-'", 1, 0, 2, 1, CounterLayout::TrueFalse},
      {ProbeKind::MultiCondT, 12, "3: argc > 1", 4, 0, 0, 1, CounterLayout::SingleCounter},
      {ProbeKind::ConstWhile, 15, "1", 0, 0, 1, 1, CounterLayout::ConstFalse},  // no count1
      {ProbeKind::FunctionEnd, 20, "\"main\" end", 1, 0, 1, 0, CounterLayout::SingleCounter},
  };
  const auto& probes = function->probes();
  ASSERT_EQ(probes.size(), std::size(expected));
  for (std::size_t i = 0; i < probes.size(); ++i) {
    const CoverageProbe& probe = *probes[i];
    EXPECT_EQ(probe.kind, expected[i].kind) << i;
    EXPECT_EQ(probe.line, expected[i].line) << i;
    EXPECT_EQ(probe.shownLine, expected[i].line) << i;
    EXPECT_EQ(probe.description, expected[i].description) << i;
    EXPECT_EQ(probe.counters[0], expected[i].count1) << i;
    EXPECT_EQ(probe.counters[1], expected[i].count2) << i;
    EXPECT_EQ(probe.statementCount, expected[i].statementCount) << i;
    EXPECT_EQ(probe.nesting, expected[i].nesting) << i;
    EXPECT_EQ(probe.counterLayout, expected[i].layout) << i;
    EXPECT_EQ(probe.headerFile, nullptr) << i;
  }
}

TEST_F(ParserReads, TheSameReportInOtherLineLayouts) {
  const std::string base = report("run1.xml");
  std::string crlf;
  for (char c : base) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  std::string tabs;
  for (std::size_t at = 0; at < base.size(); ++at) {
    // Indentation of tabs instead of blanks.
    const bool indent = base[at] == ' ' && (at == 0 || base[at - 1] == '\n' || tabs.back() == '\t');
    tabs += indent ? '\t' : base[at];
  }
  const struct {
    const char* label;
    std::string text;
  } variants[] = {
      {"carriage returns", crlf},
      {"tab indentation", tabs},
      {"separator of 8 bytes", replaced(base, "?>\n\n", "?>\n12345678\n")},
      {"root tag after 9 bytes of the separator",
       replaced(base, "?>\n\n<kov_xml_report>\n", "?>\n123456789<kov_xml_report>\n")},
      {"text after the overall summary", base + "<<< anything >>>\n"},
  };
  for (const auto& v : variants) {
    Coverage merged{"3.4", {"r.xml"}, {}, {}, {}};
    ReportPipeline parser(merged, false, {}, {});
    parser.parse(dir.write("variant.xml", v.text));
    ASSERT_EQ(merged.files().size(), 1u) << v.label;
    const CoverageFile& main = *merged.files().begin()->second;
    ASSERT_EQ(main.functions().size(), 1u) << v.label;
    EXPECT_EQ(main.functions().front()->probes().size(), 5u) << v.label;
    EXPECT_EQ(merged.reportMeasurementPoints, std::vector<std::uint32_t>{5}) << v.label;
  }
}

TEST_F(ParserReads, EntitiesInNamesParametersAndDescriptions) {
  std::string text = report("run1.xml");
  text =
      replaced(text, "<file name=\"C:\\Work\\src\\Main.c\">", "<file name=\"a&amp;b&lt;1&gt;.c\">");
  text = replaced(text, "<function name=\"main\">", "<function name=\"operator&lt;&lt;\">");
  parseText(text);
  const CoverageFile* f = file("a&b<1>.c");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->displayName, "a&b<1>.c");
  const CoverageFunction* function = onlyFunction("a&b<1>.c");
  ASSERT_NE(function, nullptr);
  EXPECT_EQ(function->name, "operator<<");
  EXPECT_EQ(function->parameters, "(int argc, std::vector<char *> argv)");
  EXPECT_EQ(function->probes()[1]->description, "argc > 1 && argv[1][0] == '-'");
}

TEST_F(ParserReads, AHeaderElementTwiceKeepsItsFirstText) {
  parseText(replaced(report("run1.xml"), "<execution_cost_type>ticks</execution_cost_type>",
                     "<execution_cost_type>ticks</execution_cost_type>\n"
                     "  <execution_cost_type>cycles</execution_cost_type>"));
  EXPECT_EQ(coverage.costTypes, (Texts{"ticks", "ticks"}));
}

TEST_F(ParserReads, NoStatementCountWrittenBeforeLine) {
  parseText(replaced(report("run1.xml"), "line=\"12\" sc_count=\"2\" count1=\"1\"",
                     "sc_count=\"2\" line=\"12\" count1=\"1\""));
  const CoverageFunction* function = onlyFunction(kMainKey);
  ASSERT_NE(function, nullptr);
  const CoverageProbe& probe = *function->probes()[1];
  EXPECT_EQ(probe.kind, ProbeKind::If);
  EXPECT_EQ(probe.statementCount, 0u);
  EXPECT_EQ(probe.counters[0], 1u);
}

TEST_F(ParserReads, TwoReportsIntoOneWithSummedCounters) {
  const std::string first = parseText(report("run1.xml"), "one.xml");
  const std::string second =
      parseText(replaced(replaced(report("run1.xml"), "count1=\"1\" count2=\"0\"",
                                  "count1=\"4294967295\" count2=\"6\""),
                         "<call_count>1</call_count>", "<call_count>2</call_count>"),
                "two.xml");
  EXPECT_EQ(coverage.kovpostVersions, (Texts{"8.3.1", "8.3.1"}));
  EXPECT_EQ(coverage.inputReportList,
            (Texts{first + " (Mon Dec  7 11:14:34 2026)", second + " (Mon Dec  7 11:14:34 2026)"}));
  EXPECT_EQ(coverage.reportLines, (std::vector<std::uint32_t>{42, 42}));
  const CoverageFunction* function = onlyFunction(kMainKey);
  ASSERT_NE(function, nullptr);
  EXPECT_EQ(function->callCount, 3u);
  ASSERT_EQ(function->probes().size(), 5u);
  const CoverageProbe& decision = *function->probes()[1];
  EXPECT_EQ(decision.mergeCount, 1u);
  EXPECT_EQ(decision.counters[0], 4294967295u);  // saturated
  EXPECT_EQ(decision.counters[1], 6u);
  EXPECT_EQ(function->probes()[0]->counters[0], 2u);
}

TEST_F(ParserReads, DriveLettersMergeOnlyWithNoDriveLetter) {
  const std::string upper =
      replaced(report("run1.xml"), "C:\\Work\\src\\Main.c\">", "C:\\Work\\A.c\">");
  const std::string lower =
      replaced(report("run1.xml"), "C:\\Work\\src\\Main.c\">", "d:/work/a.C\">");
  configure(true);
  parseText(upper, "one.xml");
  parseText(lower, "two.xml");
  EXPECT_EQ(fileKeys(), Texts{"\\work\\a.c"});
  EXPECT_EQ(file("\\work\\a.c")->displayName, "\\Work\\A.c");  // the first report's
  const CoverageFunction* function = onlyFunction("\\work\\a.c");
  ASSERT_NE(function, nullptr);
  EXPECT_EQ(function->callCount, 2u);

  Coverage separate{"3.4", {"r.xml"}, {}, {}, {}};
  ReportPipeline parser(separate, false, {}, {});
  parser.parse(dir.write("one.xml", upper));
  parser.parse(dir.write("two.xml", lower));
  ASSERT_EQ(separate.files().size(), 2u);
  EXPECT_EQ(separate.files().begin()->first, "c:\\work\\a.c");
  EXPECT_EQ(std::next(separate.files().begin())->first, "d:\\work\\a.c");
}

TEST_F(ParserReads, SourceWithACapitalMakesAHeader) {
  parseText(replaced(report("run1.xml"), "<file_type>source", "<file_type>Source"));
  ASSERT_NE(file(kMainKey), nullptr);
  EXPECT_EQ(file(kMainKey)->fileType, kHeaderFile);
}

TEST_F(ParserReads, ChosenFlagsFromTheFileNames) {
  const struct {
    const char* label;
    Texts chosen, unchosen;
    bool sourcesChosen, headerChosen;
  } cases[] = {
      {"no names", {}, {}, true, true},
      {"-f", {"*.c"}, {}, true, false},
      {"both: -nf not consulted", {"inc/*"}, {"INC\\UTIL.H"}, false, true},
  };
  for (const auto& c : cases) {
    Coverage merged{"3.4", {"r.xml"}, {}, {}, {}};
    ReportPipeline parser(merged, false, c.chosen, c.unchosen);
    parser.parse(dir.write("headers.xml", report("headers.xml")));
    ASSERT_EQ(merged.files().size(), 3u) << c.label;
    EXPECT_EQ(merged.files().at("a.c")->chosen, c.sourcesChosen) << c.label;
    EXPECT_EQ(merged.files().at("b.c")->chosen, c.sourcesChosen) << c.label;
    EXPECT_EQ(merged.files().at("inc\\util.h")->chosen, c.headerChosen) << c.label;
  }
}

TEST_F(ParserReads, AHeaderOfAFileLevelDirectiveMergedFromTwoSourceFiles) {
  parseText(report("headers.xml"));
  EXPECT_EQ(fileKeys(), (Texts{"a.c", "b.c", "inc\\util.h"}));
  const CoverageFile* header = file("inc\\util.h");
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header->fileType, kHeaderFile);
  EXPECT_EQ(header->displayName, "inc/Util.h");  // as the first source file names it
  EXPECT_EQ(header->instrumentationModes, Texts{"decision"});
  EXPECT_EQ(file("a.c")->extractedHeaderNames, Texts{"inc/Util.h"});
  EXPECT_EQ(file("b.c")->extractedHeaderNames, Texts{"inc/Util.h"});
  EXPECT_TRUE(file("b.c")->functions().empty());

  const CoverageFunction* helper = onlyFunction("inc\\util.h");
  ASSERT_NE(helper, nullptr);
  EXPECT_EQ(helper->name, "helper");
  EXPECT_EQ(helper->callCount, 5u);
  EXPECT_EQ(helper->shownLine, 3u);         // the directive's own line
  EXPECT_EQ(helper->lowestHeaderLine, 1u);  // the line it names
  ASSERT_EQ(helper->probes().size(), 2u);
  EXPECT_EQ(helper->probes()[1]->counters[0], 2u);
  EXPECT_EQ(helper->probes()[1]->counters[1], 3u);
  EXPECT_EQ(helper->probes()[1]->mergeCount, 1u);

  // The directive back to a.c sends the next function to a.c again.
  const CoverageFunction* run = onlyFunction("a.c");
  ASSERT_NE(run, nullptr);
  EXPECT_EQ(run->name, "run");
  EXPECT_EQ(run->shownLine, 9u);
  EXPECT_EQ(run->lowestHeaderLine, 20u);
}

TEST_F(ParserReads, DirectiveLinesEndWithTheirFile) {
  // a.c ends with a directive that no function takes; b.c's first function
  // stands under no directive of its own.
  std::string text = report("headers.xml");
  const std::size_t runStart = text.find("  <function name=\"run\">");
  text.erase(runStart, text.find("  <file_summary>", runStart) - runStart);
  text = replaced(text,
                  "<probe type=\"linedir\" nesting=\"0\" descr=\"#line 1 &quot;inc/util.h&quot;\"\n"
                  "    line=\"2\" />\n",
                  "");
  parseText(text);
  const CoverageFunction* helper = onlyFunction("b.c");
  ASSERT_NE(helper, nullptr);
  EXPECT_EQ(helper->shownLine, 0u);
  EXPECT_EQ(helper->lowestHeaderLine, 0u);
}

TEST_F(ParserReads, ALineDirectiveInABodyToItsOwnFile) {
  parseText(report("linedir.xml"));
  EXPECT_TRUE(coverage.inputReportList.empty());  // the report has no generation time
  const std::string partKey = "a.c_f(int x)_12_gen\\table.inc";
  EXPECT_EQ(fileKeys(), (Texts{"a.c", partKey}));
  const CoverageFile* source = file("a.c");
  const CoverageFile* part = file(partKey);
  ASSERT_NE(source, nullptr);
  ASSERT_NE(part, nullptr);
  EXPECT_EQ(part->fileType, kLineDirectiveFile);
  EXPECT_EQ(part->displayName, "gen/Table.inc");
  EXPECT_EQ(part->instrumentationModes, Texts{"decision"});
  EXPECT_EQ(source->lineDirectiveFileNames, Texts{"gen/Table.inc"});
  EXPECT_TRUE(source->extractedHeaderNames.empty());

  // The stretch between the two directives is the part's pseudo-function's.
  const CoverageFunction* stretch = onlyFunction(partKey);
  ASSERT_NE(stretch, nullptr);
  EXPECT_EQ(stretch->name, "N.A.");
  EXPECT_EQ(stretch->parameters, "( )");
  EXPECT_EQ(stretch->definitionLine, 0u);
  EXPECT_EQ(stretch->originFile, source);
  EXPECT_EQ(stretch->originName, "f");
  EXPECT_EQ(stretch->originLine, 12u);
  EXPECT_EQ(stretch->originParameters, "(int x)");
  ASSERT_EQ(stretch->probes().size(), 1u);
  EXPECT_EQ(stretch->probes()[0]->kind, ProbeKind::If);
  EXPECT_EQ(stretch->probes()[0]->description, "x < 0");

  // The directives stay with f; the second one closes the stretch.
  ASSERT_EQ(source->functions().size(), 2u);
  const CoverageFunction& f = *source->functions()[0];
  ASSERT_EQ(f.probes().size(), 4u);
  const CoverageProbe& into = *f.probes()[1];
  EXPECT_EQ(into.kind, ProbeKind::LinedirInFunction);
  EXPECT_EQ(into.line, 14u);  // the line of the directive that opened the stretch
  EXPECT_EQ(into.lowestHeaderLine, 100u);
  EXPECT_EQ(into.headerFile, part);
  const CoverageProbe& back = *f.probes()[2];
  EXPECT_EQ(back.line, 17u);  // the line it names
  EXPECT_EQ(back.shownLine, 16u);
  EXPECT_EQ(back.headerFile, source);
  EXPECT_EQ(f.probes()[3]->kind, ProbeKind::Return);
  EXPECT_EQ(source->functions()[1]->name, "g");
}

TEST_F(ParserReads, AStretchLeftOpenSendsTheNextFunctionsToTheHeader) {
  parseText(replaced(report("linedir.xml"),
                     "      <probe type=\"linedir_in_function\" nesting=\"1\" descr=\"#line 17 "
                     "&quot;a.c&quot;\"\n        line=\"16\" />\n",
                     ""));
  const std::string partKey = "a.c_f(int x)_12_gen\\table.inc";
  EXPECT_EQ(fileKeys(), (Texts{"a.c", partKey, "gen\\table.inc"}));
  // The body ends the stretch: the return probe after it goes to the part too.
  ASSERT_NE(onlyFunction(partKey), nullptr);
  EXPECT_EQ(onlyFunction(partKey)->probes().size(), 2u);
  const CoverageFunction* g = onlyFunction("gen\\table.inc");
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->name, "g");
  EXPECT_EQ(file("gen\\table.inc")->fileType, kHeaderFile);
  EXPECT_EQ(file("a.c")->extractedHeaderNames, Texts{"gen/Table.inc"});
}

}  // namespace
}  // namespace kov
