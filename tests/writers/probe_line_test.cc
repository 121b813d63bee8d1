#include "writers/probe_line.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "base/text_sink.h"
#include "model/coverage_file.h"
#include "model/coverage_function.h"
#include "model/coverage_probe.h"
#include "writers/probe_builders.h"

namespace kov {
namespace {

using testing::cell;
using testing::probeRecord;

std::string linesOf(const CoverageProbe& probe, ListingContext& context) {
  StringSink sink;
  writeProbeLine(probe, context, sink);
  return sink.text();
}

class ProbeLineTest : public ::testing::Test {
 protected:
  CoverageFile file_{"a.c", kSourceFile, "a.c", true};
  CoverageFunction function_{"f", 10, "(void)", FunctionRecord{}};
  ListingContext context_{false, &file_, &function_, {}};
};

TEST_F(ProbeLineTest, DecisionWithAnOutcomeNeverTaken) {
  CoverageProbe probe(probeRecord(ProbeKind::If, 57, 1, "if (x > 0)", 12, 0));
  EXPECT_EQ(linesOf(probe, context_), "        12          0 -    57   if (x > 0)\n");
}

struct LineCase {
  const char* name;
  ProbeRecord record;
  char marker = '\0';
  bool mcdcView = false;
  bool functionCoverageOnly = false;
  std::string expected;
};

TEST_F(ProbeLineTest, LineFormsByKind) {
  const std::string notCovered = cell(13, "-");  // a T cell's blanks up to the mark
  std::vector<LineCase> cases = {
      {"decision with both outcomes", probeRecord(ProbeKind::If, 57, 0, "if (y)", 5, 7), '\0',
       false, false, cell(10, "5") + cell(11, "7") + cell(8, "57") + " if (y)\n"},
      {"sub_cond one level deeper", probeRecord(ProbeKind::SubCond, 80, 1, "a", 1, 1), '\0', false,
       false, cell(10, "1") + cell(11, "1") + cell(8, "80") + "     a\n"},
      {"executed return", probeRecord(ProbeKind::Return, 12, 1, "return 0;", 3), '\0', false, false,
       cell(10, "3") + cell(19, "12") + "   return 0;\n"},
      {"return never executed", probeRecord(ProbeKind::Return, 12, 1, "return 0;", 0), '\0', false,
       false, cell(10, "0") + notCovered + cell(6, "12") + "   return 0;\n"},
      {"multi_cond_f in the false column", probeRecord(ProbeKind::MultiCondF, 30, 2, "2: TF", 0, 4),
       '\0', false, false, cell(21, "4") + cell(8, "30") + "       2: TF\n"},
      {"multi_cond_t never hit", probeRecord(ProbeKind::MultiCondT, 31, 0, "1: TT", 0, 0), '\0',
       false, false, cell(10, "0") + notCovered + cell(6, "31") + "   1: TT\n"},
      {"multi_cond_t never hit under the MC/DC view",
       probeRecord(ProbeKind::MultiCondT, 31, 0, "1: TT", 0, 0), '\0', true, false,
       cell(10, "0") + cell(19, "31") + "   1: TT\n"},
      {"multi_cond_f never hit under the MC/DC view",
       probeRecord(ProbeKind::MultiCondF, 32, 0, "3: FF", 7, 0), '\0', true, false,
       cell(21, "0") + cell(8, "32") + "   3: FF\n"},
      {"else without counts", probeRecord(ProbeKind::Else, 40, 1, "else"), '\0', false, false,
       cell(29, "40") + "   else\n"},
      {"reached block_end", probeRecord(ProbeKind::BlockEnd, 44, 1, "}"), '+', false, false,
       cell(29, "44") + "   }+\n"},
      {"unreached block_end", probeRecord(ProbeKind::BlockEnd, 44, 1, "}"), '-', false, false,
       cell(29, "44") + "   }-\n"},
      {"case never taken with its marker", probeRecord(ProbeKind::Case, 50, 2, "case 1:", 0), '-',
       false, false, cell(10, "0") + notCovered + cell(6, "50") + "     case 1:-\n"},
      {"function_end without a marker", probeRecord(ProbeKind::FunctionEnd, 60, 0, "}", 1), '\0',
       false, false, cell(10, "1") + cell(19, "60") + " }\n"},
      {"function_end_nr", probeRecord(ProbeKind::FunctionEndNr, 61, 0, "}"), '-', false, false,
       cell(29, "61") + " }-\n"},
      {"function_end_nr in a function coverage only file",
       probeRecord(ProbeKind::FunctionEndNr, 61, 0, "}"), '\0', false, true, ""},
      {"const_if counted as true", probeRecord(ProbeKind::ConstIf, 70, 1, "if (1)", 2, 0), '\0',
       false, false, cell(10, "2") + cell(19, "70") + "   if (1)\n"},
      {"const_if never true", probeRecord(ProbeKind::ConstIf, 72, 1, "if (1)", 0, 0), '\0', false,
       false, cell(10, "0") + notCovered + cell(6, "72") + "   if (1)\n"},
      {"const_if counted as false",
       probeRecord(ProbeKind::ConstIf, 71, 1, "if (0)", 0, 3, /*count1Present=*/false), '\0', false,
       false, cell(21, "3") + cell(8, "71") + "   if (0)\n"},
      {"linedir", probeRecord(ProbeKind::Linedir, 5, 0, "#line 5"), '\0', false, false, ""},
      {"six-digit line keeps its mark", probeRecord(ProbeKind::If, 123456, 0, "if (z)", 1, 0), '\0',
       false, false, cell(10, "1") + cell(11, "0") + " -123456 if (z)\n"},
      {"seven-digit line has no room for the mark",
       probeRecord(ProbeKind::If, 1234567, 0, "if (z)", 1, 0), '\0', false, false,
       cell(10, "1") + cell(11, "0") + " 1234567 if (z)\n"},
      {"seven-digit line in a T cell", probeRecord(ProbeKind::Return, 1000000, 0, "return;", 0),
       '\0', false, false, cell(10, "0") + cell(19, "1000000") + " return;\n"},
      // 32-bit counters have at most 10 digits: they fill their cells, and a
      // 10-digit line number widens the 8-column line cell with no separator.
      {"widest numbers",
       probeRecord(ProbeKind::If, 4294967295u, 0, "if (w)", 4294967295u, 4294967295u), '\0', false,
       false, "4294967295 42949672954294967295 if (w)\n"},
  };
  for (LineCase& test : cases) {
    SCOPED_TRACE(test.name);
    CoverageProbe probe(std::move(test.record));
    probe.marker = test.marker;
    file_.functionCoverageOnly = test.functionCoverageOnly;
    context_.mcdcView = test.mcdcView;
    EXPECT_EQ(linesOf(probe, context_), test.expected);
  }
}

TEST_F(ProbeLineTest, McdcProbeWritesOneLinePerRow) {
  CoverageProbe probe(probeRecord(ProbeKind::Mcdc, 20, 1, "MC/DC"));
  context_.mcdcView = true;
  EXPECT_EQ(linesOf(probe, context_), "") << "a decision without rows";

  probe.addMcdcRow(1, "MC/DC (cond 1): 1 + 2");
  probe.addMcdcRow(2, "MC/DC (cond 2): 1 - 3");
  EXPECT_EQ(linesOf(probe, context_), cell(29, "20") + "     MC/DC (cond 1): 1 + 2\n" +  //
                                          cell(23, "-") + cell(6, "20") +
                                          "     MC/DC (cond 2): 1 - 3\n");
}

// A function whose code runs through a line-directive file "gen.y".
class LineDirectiveTest : public ProbeLineTest {
 protected:
  LineDirectiveTest() {
    stretch_ = part_.addFunction("N.A.", 0, "( )", FunctionRecord{});
    stretch_->addProbe(probeRecord(ProbeKind::If, 3, 1, "if (a)", 1, 1));
    stretch_->addProbe(probeRecord(ProbeKind::BlockEnd, 4, 1, "}"));
  }

  CoverageProbe directive(std::uint32_t line, std::uint32_t namedLine, CoverageFile& target) {
    ProbeRecord record = probeRecord(ProbeKind::LinedirInFunction, line, 1, "#line");
    record.headerLine = namedLine;
    record.headerFile = &target;
    return CoverageProbe(std::move(record));
  }

  CoverageFile part_{"gen.y", kLineDirectiveFile, "gen.y", true};
  CoverageFunction* stretch_;
};

TEST_F(LineDirectiveTest, IntoTheFileAndBack) {
  CoverageProbe into = directive(12, 1, part_);
  EXPECT_EQ(linesOf(into, context_), cell(29, "12") + "   #line 1 \"gen.y\"\n" + cell(10, "1") +
                                         cell(11, "1") + cell(8, "3") + "   if (a)\n" +
                                         cell(29, "4") + "   }\n");
  EXPECT_EQ(file_.pendingPart, &part_);
  EXPECT_FALSE(stretch_->listed) << "the stretch has not reached its function's end";

  CoverageProbe back = directive(15, 16, file_);
  EXPECT_EQ(linesOf(back, context_), cell(29, "15") + "   #line 16 \"a.c\"\n");
  EXPECT_EQ(file_.pendingPart, nullptr);
  EXPECT_TRUE(stretch_->listed);
}

TEST_F(LineDirectiveTest, ListedStretchLeavesItsFilePendingForTheNextFunction) {
  stretch_->listed = true;
  CoverageProbe into = directive(31, 1, part_);
  EXPECT_EQ(linesOf(into, context_), "");
  EXPECT_EQ(file_.pendingPart, &part_);

  FunctionRecord next;
  next.startLine = 38;
  next.headerLine = 39;
  CoverageFunction following("g", 40, "(void)", next);
  context_.function = &following;
  CoverageProbe entry(probeRecord(ProbeKind::Function, 40, 0, "g", 2));
  EXPECT_EQ(linesOf(entry, context_),
            cell(29, "38") + " #line 39 \"a.c\"\n" + cell(10, "2") + cell(19, "40") + " g\n");
  EXPECT_EQ(file_.pendingPart, nullptr);
}

TEST_F(LineDirectiveTest, StretchThatEndsTheFunctionIsListedByItsEnd) {
  stretch_->addProbe(probeRecord(ProbeKind::FunctionEnd, 5, 0, "}", 1));
  CoverageProbe into = directive(12, 1, part_);
  EXPECT_EQ(linesOf(into, context_), cell(29, "12") + "   #line 1 \"gen.y\"\n" + cell(10, "1") +
                                         cell(11, "1") + cell(8, "3") + "   if (a)\n" +
                                         cell(29, "4") + "   }\n" + cell(10, "1") + cell(19, "5") +
                                         " }\n");
  EXPECT_TRUE(stretch_->listed);

  CoverageProbe back = directive(15, 16, file_);
  EXPECT_EQ(linesOf(back, context_), "");
  EXPECT_EQ(file_.pendingPart, nullptr);
}

TEST_F(LineDirectiveTest, LeadingBackWithoutPendingPartWritesNothing) {
  CoverageProbe back = directive(15, 16, file_);
  EXPECT_EQ(linesOf(back, context_), "");
  EXPECT_EQ(file_.pendingPart, nullptr);
  EXPECT_FALSE(stretch_->listed);
}

TEST_F(LineDirectiveTest, DirectiveInsideItsOwnStretchDoesNotRecurse) {
  ProbeRecord self = probeRecord(ProbeKind::LinedirInFunction, 6, 1, "#line");
  self.headerFile = &part_;
  stretch_->addProbe(std::move(self));
  CoverageProbe into = directive(12, 1, part_);
  EXPECT_EQ(linesOf(into, context_), cell(29, "12") + "   #line 1 \"gen.y\"\n" + cell(10, "1") +
                                         cell(11, "1") + cell(8, "3") + "   if (a)\n" +
                                         cell(29, "4") + "   }\n");
}

}  // namespace
}  // namespace kov

namespace kov {
namespace {

// Remembers the largest piece the sink was handed at once.
class PieceSink : public TextSink {
 public:
  std::size_t largestPiece = 0;
  std::size_t total = 0;

 protected:
  bool writeOut(std::string_view bytes) override {
    largestPiece = std::max(largestPiece, bytes.size());
    total += bytes.size();
    return true;
  }
};

TEST(ProbeLineIndentation, DeepNestingIsHandedOnInPiecesNotHeldWhole) {
  CoverageFile file{"a.c", kSourceFile, "a.c", true};
  CoverageFunction function{"f", 10, "(void)", FunctionRecord{}};
  ListingContext context{false, &file, &function, {}};
  // A hand-edited nesting of a million levels: two million blanks.
  CoverageProbe probe(testing::probeRecord(ProbeKind::Return, 5, 1000000, "return", 1));
  PieceSink sink;
  writeProbeLine(probe, context, sink);
  sink.flush();
  EXPECT_EQ(sink.total, 30u + 2000000u + 7u);
  EXPECT_LT(sink.largestPiece, 200000u);
}

}  // namespace
}  // namespace kov

namespace kov {
namespace {

// Counts the lines written and keeps the last one.
class LineCountSink : public TextSink {
 public:
  std::size_t lines = 0;
  std::string lastLine;

 protected:
  bool writeOut(std::string_view bytes) override {
    for (char c : bytes) {
      if (c == '\n') {
        ++lines;
        lastText_.swap(lastLine);
        lastText_.clear();
      } else {
        lastText_.push_back(c);
      }
    }
    return true;
  }

 private:
  std::string lastText_;
};

// Runs `body` on a thread whose stack holds 256 KiB.
template <typename Body>
void onSmallStack(Body body) {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, 256 * 1024);
  pthread_t thread;
  auto run = [](void* argument) -> void* {
    (*static_cast<Body*>(argument))();
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attributes, run, &body), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
}

TEST(LineDirectiveChain, NestedDirectivesDoNotDeepenTheCallStack) {
  // Line-directive file i holds a statement and a directive into file i + 1:
  // reports can chain them as deep as they like, deeper than a small stack
  // could hold if it grew with every level.
  constexpr std::size_t kDepth = 10000;
  std::vector<std::unique_ptr<CoverageFile>> parts;
  for (std::size_t i = 0; i < kDepth; ++i) {
    const std::string name = "part" + std::to_string(i);
    parts.push_back(std::make_unique<CoverageFile>(name, kLineDirectiveFile, name, true));
  }
  for (std::size_t i = 0; i < kDepth; ++i) {
    CoverageFunction* stretch = parts[i]->addFunction("N.A.", 0, "( )", FunctionRecord{});
    stretch->addProbe(testing::probeRecord(ProbeKind::Return, 2, 1, "return", 1));
    if (i + 1 < kDepth) {
      ProbeRecord into = testing::probeRecord(ProbeKind::LinedirInFunction, 3, 1, "#line");
      into.headerLine = 1;
      into.headerFile = parts[i + 1].get();
      stretch->addProbe(std::move(into));
    }
  }
  CoverageFile file{"a.c", kSourceFile, "a.c", true};
  CoverageFunction function{"f", 10, "(void)", FunctionRecord{}};
  ListingContext context{false, &file, &function, {}};
  ProbeRecord first = testing::probeRecord(ProbeKind::LinedirInFunction, 12, 1, "#line");
  first.headerLine = 1;
  first.headerFile = parts[0].get();
  CoverageProbe into(std::move(first));

  LineCountSink sink;
  onSmallStack([&] {
    writeProbeLine(into, context, sink);
    sink.flush();
  });
  EXPECT_EQ(sink.lines, 2 * kDepth) << "a directive line and a return line per file";
  EXPECT_EQ(sink.lastLine, testing::cell(10, "1") + testing::cell(19, "2") + "   return");
  EXPECT_EQ(file.pendingPart, parts[0].get()) << "the outermost file stays pending";
  EXPECT_TRUE(context.expanding.empty());
}

}  // namespace
}  // namespace kov
