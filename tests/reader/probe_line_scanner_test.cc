#include "reader/probe_line_scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kov {
namespace {

// One scan of `bytes`. The scanner reads up to kScanPadding bytes past its
// input, as the line reader's buffer allows; `after` stands there (in a
// report: the lines that follow). The values refer into the scan's buffer.
struct Scan {
  Scan(std::string_view bytes, std::string_view after = {}) : buffer(bytes) {
    buffer.append(after);
    buffer.append(kScanPadding, '\0');
    length = scanProbeElement(std::string_view(buffer.data(), bytes.size()), probe);
  }
  std::string buffer;
  ScannedProbe probe;
  std::size_t length = 0;
};

constexpr std::string_view kPlain =
    "      <probe type=\"if\" nesting=\"1\" descr=\"if (a &gt; b)\" eval_no=\"2\"\n"
    "        line=\"13\" sc_count=\"1\" count1=\"0\" count2=\"7\" />\n";

void expectPlainValues(const ScannedProbe& probe, const std::string& label) {
  EXPECT_EQ(probe.type, "if") << label;
  EXPECT_EQ(probe.nesting, 1u) << label;
  EXPECT_EQ(probe.description, "if (a &gt; b)") << label;
  EXPECT_TRUE(probe.descriptionHasEntity) << label;
  EXPECT_TRUE(probe.hasEvalNo) << label;
  EXPECT_EQ(probe.evalNo, "2") << label;
  EXPECT_EQ(probe.line, 13u) << label;
  EXPECT_EQ(probe.statementCount, 1u) << label;
  EXPECT_TRUE(probe.hasCount1) << label;
  EXPECT_EQ(probe.count1, 0u) << label;
  EXPECT_EQ(probe.count2, 7u) << label;
}

// Every layout that the general rules read to the same values as the plain
// one is read in one pass, whole.
TEST(ProbeLineScanner, ReadsEveryPlainLayoutToTheSameValues) {
  const struct {
    const char* label;
    std::string_view text;
  } layouts[] = {
      {"blanks", kPlain},
      {"tabs",
       "\t\t\t<probe type=\"if\" nesting=\"1\" descr=\"if (a &gt; b)\" eval_no=\"2\"\n"
       "\t\t\t\tline=\"13\" sc_count=\"1\" count1=\"0\" count2=\"7\" />\n"},
      {"tabs and blanks",
       "\t\t\t<probe type=\"if\" nesting=\"1\" descr=\"if (a &gt; b)\" eval_no=\"2\"\n"
       "\t\t\t      line=\"13\" sc_count=\"1\" count1=\"0\" count2=\"7\" />\n"},
      {"no indentation",
       "<probe type=\"if\" nesting=\"1\" descr=\"if (a &gt; b)\" eval_no=\"2\"\n"
       "line=\"13\" sc_count=\"1\" count1=\"0\" count2=\"7\" />\n"},
      {"deep indentation",
       "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t <probe type=\"if\" nesting=\"1\" "
       "descr=\"if (a &gt; b)\" eval_no=\"2\"\n"
       "                                        line=\"13\" sc_count=\"1\" count1=\"0\" "
       "count2=\"7\" />\n"},
      {"CR LF",
       "  <probe type=\"if\" nesting=\"1\" descr=\"if (a &gt; b)\" eval_no=\"2\"\r\n"
       "    line=\"13\" sc_count=\"1\" count1=\"0\" count2=\"7\" />\r\n"},
      {"blanks, tabs and carriage returns after the text",
       "  <probe type=\"if\" nesting=\"1\" descr=\"if (a &gt; b)\" eval_no=\"2\" \t\r\r\n"
       "    line=\"13\" sc_count=\"1\" count1=\"0\" count2=\"7\" /> \t\r\n"},
      {"eval_no before descr",
       "  <probe type=\"if\" nesting=\"1\" eval_no=\"2\" descr=\"if (a &gt; b)\"\n"
       "    line=\"13\" sc_count=\"1\" count1=\"0\" count2=\"7\" />\n"},
      {"subcond_no after eval_no",
       "  <probe type=\"if\" nesting=\"1\" descr=\"if (a &gt; b)\" eval_no=\"2\" subcond_no=\"1\"\n"
       "    line=\"13\" sc_count=\"1\" count1=\"0\" count2=\"7\" />\n"},
      {"eval_no and subcond_no before descr",
       "  <probe type=\"if\" nesting=\"1\" eval_no=\"2\" subcond_no=\"1\" descr=\"if (a &gt; b)\"\n"
       "    line=\"13\" sc_count=\"1\" count1=\"0\" count2=\"7\" />\n"},
      {"any order on both lines",
       "  <probe descr=\"if (a &gt; b)\" eval_no=\"2\" nesting=\"1\" type=\"if\"\n"
       "    line=\"13\" count2=\"7\" count1=\"0\" sc_count=\"1\" />\n"},
      {"attributes the reader does not use",
       "  <probe type=\"if\" weight=\"&amp;\" nesting=\"1\" descr=\"if (a &gt; b)\" eval_no=\"2\"\n"
       "    line=\"13\" sc_count=\"1\" x_2=\"\" count1=\"0\" count2=\"7\" />\n"},
      {"CR LF, tabs, eval_no first",
       "\t\t<probe type=\"if\" nesting=\"1\" eval_no=\"2\" subcond_no=\"4\" descr=\"if (a &gt; b)\"\r\n"
       "\t\t\tline=\"13\" sc_count=\"1\" count1=\"0\" count2=\"7\" />\r\n"},
  };
  for (const auto& layout : layouts) {
    const Scan scan(layout.text, "      <probe");
    EXPECT_EQ(scan.length, layout.text.size()) << layout.label;
    expectPlainValues(scan.probe, layout.label);
  }
}

TEST(ProbeLineScanner, ReadsOptionalAttributesAndNumbersAsTheGeneralRulesDo) {
  struct Case {
    std::string_view text;
    std::string_view type;
    std::string_view description;
    bool hasEntity;
    bool hasEvalNo;
    std::uint32_t nesting;
    std::uint32_t line;
    bool hasCount1;
    std::uint32_t count1;
    std::uint32_t count2;
  };
  const std::string longDescription(300, 'd');
  const std::string longProbe = "<probe type=\"return\" nesting=\"0\" descr=\"" + longDescription +
                                "\"\nline=\"1\" sc_count=\"0\" count1=\"1\" />\n";
  const Case cases[] = {
      {"<probe type=\"else\" nesting=\"1\" descr=\"\"\nline=\"5\" sc_count=\"0\" />\n", "else", "",
       false, false, 1, 5, false, 0, 0},
      {"<probe type=\"multi_cond_f\" nesting=\"2\" descr=\"F\"\nline=\"5\" sc_count=\"0\" count2=\"3\" />\n",
       "multi_cond_f", "F", false, false, 2, 5, false, 0, 3},
      {"<probe type=\"multi_cond_t\" nesting=\"12\" descr=\"T T\" eval_no=\"12\"\n"
       "line=\"1234567\" sc_count=\"0\" count1=\"99999999\" />\n",
       "multi_cond_t", "T T", false, true, 12, 1234567, true, 99999999, 0},
      {"<probe type=\"while\" nesting=\"0\" descr=\"x\"\n"
       "line=\"123456789\" sc_count=\"0\" count1=\"4294967295\" count2=\"4294967296\" />\n",
       "while", "x", false, false, 0, 123456789, true, 4294967295u, 4294967295u},
      {"<probe type=\"for\" nesting=\"0\" descr=\"x\"\n"
       "line=\"10\" sc_count=\"0\" count1=\"9999999999999999999\" count2=\"12345678\" />\n",
       "for", "x", false, false, 0, 10, true, 4294967295u, 12345678},
      {"<probe type=\"a&amp;b\" nesting=\"0\" descr=\"&quot;\"\nline=\"0\" sc_count=\"0\" />\n",
       "a&amp;b", "&quot;", true, false, 0, 0, false, 0, 0},
      {longProbe, "return", longDescription, false, false, 0, 1, true, 1, 0},
  };
  for (const Case& c : cases) {
    const Scan scan(c.text);
    const ScannedProbe& probe = scan.probe;
    ASSERT_EQ(scan.length, c.text.size()) << c.text;
    EXPECT_EQ(probe.type, c.type) << c.text;
    EXPECT_EQ(probe.description, c.description) << c.text;
    EXPECT_EQ(probe.descriptionHasEntity, c.hasEntity) << c.text;
    EXPECT_EQ(probe.hasEvalNo, c.hasEvalNo) << c.text;
    EXPECT_EQ(probe.nesting, c.nesting) << c.text;
    EXPECT_EQ(probe.line, c.line) << c.text;
    EXPECT_EQ(probe.hasCount1, c.hasCount1) << c.text;
    EXPECT_EQ(probe.count1, c.count1) << c.text;
    EXPECT_EQ(probe.count2, c.count2) << c.text;
  }
}

// Every other layout is left to the general rules, which may read it
// differently (or fail on it).
TEST(ProbeLineScanner, LeavesEveryOtherLayoutToTheGeneralRules) {
  struct Case {
    const char* label;
    std::string_view from;
    std::string_view to;
  };
  const Case cases[] = {
      {"repeated attribute", "sc_count=\"1\"", "sc_count=\"1\" sc_count=\"2\""},
      {"repeated attribute on both lines", "nesting=\"1\"", "nesting=\"1\" line=\"13\""},
      {"two blanks", "nesting=\"1\" descr", "nesting=\"1\"  descr"},
      {"tab between attributes", "nesting=\"1\" descr", "nesting=\"1\"\tdescr"},
      {"blank before \"=\"", "nesting=\"1\"", "nesting =\"1\""},
      {"upper-case name", "nesting=\"1\"", "Nesting=\"1\""},
      {"name with a hyphen", "nesting=\"1\"", "nesting=\"1\" sub-cond=\"2\""},
      {"text before the tag", "      <probe", "  x <probe"},
      {"carriage return in the indentation", "      <probe", "   \r<probe"},
      {"second line not beginning with line", "        line=\"13\" sc_count=\"1\"",
       "        sc_count=\"1\" line=\"13\""},
      {"\">\" in a value", "&gt;", ">"},
      {"\">\" after the first line", "eval_no=\"2\"\n", "eval_no=\"2\">\n"},
      {"line feed in a value", "(a &gt; b)\"", "(a\n&gt; b)\""},
      {"missing quote", "count2=\"7\" />", "count2=\"7 />"},
      {"leading zero", "line=\"13\"", "line=\"013\""},
      {"twenty digits", "count1=\"0\"", "count1=\"12345678901234567890\""},
      {"sign", "count1=\"0\"", "count1=\"+0\""},
      {"blank in a number", "count1=\"0\"", "count1=\" 0\""},
      {"hexadecimal", "count1=\"0\"", "count1=\"0x10\""},
      {"empty number", "nesting=\"1\"", "nesting=\"\""},
      {"no closing", " />\n", " >\n"},
      {"no blank before the closing", " />\n", "/>\n"},
      {"text after the end", " />\n", " /> x\n"},
      {"one line", "\"\n        line", "\" line"},
  };
  for (const Case& c : cases) {
    std::string bytes(kPlain);
    const std::size_t at = bytes.find(c.from);
    ASSERT_NE(at, std::string::npos) << c.label;
    bytes.replace(at, c.from.size(), c.to);
    EXPECT_EQ(Scan(bytes).length, 0u) << c.label;
  }
}

// The element must stand whole before the end of the input, however well
// the bytes after it would continue it.
TEST(ProbeLineScanner, NeverTakesBytesBeyondTheEndOfItsInput) {
  const std::string layouts[] = {
      std::string(kPlain),
      "\t<probe descr=\"" + std::string(90, 'x') + "\" type=\"if\" nesting=\"1\"\r\n"
          "\tline=\"13\" count1=\"0\" sc_count=\"1\" />\r\n",
  };
  for (const std::string& text : layouts) {
    for (std::size_t size = 0; size < text.size(); ++size) {
      EXPECT_EQ(Scan(std::string_view(text).substr(0, size), text.substr(size)).length, 0u) << size;
    }
  }
}

}  // namespace
}  // namespace kov
