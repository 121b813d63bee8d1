// Unsigned numbers written as decimal text straight into a buffer: the
// exports and the JSON document write several numbers for every line of the
// listing, most of them small.
#pragma once

#include <charconv>
#include <cstdint>
#include <cstring>

namespace kov {

/// The digits "00" to "99", two by two.
inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

/// Writes `value` in decimal at `at`, which has room for 20 bytes; returns
/// its end. Numbers below 10,000 are written without a call.
inline char* writeDecimal(char* at, std::uint64_t value) {
  if (value < 10) {
    *at = static_cast<char>('0' + value);
    return at + 1;
  }
  if (value < 100) {
    std::memcpy(at, kDigitPairs + 2 * value, 2);
    return at + 2;
  }
  if (value >= 10000) return std::to_chars(at, at + 20, value).ptr;
  const std::uint64_t high = value / 100;
  const std::uint64_t low = value % 100;
  if (high < 10) {
    *at++ = static_cast<char>('0' + high);
  } else {
    std::memcpy(at, kDigitPairs + 2 * high, 2);
    at += 2;
  }
  std::memcpy(at, kDigitPairs + 2 * low, 2);
  return at + 2;
}

}  // namespace kov
