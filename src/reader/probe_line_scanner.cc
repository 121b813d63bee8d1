#include "reader/probe_line_scanner.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace kov {
namespace {

// Bytes that end a value the short way: its closing quote, or a byte whose
// meaning the general rules decide (">" moves where a line is cut, control
// bytes include the carriage return).
constexpr std::array<bool, 256> kStopBytes = [] {
  std::array<bool, 256> stops{};
  for (int b = 0; b < 0x20; ++b) stops[static_cast<std::size_t>(b)] = true;
  stops['"'] = true;
  stops['>'] = true;
  return stops;
}();
constexpr std::array<bool, 256> kSpecialBytes = [] {
  std::array<bool, 256> special = kStopBytes;
  special['&'] = true;
  return special;
}();

class Cursor {
 public:
  explicit Cursor(std::string_view line) : at_(line.data()), end_(line.data() + line.size()) {}

  const char* at() const { return at_; }

  [[gnu::always_inline]] void skipBlanks() {
    // Indentation comes in runs of blanks: eight at a time.
    constexpr std::uint64_t kBlanks = 0x2020202020202020u;
    while (end_ - at_ >= 8) {
      std::uint64_t word;
      std::memcpy(&word, at_, 8);
      const std::uint64_t other = word ^ kBlanks;
      if (other != 0) {
        at_ += (std::endian::native == std::endian::little ? std::countr_zero(other)
                                                           : std::countl_zero(other)) >> 3;
        return;
      }
      at_ += 8;
    }
    while (at_ != end_ && *at_ == ' ') ++at_;
  }
  /// Consumes `text` where the bytes continue with it. The length is known
  /// when this is compiled, so the comparison becomes a few word compares.
  template <std::size_t N>
  [[gnu::always_inline]] bool literal(const char (&text)[N]) {
    constexpr std::size_t size = N - 1;
    if (static_cast<std::size_t>(end_ - at_) < size) return false;
    if constexpr (size >= 8) {
      // Whole words, the last one overlapping where the length is not a
      // multiple of eight.
      for (std::size_t i = 0; i + 8 <= size; i += 8) {
        if (word(at_ + i) != word(text + i)) return false;
      }
      if (size % 8 != 0 && word(at_ + size - 8) != word(text + size - 8)) return false;
    } else if constexpr (size >= 4) {
      if (word4(at_) != word4(text) || word4(at_ + size - 4) != word4(text + size - 4)) return false;
    } else {
      for (std::size_t i = 0; i < size; ++i) {
        if (at_[i] != text[i]) return false;
      }
    }
    at_ += size;
    return true;
  }
  /// A value up to its closing quote, which is consumed; `hasEntity` tells
  /// whether it holds an "&".
  [[gnu::always_inline]] bool text(std::string_view& value, bool& hasEntity) {
    const char* start = at_;
    hasEntity = false;
    for (;;) {
      if (end_ - at_ >= 8) {
        // Eight bytes at a time; the lowest flagged byte is the first one
        // that needs a look.
        const std::uint64_t flagged = specialBytes(at_);
        if (flagged == 0) {
          at_ += 8;
          continue;
        }
        at_ += (std::endian::native == std::endian::little ? std::countr_zero(flagged)
                                                           : std::countl_zero(flagged)) >> 3;
      } else {
        while (at_ != end_ && !kSpecialBytes[static_cast<unsigned char>(*at_)]) ++at_;
        if (at_ == end_) return false;
      }
      if (*at_ != '&') break;
      hasEntity = true;
      ++at_;
    }
    if (*at_ != '"') return false;
    value = std::string_view(start, static_cast<std::size_t>(at_ - start));
    ++at_;
    return true;
  }
  /// A decimal that the general number rules read as written: "0", or one to
  /// nine digits without a leading zero (which would make it octal); then
  /// the closing quote.
  [[gnu::always_inline]] bool number(std::uint32_t& value) {
    const char* start = at_;
    std::uint32_t result = 0;
    while (at_ != end_ && *at_ >= '0' && *at_ <= '9') {
      result = result * 10 + static_cast<std::uint32_t>(*at_ - '0');
      ++at_;
    }
    const auto digits = static_cast<std::size_t>(at_ - start);
    if (digits == 0 || digits > 9 || (digits > 1 && *start == '0')) return false;
    if (at_ == end_ || *at_ != '"') return false;
    ++at_;
    value = result;
    return true;
  }

 private:
  static std::uint32_t word4(const char* p) {
    std::uint32_t value;
    std::memcpy(&value, p, 4);
    return value;
  }
  static std::uint64_t word(const char* p) {
    std::uint64_t value;
    std::memcpy(&value, p, 8);
    return value;
  }

  // The high bit of every byte of the eight at `p` that is a quote, ">",
  // "&" or a control byte. A flag above a flagged byte may be false (a
  // borrow runs on), but the lowest flag is always right, and that is the
  // only one read.
  static std::uint64_t specialBytes(const char* p) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHighs = 0x8080808080808080u;
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    const auto hasZero = [](std::uint64_t v) { return (v - kOnes) & ~v & kHighs; };
    const std::uint64_t control = (word - kOnes * 0x20) & ~word & kHighs;
    return control | hasZero(word ^ (kOnes * '"')) | hasZero(word ^ (kOnes * '>')) |
           hasZero(word ^ (kOnes * '&'));
  }

  const char* at_;
  const char* end_;
};

}  // namespace

std::size_t scanProbeElement(std::string_view bytes, ScannedProbe& out) {
  Cursor in(bytes);
  in.skipBlanks();
  bool typeEntity = false;
  if (!in.literal("<probe type=\"") || !in.text(out.type, typeEntity)) return 0;
  if (!in.literal(" nesting=\"") || !in.number(out.nesting)) return 0;
  if (!in.literal(" descr=\"") || !in.text(out.description, out.descriptionHasEntity)) return 0;
  out.hasEvalNo = in.literal(" eval_no=\"");
  bool evalNoEntity = false;
  if (out.hasEvalNo && !in.text(out.evalNo, evalNoEntity)) return 0;
  if (!in.literal("\n")) return 0;

  in.skipBlanks();
  if (!in.literal("line=\"") || !in.number(out.line)) return 0;
  if (!in.literal(" sc_count=\"") || !in.number(out.statementCount)) return 0;
  out.hasCount1 = in.literal(" count1=\"");
  out.count1 = 0;
  if (out.hasCount1 && !in.number(out.count1)) return 0;
  out.count2 = 0;
  if (in.literal(" count2=\"") && !in.number(out.count2)) return 0;
  if (!in.literal(" />\n")) return 0;
  return static_cast<std::size_t>(in.at() - bytes.data());
}

}  // namespace kov
