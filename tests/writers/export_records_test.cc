#include "writers/export_records.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "model/coverage.h"
#include "writers/probe_builders.h"

namespace kov {
namespace {

using K = ProbeKind;
using testing::probeRecord;

constexpr const char* kStamp = "Mon Dec  7 11:14:34 2026";

std::unique_ptr<Coverage> emptyCoverage(std::string_view view) {
  auto coverage = std::make_unique<Coverage>("3.4", std::vector<std::string>{"a.xml"},
                                             std::vector<std::string>{},
                                             std::vector<std::string>{},
                                             std::vector<std::string>{"c1", "c2"});
  coverage->coverageViews = {std::string(view)};
  return coverage;
}

CoverageFile* addSource(Coverage& coverage, std::string_view key, std::string_view name,
                        std::uint32_t type = kSourceFile, bool chosen = true) {
  CoverageFile* file = coverage.addFile(key, type, name, chosen);
  file->addInstrumentationMode("multicondition");
  return file;
}

void addFunction(CoverageFile& file, const std::string& name, std::uint32_t line,
                 const std::string& parameters, std::vector<ProbeRecord> probes,
                 CoverageFile* origin = nullptr) {
  FunctionRecord record;
  record.originFile = origin ? origin : &file;
  record.name = name;
  record.definitionLine = line;
  record.parameters = parameters;
  file.addFunction(name, line, parameters, record);
  for (ProbeRecord& probe : probes) file.addProbe(name, line, parameters, std::move(probe));
}

// A record's lines as "number:count", with the taken counts of its branches in
// brackets, "|" between the probes (blocks) of the line.
std::string linesOf(const ExportRecord& record) {
  std::string text;
  std::size_t next = 0;
  for (const ExportLine& line : record.lines) {
    if (!text.empty()) text += ' ';
    text += std::to_string(line.number) + ':' + std::to_string(line.count);
    if (line.branchesValid == 0) continue;
    text += '[';
    for (std::uint32_t i = 0; i < line.branchesValid; ++i) {
      const ExportBranch& branch = record.branches.at(next++);
      if (i > 0) text += branch.branch == 0 ? '|' : ',';
      text += std::to_string(branch.taken);
    }
    text += ']';
  }
  return text;
}

struct Probe {
  ProbeKind kind;
  std::uint32_t count1 = 0;
  std::uint32_t count2 = 0;
  std::string description = "p";
  bool count1Present = true;
  std::uint32_t line = 0;  // 0: the line after the previous probe's
};

struct KindCase {
  const char* name;
  std::string_view view;
  std::vector<Probe> probes;  // of one function, from line 1 on
  std::string lines;
};

// clang-format off
const KindCase kKindCases[] = {
    {"SingleCounterKindsCountTheirFirstCounter", kViewAsInstrumented,
     {{K::Function, 5}, {K::Return, 0, 9}, {K::Case, 2}, {K::LambdaEnd, 1}, {K::SehTry, 3},
      {K::ForRange, 4}},
     "1:5 2:0 3:2 4:1 5:3 6:4"},
    {"DecisionsGiveTrueAndFalse", kViewAsInstrumented,
     {{K::If, 3, 0}, {K::While, 0, 0}, {K::SubCond, 1, 1}, {K::ExprAndor, 0, 2}},
     "1:3[3,0] 2:0[0,0] 3:2[1,1] 4:2[0,2]"},
    {"DecisionCountSaturates", kViewAsInstrumented,
     {{K::Ternary, 4294967295u, 7}, {K::ElseIf, 4294967290u, 5}},
     "1:4294967295[4294967295,7] 2:4294967295[4294967290,5]"},
    {"ConstantConditionsCountTheirCountedOutcome", kViewAsInstrumented,
     {{K::ConstIf, 6, 0}, {K::ConstWhile, 0, 2, "p", false}, {K::ConstFor, 0, 0}},
     "1:6[6] 2:2[2] 3:0[0]"},
    {"MarkersMakeNoLine", kViewAsInstrumented,
     {{K::Function, 1}, {K::Else}, {K::Switch}, {K::BlockEnd}, {K::Label}, {K::UserAnnotation},
      {K::FunctionEndNr}, {K::Do}, {K::Linedir}, {K::FunctionTryBlock}},
     "1:1"},
    {"EvaluationsAreBranchesAsInstrumented", kViewAsInstrumented,
     {{K::MultiCondT, 4, 0, "1: TT"}, {K::MultiCondF, 0, 2, "2: F_"},
      {K::MultiCondF, 0, 0, "3: TF"}, {K::Mcdc, 0, 0, "a && b"}},
     "1:4[4] 2:2[2] 3:0[0]"},
    {"McdcRowsAreTheBranchesUnderTheMcdcView", kViewMcdc,
     {{K::MultiCondT, 4, 0, "1: TT"}, {K::MultiCondF, 0, 2, "2: F_"},
      {K::MultiCondF, 0, 0, "3: TF"}, {K::Mcdc, 0, 0, "a && b"}},
     "1:4 2:2 3:0 4:0[1,0]"},
    {"ProbesOfOneLineMerge", kViewAsInstrumented,
     {{K::If, 2, 3, "p", true, 7}, {K::Return, 4, 0, "p", true, 7}, {K::If, 1, 0, "q", true, 7},
      {K::Function, 9, 0, "f", true, 3}},
     "3:9 7:5[2,3|1,0]"},
};
// clang-format on

void PrintTo(const KindCase& c, std::ostream* os) { *os << c.name; }

class ExportRecordsKindTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(ExportRecordsKindTest, LinesAndBranches) {
  const KindCase& c = GetParam();
  auto coverage = emptyCoverage(c.view);
  CoverageFile* file = addSource(*coverage, "a.c", "a.c");
  std::vector<ProbeRecord> probes;
  std::uint32_t line = 0;
  for (const Probe& p : c.probes) {
    line = p.line != 0 ? p.line : line + 1;
    probes.push_back(probeRecord(p.kind, line, 1, p.description, p.count1, p.count2,
                                 p.count1Present));
  }
  addFunction(*file, "f", 1, "()", std::move(probes));
  coverage->process(kStamp);

  const ExportRecords exported = collectExportRecords(*coverage, "");
  ASSERT_EQ(exported.records.size(), 1u);
  const ExportRecord& record = exported.records[0];
  EXPECT_EQ(linesOf(record), c.lines);
  // A function's own lines are its record's lines where it is alone.
  ASSERT_EQ(record.functions.size(), 1u);
  const ExportTally own = ExportTally::of(record.linesOf(record.functions[0]));
  const ExportTally all = ExportTally::of(record.lines);
  EXPECT_EQ(own.linesValid, all.linesValid);
  EXPECT_EQ(own.branchesValid, all.branchesValid);
  EXPECT_EQ(own.branchesCovered, all.branchesCovered);
}

INSTANTIATE_TEST_SUITE_P(ByKind, ExportRecordsKindTest, ::testing::ValuesIn(kKindCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ExportRecordsTest, FunctionsByNameAndParametersWithTheirCount) {
  auto coverage = emptyCoverage(kViewAsInstrumented);
  CoverageFile* file = addSource(*coverage, "a.c", "a.c");
  addFunction(*file, "f", 3, "(int a, int b)", {probeRecord(K::Function, 3, 0, "f", 7)});
  addFunction(*file, "f", 9, "(int a; int b)", {probeRecord(K::Function, 9, 0, "f", 1)});
  addFunction(*file, "g", 12, "", {probeRecord(K::Return, 13, 1, "r", 5)});  // no function probe
  addFunction(*file, "", 20, "", {probeRecord(K::Function, 20, 0, "", 2)});
  coverage->process(kStamp);

  const ExportRecords exported = collectExportRecords(*coverage, "");
  ASSERT_EQ(exported.records.size(), 1u);
  std::vector<std::string> functions;
  for (const ExportFunction& f : exported.records[0].functions) {
    functions.push_back(f.name + " @" + std::to_string(f.line) + " x" + std::to_string(f.count) +
                        " sig=" + std::string(f.parameters));
  }
  EXPECT_EQ(functions, (std::vector<std::string>{
                           "f(int a, int b) @3 x7 sig=(int a, int b)",
                           // equal to the first once lcov's "," is written ";"
                           "f(int a; int b) (line 9) @9 x1 sig=(int a; int b)",
                           "g @12 x0 sig=",
                           "? @20 x2 sig=",
                       }));
}

// Functions mostly follow each other line by line; where one shares a line
// with the next, or its lines come after those of a later one, the record's
// lines are merged from all its probes, while each function keeps its own.
TEST(ExportRecordsTest, FunctionsThatShareOrInterleaveLines) {
  struct Case {
    const char* name;
    std::vector<std::uint32_t> gLines;  // lines of g's probes (f has 5 and 6)
    std::string record;
    std::string g;
  } cases[] = {
      {"OneAfterTheOther", {7, 8}, "5:1 6:3[2,1] 7:4 8:9[9,0]", "7:4 8:9[9,0]"},
      {"SharedLine", {6, 8}, "5:1 6:4[2,1] 8:9[9,0]", "6:4 8:9[9,0]"},
      {"BeforeTheFirst", {2, 3}, "2:4 3:9[9,0] 5:1 6:3[2,1]", "2:4 3:9[9,0]"},
  };
  for (const Case& c : cases) {
    auto coverage = emptyCoverage(kViewAsInstrumented);
    CoverageFile* file = addSource(*coverage, "a.c", "a.c");
    addFunction(*file, "f", 5, "()",
                {probeRecord(K::Function, 5, 0, "f", 1), probeRecord(K::If, 6, 1, "i", 2, 1)});
    addFunction(*file, "g", 9, "()",
                {probeRecord(K::Function, c.gLines[0], 0, "g", 4),
                 probeRecord(K::While, c.gLines[1], 1, "w", 9, 0)});
    coverage->process(kStamp);

    const ExportRecords exported = collectExportRecords(*coverage, "");
    ASSERT_EQ(exported.records.size(), 1u);
    const ExportRecord& record = exported.records[0];
    EXPECT_EQ(linesOf(record), c.record) << c.name;
    ASSERT_EQ(record.functions.size(), 2u);
    // The functions' own lines, branches as valid/covered.
    auto own = [&](const ExportFunction& f) {
      std::string text;
      for (const ExportLine& line : record.linesOf(f)) {
        if (!text.empty()) text += ' ';
        text += std::to_string(line.number) + ':' + std::to_string(line.count);
        if (line.branchesValid) {
          text += '[' + std::to_string(line.branchesCovered) + '/' +
                  std::to_string(line.branchesValid) + ']';
        }
      }
      return text;
    };
    EXPECT_EQ(own(record.functions[0]), "5:1 6:3[2/2]") << c.name;
    std::string g = c.g;  // taken counts as covered/valid
    for (const auto& [from, to] : {std::pair<const char*, const char*>{"[2,1]", "[2/2]"},
                                   {"[9,0]", "[1/2]"}}) {
      for (std::size_t at; (at = g.find(from)) != std::string::npos;) g.replace(at, 5, to);
    }
    EXPECT_EQ(own(record.functions[1]), g) << c.name;
  }
}

TEST(ExportRecordsTest, UniqueFunctionNames) {
  struct Step {
    std::string name;
    std::uint32_t line;
    std::string unique;
  } steps[] = {
      {"f(a,b)", 3, "f(a,b)"},
      {"f(a;b)", 9, "f(a;b) (line 9)"},
      {"f(a;b) (line 9)", 12, "f(a;b) (line 9) (line 12)"},
      {"g", 5, "g"},
      {"g", 5, "g (line 5)"},
      {"g", 5, "g (line 5 #2)"},
      {"g\r", 6, "g\r"},
      {"g\n", 7, "g\n (line 7)"},  // both read back as "g?"
  };
  std::unordered_set<std::string> taken;
  for (const Step& step : steps) {
    EXPECT_EQ(uniqueFunctionName(step.name, step.line, taken), step.unique) << step.name;
  }
}

// Records are keyed like the listing's files; a line-directive stretch joins
// the record of the file it names, where its function's file is chosen.
TEST(ExportRecordsTest, StretchesJoinTheRecordOfTheFileTheyName) {
  struct Case {
    const char* name;
    bool headerChosen;
    bool otherChosen;
    std::vector<std::string> records;  // key, shown name, lines
  } cases[] = {
      // Registry order puts b's stretch after a's, so its block follows.
      {"HeaderChosen", true, true,
       {"inc\\t.h inc/t.h 5:1 21:6[5,1|3,1] 22:3", "src\\a.c src/a.c 1:1",
        "src\\b.c src/b.c 1:1"}},
      // Named by its first stretch in registry order (that of src/a.c).
      {"HeaderNotChosen", false, true,
       {"inc\\t.h INC/T.h 21:6[5,1|3,1] 22:3", "src\\a.c src/a.c 1:1", "src\\b.c src/b.c 1:1"}},
      {"OriginOfOneStretchNotChosen", true, false,
       {"inc\\t.h inc/t.h 5:1 21:6[5,1]", "src\\a.c src/a.c 1:1"}},
  };
  for (const Case& c : cases) {
    auto coverage = emptyCoverage(kViewAsInstrumented);
    CoverageFile* header = addSource(*coverage, "inc\\t.h", "inc/t.h", kHeaderFile, c.headerChosen);
    addFunction(*header, "t", 5, "()", {probeRecord(K::Function, 5, 0, "t", 1)});
    CoverageFile* a = addSource(*coverage, "src\\a.c", "src/a.c");
    addFunction(*a, "fa", 1, "()", {probeRecord(K::Function, 1, 0, "fa", 1)});
    CoverageFile* b = addSource(*coverage, "src\\b.c", "src\\b.c", kSourceFile, c.otherChosen);
    addFunction(*b, "fb", 1, "()", {probeRecord(K::Function, 1, 0, "fb", 1)});
    CoverageFile* fromA = addSource(*coverage, "src\\a.c_fa()_1_inc\\t.h", "INC/T.h",
                                    kLineDirectiveFile);
    addFunction(*fromA, "N.A.", 0, "( )", {probeRecord(K::While, 21, 1, "w", 5, 1)}, a);
    CoverageFile* fromB = addSource(*coverage, "src\\b.c_fb()_1_inc\\t.h", "inc\\t.H",
                                    kLineDirectiveFile);
    addFunction(*fromB, "N.A.", 0, "( )",
                {probeRecord(K::If, 21, 1, "i", 3, 1), probeRecord(K::Return, 22, 2, "r", 3)},
                b);
    coverage->process(kStamp);

    std::vector<std::string> records;
    for (const ExportRecord& r : collectExportRecords(*coverage, "").records) {
      records.push_back(r.key + ' ' + r.shownName + ' ' + linesOf(r));
    }
    EXPECT_EQ(records, c.records) << c.name;
  }
}

TEST(ExportRecordsTest, NothingChosenGivesNoRecords) {
  auto coverage = emptyCoverage(kViewAsInstrumented);
  CoverageFile* file = addSource(*coverage, "a.c", "a.c", kSourceFile, false);
  addFunction(*file, "f", 1, "()", {probeRecord(K::Function, 1, 0, "f", 1)});
  coverage->process(kStamp);
  const ExportRecords exported = collectExportRecords(*coverage, "");
  EXPECT_TRUE(exported.records.empty());
  EXPECT_EQ(exported.source, ".");
  EXPECT_EQ(collectExportRecords(*coverage, "C:\\src\\").source, "C:\\src\\");
}

}  // namespace
}  // namespace kov
