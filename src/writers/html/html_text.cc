#include "writers/html/html_text.h"

#include <algorithm>
#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/text_sink.h"

namespace kov::html {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// What a byte needs: passed as it is, an entity, or a closer look.
enum class Byte : std::uint8_t { Plain, Entity, Control, High };

constexpr std::array<Byte, 256> classify(bool attribute) {
  std::array<Byte, 256> table{};
  for (int b = 0; b < 256; ++b) {
    if (b < 0x20 || b == 0x7F) {
      table[b] = b == '\t' ? Byte::Plain : Byte::Control;
    } else if (b >= 0x80) {
      table[b] = Byte::High;
    } else if (b == '&' || b == '<' || b == '>' || (attribute && (b == '"' || b == '\''))) {
      table[b] = Byte::Entity;
    } else {
      table[b] = Byte::Plain;
    }
  }
  return table;
}

constexpr std::array<Byte, 256> kTextBytes = classify(false);
constexpr std::array<Byte, 256> kAttributeBytes = classify(true);

std::string_view entityOf(char c) {
  switch (c) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '"':
      return "&quot;";
    default:
      return "&#39;";
  }
}

std::size_t sequenceLength(unsigned char lead) {
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  return 4;
}

// Whether a (valid) UTF-8 sequence is a character a page may not hold: a C1
// control (U+0080 to U+009F) or a noncharacter (U+FDD0 to U+FDEF, and the
// last two code points of every plane).
bool isForbidden(std::string_view sequence) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(sequence[i]); };
  if (sequence.size() == 2) return byte(0) == 0xC2 && byte(1) < 0xA0;
  std::uint32_t code = 0;
  for (std::size_t i = 0; i < sequence.size(); ++i) {
    code = (code << 6) | (byte(i) & (i == 0 ? (sequence.size() == 3 ? 0x0F : 0x07) : 0x3F));
  }
  return (code >= 0xFDD0 && code <= 0xFDEF) || (code & 0xFFFE) == 0xFFFE;
}

// Writes one character of a high byte; `taken` gets the bytes it took.
char* putHigh(char* at, std::string_view rest, Charset charset, std::size_t& taken) {
  const auto lead = static_cast<unsigned char>(rest[0]);
  if (charset == Charset::Latin1) {
    taken = 1;
    if (lead < 0xA0) return copyInPlace(at, kReplacement);  // a C1 control
    *at++ = static_cast<char>(0xC0 | (lead >> 6));
    *at++ = static_cast<char>(0x80 | (lead & 0x3F));
    return at;
  }
  taken = std::min(sequenceLength(lead), rest.size());  // shorter only where the caller erred
  std::string_view sequence = rest.substr(0, taken);
  return copyInPlace(at, sequence.size() < 2 || isForbidden(sequence) ? kReplacement : sequence);
}

// The length of the run of bytes at the start of `text` that pass as they
// are: printable ASCII that needs no entity. Texts are mostly such bytes,
// so they are looked at sixteen at a time where the processor allows.
template <bool attribute>
std::size_t plainRun(std::string_view text, const std::array<Byte, 256>& table) {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i space = _mm_set1_epi8(0x20);
  const __m128i del = _mm_set1_epi8(0x7F);
  const __m128i amp = _mm_set1_epi8('&');
  const __m128i lt = _mm_set1_epi8('<');
  const __m128i gt = _mm_set1_epi8('>');
  for (; i + 16 <= text.size(); i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
    // Signed, bytes of 0x80 and above are below 0x20 as well.
    __m128i special = _mm_or_si128(_mm_cmplt_epi8(bytes, space), _mm_cmpeq_epi8(bytes, del));
    special = _mm_or_si128(special, _mm_or_si128(_mm_cmpeq_epi8(bytes, amp),
                                                 _mm_or_si128(_mm_cmpeq_epi8(bytes, lt),
                                                              _mm_cmpeq_epi8(bytes, gt))));
    if constexpr (attribute) {
      special = _mm_or_si128(special, _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('"')),
                                                   _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\''))));
    }
    const int mask = _mm_movemask_epi8(special);
    if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
  }
#endif
  while (i < text.size() && table[static_cast<unsigned char>(text[i])] == Byte::Plain) ++i;
  return i;
}

template <bool attribute>
char* escape(char* at, std::string_view text, Charset charset) {
  const std::array<Byte, 256>& table = attribute ? kAttributeBytes : kTextBytes;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t plain = plainRun<attribute>(text.substr(i), table);
    at = copyInPlace(at, text.substr(i, plain));
    i += plain;
    if (i == text.size()) break;
    const char c = text[i];
    switch (table[static_cast<unsigned char>(c)]) {
      case Byte::Plain:  // only where the tab passes the fast look as special
        *at++ = c;
        ++i;
        break;
      case Byte::Entity:
        at = copyInPlace(at, entityOf(c));
        ++i;
        break;
      case Byte::Control:
        at = copyInPlace(at, kReplacement);
        ++i;
        break;
      case Byte::High: {
        std::size_t taken;
        at = putHigh(at, text.substr(i), charset, taken);
        i += taken;
        break;
      }
    }
  }
  return at;
}

constexpr std::uint64_t kHighs = 0x8080808080808080ULL;

// Escapes into the sink's buffer, a piece at a time: a text may be large.
// A piece never ends inside a UTF-8 sequence.
template <bool attribute>
void putEscaped(TextSink& out, std::string_view text, Charset charset) {
  constexpr std::size_t kPiece = 4096;
  while (!text.empty()) {
    std::size_t length = std::min(text.size(), kPiece);
    if (charset == Charset::Utf8) {
      while (length < text.size() && length > 0 && (text[length] & 0xC0) == 0x80) --length;
      if (length == 0) length = std::min(text.size(), kPiece);
    }
    char* at = out.reserveSpace(escapedSizeLimit(length));
    out.commitSpace(escape<attribute>(at, text.substr(0, length), charset));
    text.remove_prefix(length);
  }
}

}  // namespace

char* escapeText(char* at, std::string_view text, Charset charset) {
  return escape<false>(at, text, charset);
}

char* escapeAttribute(char* at, std::string_view text, Charset charset) {
  return escape<true>(at, text, charset);
}

void putText(TextSink& out, std::string_view text, Charset charset) {
  putEscaped<false>(out, text, charset);
}

void putAttribute(TextSink& out, std::string_view text, Charset charset) {
  putEscaped<true>(out, text, charset);
}

bool isValidUtf8(std::string_view text) {
  std::size_t i = 0;
  const std::size_t size = text.size();
  const auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  while (i < size) {
    // ASCII runs are the common case: skip them eight bytes at a time.
    std::uint64_t word;
    while (i + 8 <= size && (std::memcpy(&word, text.data() + i, 8), (word & kHighs) == 0)) i += 8;
    if (i == size) break;
    const unsigned char lead = at(i);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    std::size_t length;
    unsigned char low = 0x80;  // the range of the second byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) low = 0xA0;   // no overlong form
      if (lead == 0xED) high = 0x9F;  // no surrogate
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) low = 0x90;   // no overlong form
      if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
      return false;
    }
    if (i + length > size) return false;
    if (at(i + 1) < low || at(i + 1) > high) return false;
    for (std::size_t k = 2; k < length; ++k) {
      if (at(i + k) < 0x80 || at(i + k) > 0xBF) return false;
    }
    i += length;
  }
  return true;
}

}  // namespace kov::html
