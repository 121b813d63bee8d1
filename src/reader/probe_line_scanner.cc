#include "reader/probe_line_scanner.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kov {
namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101u;
constexpr std::uint64_t kHighs = 0x8080808080808080u;

inline std::uint64_t load8(const char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, 8);
  return word;
}

// The index of the lowest flagged byte of a word read from memory.
inline std::size_t firstFlagged(std::uint64_t flags) {
  return static_cast<std::size_t>(std::endian::native == std::endian::little
                                      ? std::countr_zero(flags)
                                      : std::countl_zero(flags)) >>
         3;
}

#if defined(__SSE2__)
constexpr std::size_t kValueBlock = 16;

// The index of the first byte of the 16 at `p` that is a double quote, ">",
// "&" or a line feed; 16 where there is none.
inline std::size_t firstValueStop(const char* p) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i stops =
      _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('"')),
                                _mm_cmpeq_epi8(bytes, _mm_set1_epi8('>'))),
                   _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('&')),
                                _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))));
  const auto bits = static_cast<unsigned>(_mm_movemask_epi8(stops));
  return bits == 0 ? kValueBlock : static_cast<std::size_t>(std::countr_zero(bits));
}
constexpr std::size_t kIndentationBlock = 16;

// The index of the first byte of the 16 at `p` that is neither a blank nor
// a tab; 16 where there is none.
inline std::size_t firstNonIndentation(const char* p) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i indentation = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' ')),
                                           _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\t')));
  const auto other = ~static_cast<unsigned>(_mm_movemask_epi8(indentation)) & 0xFFFFu;
  return other == 0 ? kIndentationBlock : static_cast<std::size_t>(std::countr_zero(other));
}
#else
constexpr std::uint64_t kLows = 0x7F7F7F7F7F7F7F7Fu;

// The high bit of every zero byte of `v`, exactly (no borrow runs on).
constexpr std::uint64_t zeroBytes(std::uint64_t v) {
  return ~(((v & kLows) + kLows) | v | kLows);
}

// The high bit of every zero byte of `v`, where only the lowest flag is sure
// to be right (a borrow runs on above it), in fewer steps.
constexpr std::uint64_t lowestZeroByte(std::uint64_t v) {
  return (v - kOnes) & ~v & kHighs;
}

constexpr std::size_t kValueBlock = 8;

// The index of the first byte of the 8 at `p` that is a double quote, ">",
// "&" or a line feed; 8 where there is none.
inline std::size_t firstValueStop(const char* p) {
  const std::uint64_t word = load8(p);
  const std::uint64_t flagged =
      lowestZeroByte(word ^ (kOnes * '"')) | lowestZeroByte(word ^ (kOnes * '>')) |
      lowestZeroByte(word ^ (kOnes * '&')) | lowestZeroByte(word ^ (kOnes * '\n'));
  return flagged == 0 ? kValueBlock : firstFlagged(flagged);
}

constexpr std::size_t kIndentationBlock = 8;

// The index of the first byte of the 8 at `p` that is neither a blank nor a
// tab; 8 where there is none.
inline std::size_t firstNonIndentation(const char* p) {
  const std::uint64_t word = load8(p);
  const std::uint64_t other =
      ~(zeroBytes(word ^ (kOnes * ' ')) | zeroBytes(word ^ (kOnes * '\t'))) & kHighs;
  return other == 0 ? kIndentationBlock : firstFlagged(other);
}
#endif

// Bytes of an attribute name the scanner takes: kovpost's vocabulary.
constexpr std::array<bool, 256> kNameBytes = [] {
  std::array<bool, 256> name{};
  for (int b = 'a'; b <= 'z'; ++b) name[static_cast<std::size_t>(b)] = true;
  for (int b = '0'; b <= '9'; ++b) name[static_cast<std::size_t>(b)] = true;
  name['_'] = true;
  return name;
}();

// A text of up to 16 bytes as the words it is compared with: its bytes as a
// load from memory gives them, and masks that keep only those bytes.
struct Literal {
  std::uint64_t words[2];
  std::uint64_t masks[2];
  std::size_t size;
};

constexpr Literal literalOf(std::string_view text) {
  Literal literal{{0, 0}, {0, 0}, text.size()};
  for (std::size_t i = 0; i < text.size() && i < 16; ++i) {
    const std::size_t shift = 8 * (std::endian::native == std::endian::little ? i % 8 : 7 - i % 8);
    literal.words[i / 8] |= std::uint64_t{static_cast<unsigned char>(text[i])} << shift;
    literal.masks[i / 8] |= std::uint64_t{0xFF} << shift;
  }
  return literal;
}

constexpr Literal kProbeStart = literalOf("<probe ");
constexpr Literal kType = literalOf("type=\"");
constexpr Literal kNesting = literalOf("nesting=\"");
constexpr Literal kDescr = literalOf("descr=\"");
constexpr Literal kEvalNo = literalOf("eval_no=\"");
constexpr Literal kLine = literalOf("line=\"");
constexpr Literal kScCount = literalOf("sc_count=\"");
constexpr Literal kCount1 = literalOf("count1=\"");
constexpr Literal kCount2 = literalOf("count2=\"");
constexpr Literal kValueStart = literalOf("=\"");
constexpr Literal kEmptyElementEnd = literalOf(" />");
// The same names after the blank that separates them from a value.
constexpr Literal kNextNesting = literalOf(" nesting=\"");
constexpr Literal kNextDescr = literalOf(" descr=\"");
constexpr Literal kNextEvalNo = literalOf(" eval_no=\"");
constexpr Literal kNextSubcondNo = literalOf(" subcond_no=\"");
constexpr Literal kNextScCount = literalOf(" sc_count=\"");
constexpr Literal kNextCount1 = literalOf(" count1=\"");
constexpr Literal kNextCount2 = literalOf(" count2=\"");

// The attributes the reader looks up, as bits of a set: each may stand once.
enum Seen : unsigned {
  kSeenType = 1u << 0,
  kSeenNesting = 1u << 1,
  kSeenDescr = 1u << 2,
  kSeenEvalNo = 1u << 3,
  kSeenLine = 1u << 4,
  kSeenScCount = 1u << 5,
  kSeenCount1 = 1u << 6,
  kSeenCount2 = 1u << 7,
};

// A position in the input. It reads ahead in words and compares literals
// whole, into the padding after the input: every step starts before the end
// of the input, none reads more than kScanPadding bytes beyond it, and
// nothing beyond the end is taken (the line feed that ends the element must
// stand before it).
class Cursor {
 public:
  explicit Cursor(std::string_view bytes) : at_(bytes.data()), end_(bytes.data() + bytes.size()) {}

  const char* at() const { return at_; }
  bool atEnd() const { return at_ >= end_; }
  /// The next byte; only where !atEnd().
  char peek() const { return *at_; }

  /// Skips blanks and tabs, a block of bytes at a time; false where the
  /// input ends first.
  [[gnu::always_inline]] bool skipIndentation() {
    while (at_ < end_) {
      const std::size_t other = firstNonIndentation(at_);
      if (other != kIndentationBlock) {
        at_ += other;
        return at_ < end_;
      }
      at_ += kIndentationBlock;
    }
    return false;
  }
  /// Skips what may stand after the end of a line's text, then consumes its
  /// line feed; false where anything else follows.
  [[gnu::always_inline]] bool lineEnd() {
    if (at_ < end_ && *at_ == '\n') {
      ++at_;
      return true;
    }
    while (at_ < end_ && (*at_ == ' ' || *at_ == '\t' || *at_ == '\r')) ++at_;
    if (at_ >= end_ || *at_ != '\n') return false;
    ++at_;
    return true;
  }
  /// Consumes the literal where the bytes continue with it.
  [[gnu::always_inline]] bool literal(const Literal& text) {
    if ((load8(at_) & text.masks[0]) != text.words[0]) return false;
    if (text.size > 8 && (load8(at_ + 8) & text.masks[1]) != text.words[1]) return false;
    at_ += text.size;
    return true;
  }
  /// Whether a blank and another attribute name follow a value; the blank
  /// is consumed where they do.
  [[gnu::always_inline]] bool nextAttribute() {
    if (at_ >= end_ || *at_ != ' ' || !kNameBytes[static_cast<unsigned char>(at_[1])]) {
      return false;
    }
    ++at_;
    return true;
  }
  /// A value up to its closing quote, which is consumed; `hasEntity` is set
  /// where it holds an "&".
  [[gnu::always_inline]] bool text(std::string_view& value, bool& hasEntity) {
    const char* start = at_;
    for (;;) {
      if (at_ >= end_) return false;
      // A block of bytes at a time; the first flagged byte is the first one
      // that needs a look: the closing quote, or a byte whose meaning the
      // general rules decide (">" moves where a line is cut, the line feed
      // ends the line) or that the value's reader must know of ("&").
      const std::size_t stop = firstValueStop(at_);
      if (stop == kValueBlock) {
        at_ += kValueBlock;
        continue;
      }
      at_ += stop;
      if (at_ >= end_) return false;
      if (*at_ != '&') break;
      hasEntity = true;
      ++at_;
    }
    if (*at_ != '"') return false;
    value = std::string_view(start, static_cast<std::size_t>(at_ - start));
    ++at_;
    return true;
  }
  /// A value that is skipped.
  bool skipText() {
    std::string_view value;
    bool hasEntity = false;
    return text(value, hasEntity);
  }
  /// A decimal that the general number rules read as written: "0", or
  /// digits without a leading zero (which would make it octal); one beyond
  /// the 32 bits reads as 4294967295. Then the closing quote.
  [[gnu::always_inline]] bool number(std::uint32_t& value) {
    if constexpr (std::endian::native == std::endian::little) {
      // Up to seven digits and the closing quote at once: the count of
      // digits is the index of the first other byte, and the digits are put
      // together in three multiplications.
      const std::uint64_t digits = load8(at_) - kOnes * '0';
      const std::uint64_t other = (digits | (digits + kOnes * 0x76)) & kHighs;
      if (other != 0) {
        const std::size_t count = firstFlagged(other);
        if (count == 0 || at_[count] != '"' || (count > 1 && *at_ == '0')) return false;
        std::uint64_t v = digits << (8 * (8 - count));
        v = (v * 10 + (v >> 8)) & 0x00FF00FF00FF00FFu;
        v = (v * 100 + (v >> 16)) & 0x0000FFFF0000FFFFu;
        v = (v * 10000 + (v >> 32)) & 0xFFFFFFFFu;
        value = static_cast<std::uint32_t>(v);
        at_ += count + 1;
        return true;
      }
    }
    return longNumber(value);
  }
  /// An attribute name the reader does not look up, its "=" and the opening
  /// quote of its value.
  bool otherName() {
    const char* start = at_;
    while (at_ < end_ && kNameBytes[static_cast<unsigned char>(*at_)]) ++at_;
    if (at_ == start || at_ >= end_) return false;
    return literal(kValueStart);
  }

 private:
  // A number digit by digit: eight digits or more, or a machine whose words
  // are not little-endian.
  bool longNumber(std::uint32_t& value) {
    constexpr std::size_t kMostDigits = 19;  // fits in 64 bits
    std::uint64_t result = 0;
    std::size_t digits = 0;
    while (digits <= kMostDigits) {
      const auto digit = static_cast<unsigned char>(at_[digits] - '0');
      if (digit > 9) break;
      result = result * 10 + digit;
      ++digits;
    }
    if (digits == 0 || digits > kMostDigits || (digits > 1 && *at_ == '0')) return false;
    if (at_[digits] != '"') return false;
    at_ += digits + 1;
    value = result > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(result);
    return true;
  }

  const char* at_;
  const char* end_;
};

inline bool firstTime(unsigned& seen, Seen attribute) {
  if ((seen & attribute) != 0) return false;
  seen |= attribute;
  return true;
}

// One attribute, from its name to its closing quote. The name is told by
// its first byte and then compared whole with its "=" and opening quote, so
// a name that only begins like a known one is another name.
bool attribute(Cursor& in, ScannedProbe& out, unsigned& seen) {
  if (in.atEnd()) return false;
  switch (in.peek()) {
    case 't':
      if (in.literal(kType)) {
        bool entity = false;
        return firstTime(seen, kSeenType) && in.text(out.type, entity);
      }
      break;
    case 'n':
      if (in.literal(kNesting)) return firstTime(seen, kSeenNesting) && in.number(out.nesting);
      break;
    case 'd':
      if (in.literal(kDescr)) {
        return firstTime(seen, kSeenDescr) && in.text(out.description, out.descriptionHasEntity);
      }
      break;
    case 'e':
      if (in.literal(kEvalNo)) {
        bool entity = false;
        return firstTime(seen, kSeenEvalNo) && in.text(out.evalNo, entity);
      }
      break;
    case 'l':
      if (in.literal(kLine)) return firstTime(seen, kSeenLine) && in.number(out.line);
      break;
    case 's':
      if (in.literal(kScCount)) {
        return firstTime(seen, kSeenScCount) && in.number(out.statementCount);
      }
      break;
    case 'c':
      if (in.literal(kCount1)) return firstTime(seen, kSeenCount1) && in.number(out.count1);
      if (in.literal(kCount2)) return firstTime(seen, kSeenCount2) && in.number(out.count2);
      break;
    default:
      break;
  }
  // A name the reader never looks up ("subcond_no", say): its value is
  // dropped by the general rules too.
  return in.otherName() && in.skipText();
}

// Any order of the attributes, and attributes the reader does not use.
std::size_t scanAnyOrder(std::string_view bytes, ScannedProbe& out) {
  out = ScannedProbe{};
  unsigned seen = 0;
  Cursor in(bytes);

  // First line: the general rules drop what stands before the first "<" and
  // after the last double quote of a line that holds no ">".
  if (!in.skipIndentation() || !in.literal(kProbeStart)) return 0;
  do {
    if (!attribute(in, out, seen)) return 0;
  } while (in.nextAttribute());
  if (!in.lineEnd()) return 0;

  // Second line: the general rules drop what stands before its first "l",
  // which must begin "line=", and what follows its last ">".
  if (!in.skipIndentation() || !in.literal(kLine) || !firstTime(seen, kSeenLine) ||
      !in.number(out.line)) {
    return 0;
  }
  while (in.nextAttribute()) {
    if (!attribute(in, out, seen)) return 0;
  }
  if (in.atEnd() || !in.literal(kEmptyElementEnd) || !in.lineEnd()) return 0;

  out.hasEvalNo = (seen & kSeenEvalNo) != 0;
  out.hasCount1 = (seen & kSeenCount1) != 0;
  return static_cast<std::size_t>(in.at() - bytes.data());
}

// The order in which kovpost writes the attributes: "type", "nesting", then
// "descr", "eval_no" and "subcond_no" in any order (the last two where they
// are given); "line", "sc_count", then "count1" and "count2" where given.
// One step after the other; anything else says no, and the scan starts again
// in any order.
[[gnu::always_inline]] inline std::size_t scanWrittenOrder(std::string_view bytes,
                                                          ScannedProbe& out) {
  Cursor in(bytes);
  bool entity = false;
  if (!in.skipIndentation() || !in.literal(kProbeStart) || !in.literal(kType) ||
      !in.text(out.type, entity)) {
    return 0;
  }
  if (in.atEnd() || !in.literal(kNextNesting) || !in.number(out.nesting)) return 0;
  out.descriptionHasEntity = false;
  out.hasEvalNo = false;
  bool hasDescription = false;
  bool hasSubcondNo = false;
  while (!in.atEnd() && in.peek() == ' ') {
    if (!hasDescription && in.literal(kNextDescr)) {
      hasDescription = true;
      if (!in.text(out.description, out.descriptionHasEntity)) return 0;
    } else if (!out.hasEvalNo && in.literal(kNextEvalNo)) {
      out.hasEvalNo = true;
      if (!in.text(out.evalNo, entity)) return 0;
    } else if (!hasSubcondNo && in.literal(kNextSubcondNo)) {
      // The reader does not use it; the general rules drop it too.
      hasSubcondNo = true;
      if (!in.skipText()) return 0;
    } else {
      break;
    }
  }
  if (!hasDescription || !in.lineEnd()) return 0;

  if (!in.skipIndentation() || !in.literal(kLine) || !in.number(out.line) || in.atEnd()) return 0;
  if (!in.literal(kNextScCount) || !in.number(out.statementCount) || in.atEnd()) return 0;
  out.hasCount1 = in.literal(kNextCount1);
  out.count1 = 0;
  if (out.hasCount1 && (!in.number(out.count1) || in.atEnd())) return 0;
  out.count2 = 0;
  if (in.literal(kNextCount2) && (!in.number(out.count2) || in.atEnd())) return 0;
  if (!in.literal(kEmptyElementEnd) || !in.lineEnd()) return 0;
  if (!out.hasEvalNo) out.evalNo = {};
  return static_cast<std::size_t>(in.at() - bytes.data());
}

}  // namespace

std::size_t scanProbeElement(std::string_view bytes, ScannedProbe& out) {
  const std::size_t length = scanWrittenOrder(bytes, out);
  return length != 0 ? length : scanAnyOrder(bytes, out);
}

}  // namespace kov
