#include "reader/probe_line_scanner.h"

#include <gtest/gtest.h>

#include <string>

namespace kov {
namespace {

constexpr std::string_view kFirst = "      <probe type=\"if\" nesting=\"1\" descr=\"if (a &gt; b)\"\n";
constexpr std::string_view kSecond = "        line=\"13\" sc_count=\"1\" count1=\"0\" count2=\"7\" />\n";

TEST(ProbeLineScanner, ReadsThePlainLayoutInOnePass) {
  const std::string bytes = std::string(kFirst) + std::string(kSecond) + "      <probe";
  ScannedProbe probe;
  ASSERT_EQ(scanProbeElement(bytes, probe), kFirst.size() + kSecond.size());
  EXPECT_EQ(probe.type, "if");
  EXPECT_EQ(probe.nesting, 1u);
  EXPECT_EQ(probe.description, "if (a &gt; b)");
  EXPECT_TRUE(probe.descriptionHasEntity);
  EXPECT_FALSE(probe.hasEvalNo);
  EXPECT_EQ(probe.line, 13u);
  EXPECT_EQ(probe.statementCount, 1u);
  EXPECT_TRUE(probe.hasCount1);
  EXPECT_EQ(probe.count1, 0u);
  EXPECT_EQ(probe.count2, 7u);
}

TEST(ProbeLineScanner, ReadsTheOptionalAttributes) {
  struct Case {
    const char* bytes;
    bool hasEvalNo;
    const char* evalNo;
    bool hasCount1;
    std::uint32_t count1;
    std::uint32_t count2;
  };
  const Case cases[] = {
      {"<probe type=\"multi_cond_t\" nesting=\"2\" descr=\"T T\" eval_no=\"12\"\n"
       "line=\"5\" sc_count=\"0\" count1=\"999999999\" />\n",
       true, "12", true, 999999999, 0},
      {"<probe type=\"multi_cond_f\" nesting=\"2\" descr=\"F\"\nline=\"5\" sc_count=\"0\" count2=\"3\" />\n",
       false, "", false, 0, 3},
      {"<probe type=\"else\" nesting=\"1\" descr=\"\"\nline=\"5\" sc_count=\"0\" />\n", false, "", false,
       0, 0},
  };
  for (const Case& c : cases) {
    ScannedProbe probe;
    EXPECT_EQ(scanProbeElement(c.bytes, probe), std::string_view(c.bytes).size()) << c.bytes;
    EXPECT_EQ(probe.hasEvalNo, c.hasEvalNo) << c.bytes;
    EXPECT_EQ(probe.evalNo, c.evalNo) << c.bytes;
    EXPECT_EQ(probe.hasCount1, c.hasCount1) << c.bytes;
    EXPECT_EQ(probe.count1, c.count1) << c.bytes;
    EXPECT_EQ(probe.count2, c.count2) << c.bytes;
  }
}

// Every deviation from the plain layout is left to the general rules, which
// may read it differently (or fail on it).
TEST(ProbeLineScanner, LeavesEveryOtherLayoutToTheGeneralRules) {
  struct Case {
    const char* label;
    std::string_view from;
    std::string_view to;
  };
  const Case cases[] = {
      {"attribute order", "type=\"if\" nesting=\"1\"", "nesting=\"1\" type=\"if\""},
      {"repeated attribute", "sc_count=\"1\"", "sc_count=\"1\" sc_count=\"2\""},
      {"unknown attribute", "nesting=\"1\"", "nesting=\"1\" subcond_no=\"1\""},
      {"two blanks", "nesting=\"1\" descr", "nesting=\"1\"  descr"},
      {"tab indentation", "      <probe", "\t<probe"},
      {"text before the tag", "      <probe", "  x <probe"},
      {"carriage return", "b)\"\n", "b)\"\r\n"},
      {"blank at the line end", "b)\"\n", "b)\" \n"},
      {"\">\" in a value", "&gt;", ">"},
      {"control byte in a value", "(a ", "(a\x01"},
      {"missing quote", "count2=\"7\" />", "count2=\"7 />"},
      {"leading zero", "line=\"13\"", "line=\"013\""},
      {"ten digits", "count1=\"0\"", "count1=\"4294967295\""},
      {"sign", "count1=\"0\"", "count1=\"+0\""},
      {"empty number", "nesting=\"1\"", "nesting=\"\""},
      {"no closing", " />\n", " >\n"},
      {"text after the end", " />\n", " /> \n"},
      {"count2 before count1", "count1=\"0\" count2=\"7\"", "count2=\"7\" count1=\"0\""},
      {"one line", "b)\"\n        line", "b)\" line"},
  };
  const std::string plain = std::string(kFirst) + std::string(kSecond);
  for (const Case& c : cases) {
    std::string bytes = plain;
    const std::size_t at = bytes.find(c.from);
    ASSERT_NE(at, std::string::npos) << c.label;
    bytes.replace(at, c.from.size(), c.to);
    ScannedProbe probe;
    EXPECT_EQ(scanProbeElement(bytes, probe), 0u) << c.label;
  }
}

TEST(ProbeLineScanner, NeedsBothLinesAndTheirLineFeedsInTheBuffer) {
  const std::string plain = std::string(kFirst) + std::string(kSecond);
  for (std::size_t size = 0; size < plain.size(); ++size) {
    ScannedProbe probe;
    EXPECT_EQ(scanProbeElement(std::string_view(plain).substr(0, size), probe), 0u) << size;
  }
}

}  // namespace
}  // namespace kov
