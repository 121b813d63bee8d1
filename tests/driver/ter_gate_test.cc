#include "driver/ter_gate.h"

#include <gtest/gtest.h>

#include <string>

namespace kov {
namespace {

TEST(TerGateTest, MinimumIsADecimalFrom0To100) {
  struct Case {
    const char* text;
    std::uint32_t whole;
    bool hasFraction;
  } accepted[] = {
      {"0", 0, false},     {"100", 100, false},    {"87.5", 87, true},  {"87.0", 87, false},
      {"100.000", 100, false}, {"007", 7, false},  {"0.01", 0, true},
      {"99.999999999999999999", 99, true},
  };
  for (const Case& c : accepted) {
    const auto minimum = parseTerMinimum(c.text);
    ASSERT_TRUE(minimum) << c.text;
    EXPECT_EQ(minimum->text, c.text);
    EXPECT_EQ(minimum->whole, c.whole) << c.text;
    EXPECT_EQ(minimum->hasFraction, c.hasFraction) << c.text;
  }
  for (const char* text : {"101", "100.5", "100.0001", "-1", "+5", "abc", "", ".5", "5.", "5.5.5",
                           " 5", "5 ", "1e2", "5%", "5,5", "99999999999999999999999"}) {
    EXPECT_FALSE(parseTerMinimum(text)) << '"' << text << '"';
  }
}

TEST(TerGateTest, BelowMinimum) {
  struct Case {
    std::uint32_t ter;
    const char* minimum;
    bool below;
  } cases[] = {
      {86, "87", true},   {87, "87", false},  {88, "87", false},  {87, "87.5", true},
      {88, "87.5", false}, {87, "87.000", false}, {0, "0", false}, {0, "0.1", true},
      {100, "100", false}, {99, "100", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isBelow(c.ter, *parseTerMinimum(c.minimum)), c.below)
        << c.ter << " against " << c.minimum;
  }
}

}  // namespace
}  // namespace kov
