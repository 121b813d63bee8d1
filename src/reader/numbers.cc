#include "reader/numbers.h"

#include <limits>

namespace kov {
namespace {

constexpr std::uint64_t kUnsignedMax = std::numeric_limits<std::uint32_t>::max();

struct ScannedNumber {
  bool negative = false;
  bool overflow = false;        // the magnitude does not fit in 32 bits
  std::uint64_t magnitude = 0;  // valid where there is no overflow
};

bool isSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// The value of a digit in any base up to 16, or 16 for a non-digit.
unsigned digitValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
  return 16;
}

ScannedNumber scan(std::string_view text) {
  ScannedNumber result;
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && isSpace(text[i])) ++i;
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    result.negative = text[i] == '-';
    ++i;
  }
  unsigned base = 10;
  if (i < n && text[i] == '0') {
    // "0x" selects hexadecimal only when a hex digit follows; otherwise the
    // "0" is an octal number of its own and the "x" ends it.
    if (i + 2 < n && (text[i + 1] == 'x' || text[i + 1] == 'X') && digitValue(text[i + 2]) < 16) {
      base = 16;
      i += 2;
    } else {
      base = 8;
    }
  }
  for (; i < n; ++i) {
    const unsigned digit = digitValue(text[i]);
    if (digit >= base) break;
    if (!result.overflow) {
      result.magnitude = result.magnitude * base + digit;
      if (result.magnitude > kUnsignedMax) result.overflow = true;
    }
  }
  return result;
}

}  // namespace

std::uint32_t toNumber(std::string_view text) {
  // Nearly every value of a report is a plain decimal of a few digits.
  if (!text.empty() && text.size() <= 9 && text[0] >= '1' && text[0] <= '9') {
    std::uint32_t value = 0;
    std::size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      value = value * 10 + static_cast<std::uint32_t>(text[i] - '0');
    }
    if (i == text.size()) return value;
  }
  const ScannedNumber number = scan(text);
  if (number.overflow) return static_cast<std::uint32_t>(kUnsignedMax);
  const auto magnitude = static_cast<std::uint32_t>(number.magnitude);
  return number.negative ? 0u - magnitude : magnitude;
}

std::int32_t toSignedNumber(std::string_view text) {
  const ScannedNumber number = scan(text);
  constexpr std::uint64_t kPositiveLimit = std::numeric_limits<std::int32_t>::max();
  if (number.negative) {
    if (number.overflow || number.magnitude > kPositiveLimit + 1) {
      return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(-static_cast<std::int64_t>(number.magnitude));
  }
  if (number.overflow || number.magnitude > kPositiveLimit) {
    return std::numeric_limits<std::int32_t>::max();
  }
  return static_cast<std::int32_t>(number.magnitude);
}

}  // namespace kov
