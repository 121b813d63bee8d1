#include "writers/html/html_text.h"

#include <array>

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

// Writes one character of a high byte; returns the number of bytes it took.
std::size_t putHigh(TextSink& out, std::string_view rest, Charset charset) {
  const auto lead = static_cast<unsigned char>(rest[0]);
  if (charset == Charset::Latin1) {
    if (lead < 0xA0) {
      out << kReplacement;  // a C1 control
    } else {
      out << static_cast<char>(0xC0 | (lead >> 6)) << static_cast<char>(0x80 | (lead & 0x3F));
    }
    return 1;
  }
  std::size_t length = sequenceLength(lead);
  if (length > rest.size()) length = rest.size();  // only where the caller broke its promise
  std::string_view sequence = rest.substr(0, length);
  if (sequence.size() < 2 || isForbidden(sequence)) {
    out << kReplacement;
  } else {
    out << sequence;
  }
  return length;
}

void putEscaped(TextSink& out, std::string_view text, Charset charset,
                const std::array<Byte, 256>& table) {
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t plain = i;
    while (plain < text.size() && table[static_cast<unsigned char>(text[plain])] == Byte::Plain) {
      ++plain;
    }
    if (plain > i) out << text.substr(i, plain - i);
    i = plain;
    if (i == text.size()) break;
    switch (table[static_cast<unsigned char>(text[i])]) {
      case Byte::Entity:
        out << entityOf(text[i]);
        ++i;
        break;
      case Byte::Control:
        out << kReplacement;
        ++i;
        break;
      case Byte::High:
        i += putHigh(out, text.substr(i), charset);
        break;
      case Byte::Plain:
        break;
    }
  }
}

}  // namespace

void putText(TextSink& out, std::string_view text, Charset charset) {
  putEscaped(out, text, charset, kTextBytes);
}

void putAttribute(TextSink& out, std::string_view text, Charset charset) {
  putEscaped(out, text, charset, kAttributeBytes);
}

bool isValidUtf8(std::string_view text) {
  std::size_t i = 0;
  const std::size_t size = text.size();
  const auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  while (i < size) {
    // ASCII runs are the common case: skip them eight bytes at a time.
    while (i + 8 <= size) {
      std::uint64_t word = 0;
      for (std::size_t k = 0; k < 8; ++k) word |= std::uint64_t{at(i + k)} << (8 * k);
      if ((word & 0x8080808080808080ULL) != 0) break;
      i += 8;
    }
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
