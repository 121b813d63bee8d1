#include "reader/numbers.h"

#include <gtest/gtest.h>

#include <string_view>

namespace kov {
namespace {

struct NumberCase {
  std::string_view text;
  std::uint32_t value;
};

TEST(ToNumber, ReadsLikeStrtoulWithBaseZeroIn32Bits) {
  const NumberCase cases[] = {
      {"42", 42},
      {"012", 10},  // a leading 0 is octal
      {"0x1F", 31},
      {"0X1f", 31},
      {"  \t7", 7},
      {"+7", 7},
      {"12abc", 12},  // stops at the first non-digit
      {"09", 0},      // 9 is no octal digit
      {"0x", 0},      // the "0" is read, the "x" ends it
      {"0xg", 0},
      {"", 0},
      {"abc", 0},
      {"-", 0},
      {"4294967295", 4294967295u},
      {"4294967296", 4294967295u},  // saturates
      {"99999999999999999999999", 4294967295u},
      {"0x100000000", 4294967295u},
      {"-1", 4294967295u},  // negated modulo 2^32
      {"-4294967295", 1},
      {"-4294967296", 4294967295u},  // a magnitude beyond the range saturates, sign or not
      {"- 5", 0},
  };
  for (const NumberCase& c : cases) EXPECT_EQ(toNumber(c.text), c.value) << '"' << c.text << '"';
}

TEST(ToSignedNumber, ClampsToTheSignedRange) {
  const struct {
    std::string_view text;
    std::int32_t value;
  } cases[] = {
      {"", 0},
      {"-5", -5},
      {"2147483647", 2147483647},
      {"2147483648", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"-2147483649", -2147483647 - 1},
      {"99999999999", 2147483647},
      {"0x10", 16},
  };
  for (const auto& c : cases) EXPECT_EQ(toSignedNumber(c.text), c.value) << '"' << c.text << '"';
}

}  // namespace
}  // namespace kov

namespace kov {
namespace {

// Short plain decimals take a shortcut; it must end exactly where the
// general reading takes over.
TEST(ToNumber, ShortDecimalsReadAsTheGeneralRuleDoes) {
  const NumberCase cases[] = {
      {"1", 1},
      {"999999999", 999999999},
      {"1000000000", 1000000000},
      {"4294967295", 4294967295u},
      {"123456789x", 123456789},
      {"12 3", 12},
      {"0123", 83},
      {"9", 9},
  };
  for (const NumberCase& c : cases) EXPECT_EQ(toNumber(c.text), c.value) << '"' << c.text << '"';
}

}  // namespace
}  // namespace kov
