#include "model/coverage.h"

#include <gtest/gtest.h>

#include "base/diagnostic.h"
#include "model_builders.h"

namespace kov {
namespace {

using testing::probe;

constexpr const char* kStamp = "Mon Dec  7 11:14:34 2026";

class CoverageTest : public ::testing::Test {
 protected:
  Coverage coverage{"3.4", {"a.xml", "-p", "out.txt"}, {}, {}, {"c1", "c2"}};

  // A report's view: every call adds one report's requested view and shown views.
  void addReport(const char* view = "As instrumented", const char* shown = "decision") {
    coverage.coverageViews.push_back(view);
    coverage.reportViews.push_back(shown);
  }
  // A function of `calls` calls: function, return, function_end 3 statements later.
  CoverageFunction* addFunction(CoverageFile* file, const char* name, std::uint32_t line,
                                std::uint32_t calls, CoverageFile* origin = nullptr) {
    CoverageFunction* f =
        file->addFunction(name, line, "()", testing::function(origin ? origin : file, name, line));
    f->addProbe(probe("function", line, calls, 0, 0));
    f->addProbe(probe("return", line + 1, calls, 0, 2));
    f->addProbe(probe("function_end", line + 2, calls, 0, 3));
    return f;
  }
  std::string processError() {
    try {
      coverage.process(kStamp);
    } catch (const DiagnosticError& e) {
      return e.what();
    }
    return "";
  }
};

TEST_F(CoverageTest, OptionsTextAndFirstCallFixesAFile) {
  EXPECT_EQ(coverage.optionsText, "a.xml -p out.txt");
  CoverageFile* a = coverage.addFile("a.c", kSourceFile, "A.c", true);
  EXPECT_EQ(coverage.addFile("a.c", kHeaderFile, "a.C", false), a);
  EXPECT_EQ(a->displayName, "A.c");
  EXPECT_EQ(a->fileType, kSourceFile);
  EXPECT_TRUE(a->chosen);
  coverage.addFile("b.h", kHeaderFile, "b.h", true);
  coverage.addFile("c.h", kHeaderFile, "c.h", false);
  coverage.addFile("p", kLineDirectiveFile, "p.h", true);
  EXPECT_EQ(coverage.chosenSourceFiles, 1u);
  EXPECT_EQ(coverage.chosenHeaderFiles, 1u);
  EXPECT_EQ(coverage.chosenFiles, 2u);
}

TEST_F(CoverageTest, HeaderFunctionFromTwoSourceFilesMergesIntoOne) {
  addReport();
  CoverageFile* header = coverage.addFile("b.h", kHeaderFile, "b.h", true);
  header->addInstrumentationMode("decision");
  CoverageFile* one = coverage.addFile("one.c", kSourceFile, "one.c", true);
  CoverageFile* two = coverage.addFile("two.c", kSourceFile, "two.c", true);
  for (CoverageFile* source : {one, two}) {
    source->addInstrumentationMode("decision");
    source->addExtractedHeaderName("b.h");
    source->addLineCount(50);
  }
  addFunction(header, "inl", 5, 2, one);
  addFunction(header, "inl", 5, 3, two);
  ASSERT_EQ(header->functions().size(), 1u);
  const CoverageFunction& inl = *header->functions().front();
  EXPECT_EQ(inl.reportMerges, 1u);
  EXPECT_EQ(inl.probes().front()->counters[0], 5u);
  EXPECT_EQ(inl.originFile, one);

  coverage.process(kStamp);
  EXPECT_EQ(coverage.lines, 100u);  // headers add no lines
  EXPECT_EQ(coverage.functions, 1u);
  EXPECT_EQ(coverage.hits, 3u);
  EXPECT_EQ(coverage.all, 3u);
  EXPECT_EQ(coverage.requestedCoverageView, "As instrumented");
  EXPECT_EQ(coverage.shownCoverageViewsText, "decision");
}

TEST_F(CoverageTest, BackPropagationFromALineDirectiveFile) {
  addReport();
  CoverageFile* source = coverage.addFile("a.c", kSourceFile, "a.c", true);
  source->addInstrumentationMode("decision");
  CoverageFunction* f = source->addFunction("f", 10, "(int x)", testing::function(source, "f", 10, "(int x)"));
  f->addProbe(probe("function", 10, 1));
  for (std::uint32_t line = 11; line < 16; ++line) f->addProbe(probe("if", line, 1, line < 15 ? 1 : 0));
  f->addProbe(probe("case", 16, 0));  // 10 of 12 of its own
  CoverageFile* part = coverage.addFile("a.c_f(int x)_10_b.h", kLineDirectiveFile, "b.h", true);
  part->addInstrumentationMode("decision");
  source->addLineDirectiveFile("b.h", "f", 10, "(int x)");
  CoverageFunction* pseudo =
      part->addFunction("N.A.", 0, "( )", testing::function(source, "f", 10, "(int x)"));
  pseudo->addProbe(probe("if", 12, 1, 1));
  pseudo->addProbe(probe("if", 12, 1, 0));
  pseudo->addProbe(probe("case", 12, 0));  // 3 of 5
  pseudo->addProbe(probe("return", 12, 1));  // 4 of 6

  coverage.process(kStamp);
  EXPECT_EQ(f->hits, 14u);
  EXPECT_EQ(f->all, 18u);
  EXPECT_EQ(f->terValue, 78u);
  EXPECT_EQ(source->hits, 14u);
  EXPECT_EQ(source->all, 18u);
  EXPECT_EQ(source->terText, " 78 % ( 14/ 18)");
  EXPECT_EQ(coverage.hits, 14u);  // the line-directive file itself is never counted
  EXPECT_EQ(f->lineDirectiveFileNames, std::vector<std::string>{"b.h"});
}

TEST_F(CoverageTest, InstrumentationModesMustAgree) {
  addReport();
  CoverageFile* header = coverage.addFile("b.h", kHeaderFile, "B.h", true);
  header->addInstrumentationMode("decision");
  header->addInstrumentationMode("decision");
  header->addInstrumentationMode("condition");
  EXPECT_EQ(processError(), "*** kovxmlmerge error 17 (4/502): Different instrumentation modes: B.h");

  Coverage other{"3.4", {"a.xml"}, {}, {}, {"c1", "c2"}};
  other.coverageViews.push_back("As instrumented");
  other.addFile("x.c", kSourceFile, "x.c", false);  // even an unchosen file without any mode
  other.addFile("y.c", kSourceFile, "y.c", true)->addInstrumentationMode("decision");
  try {
    other.process(kStamp);
    ADD_FAILURE();
  } catch (const DiagnosticError& e) {
    EXPECT_STREQ(e.what(), "*** kovxmlmerge error 17 (4/502): Different instrumentation modes: x.c");
  }
}

TEST_F(CoverageTest, ViewsMustAgreeEvenWithoutChosenFiles) {
  addReport("As instrumented");
  addReport("Reduced to decision coverage");
  coverage.addFile("a.c", kSourceFile, "a.c", false);
  EXPECT_EQ(processError(),
            "*** kovxmlmerge error 16 (3/720): Different coverage view inputs can not be merged.");
}

TEST_F(CoverageTest, NothingChosenKeepsTheInitialTotals) {
  addReport();
  CoverageFile* a = coverage.addFile("a.c", kSourceFile, "a.c", false);
  a->addInstrumentationMode("m1");
  a->addInstrumentationMode("m2");  // never looked at: no per-file step runs
  addFunction(a, "f", 1, 1);
  coverage.process(kStamp);
  EXPECT_EQ(coverage.runTimeStamp, kStamp);
  EXPECT_EQ(coverage.terValue, 100u);
  EXPECT_EQ(coverage.statementTer, 100u);
  EXPECT_EQ(coverage.hits + coverage.all + coverage.functions + coverage.lines, 0u);
  EXPECT_EQ(coverage.shownCoverageViewsText, "");
  EXPECT_EQ(coverage.statementTerText, "");
}

TEST_F(CoverageTest, TotalsCountChosenFilesOnly) {
  addReport("As instrumented", "decision");
  addReport("As instrumented", "decision, multiCondition");
  CoverageFile* a = coverage.addFile("a.c", kSourceFile, "a.c", true);
  CoverageFile* b = coverage.addFile("b.c", kSourceFile, "b.c", false);
  for (CoverageFile* file : {a, b}) {
    file->addInstrumentationMode("decision, timing");
    file->addLineCount(120);
    file->addLineCount(118);
    addFunction(file, "f", 1, 1);
    addFunction(file, "g", 10, 0);
  }
  coverage.process(kStamp);
  EXPECT_EQ(a->largestLineCount, 120u);
  EXPECT_TRUE(a->timing);
  EXPECT_FALSE(a->functionCoverageOnly);
  EXPECT_EQ(coverage.lines, 120u);
  EXPECT_EQ(coverage.functions, 2u);
  EXPECT_EQ(coverage.hits, 3u);
  EXPECT_EQ(coverage.all, 6u);
  EXPECT_EQ(coverage.terValue, 50u);
  EXPECT_EQ(coverage.shownCoverageViewsText, "mixed decision/multicondition");
}

TEST_F(CoverageTest, TerTextsWidenPastThreeDigits) {
  addReport();
  CoverageFile* a = coverage.addFile("a.c", kSourceFile, "a.c", true);
  a->addInstrumentationMode("function");
  CoverageFunction* f = a->addFunction("f", 1, "()", testing::function(a, "f", 1));
  f->addProbe(probe("function", 1, 1, 0, 0));
  for (std::uint32_t i = 0; i < 1233; ++i) f->addProbe(probe("case", 2 + i, 1, 0, 0));
  coverage.process(kStamp);
  EXPECT_TRUE(a->functionCoverageOnly);
  EXPECT_EQ(f->terText, "100 % (1234/1234)");
  EXPECT_EQ(a->terText, "100 % (1234/1234)");
  EXPECT_EQ(f->statementTerText, "N.A. statement");  // no function_end: no statement figures
  EXPECT_EQ(a->statementTerText, "100 % (  0/  0) statement (N.A. for 1 functions)");
  EXPECT_FALSE(a->statementShown);
  EXPECT_EQ(coverage.statementTerText, "100 % (0/0) statement (N.A. for 1 functions)");
}

TEST_F(CoverageTest, StatementTexts) {
  addReport();
  CoverageFile* a = coverage.addFile("a.c", kSourceFile, "a.c", true);
  a->addInstrumentationMode("decision");
  addFunction(a, "f", 1, 1);   // 3 of 3 statements
  addFunction(a, "g", 10, 0);  // 0 of 3
  CoverageFunction* h = addFunction(a, "h", 20, 1);
  h->setStatementAvailability("no");
  coverage.process(kStamp);
  EXPECT_EQ(a->functions()[0]->statementTerText, "100 % (  3/  3) statement");
  EXPECT_EQ(a->functions()[1]->statementTerText, "  0 % (  0/  3) statement");
  EXPECT_EQ(a->functions()[2]->statementTerText, "N.A. statement");
  EXPECT_EQ(a->statementTerText, " 50 % (  3/  6) statement (N.A. for 1 functions)");
  EXPECT_TRUE(a->statementShown);
  EXPECT_EQ(coverage.statementTerText, "50 % (3/6) statement (N.A. for 1 functions)");
  EXPECT_EQ(a->functions()[0]->terText, "100 % (  3/  3)");
}

}  // namespace
}  // namespace kov
