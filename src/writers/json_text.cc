#include "writers/json_text.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "base/text_sink.h"

namespace kov {
namespace {

// What becomes of each byte: copied, escaped by a backslash, written as
// \u00XX, or converted to two UTF-8 bytes.
enum class Treatment : std::uint8_t { Copy, Backslash, Unicode, Latin1 };

constexpr std::array<Treatment, 256> treatments() {
  std::array<Treatment, 256> table{};
  for (std::size_t byte = 0; byte < table.size(); ++byte) {
    if (byte < 0x20 || (byte >= 0x7F && byte <= 0x9F)) {
      table[byte] = Treatment::Unicode;
    } else if (byte >= 0xA0) {
      table[byte] = Treatment::Latin1;
    } else if (byte == '"' || byte == '\\') {
      table[byte] = Treatment::Backslash;
    }
  }
  return table;
}
constexpr std::array<Treatment, 256> kTreatments = treatments();

// The most bytes one input byte becomes: \u00XX.
constexpr std::size_t kMaxGrowth = 6;
// A longer text is written in pieces of this many bytes.
constexpr std::size_t kPiece = 4096;

// Writes one byte in its escaped form.
char* writeByte(char* out, unsigned char byte) {
  constexpr std::string_view kHex = "0123456789ABCDEF";
  switch (kTreatments[byte]) {
    case Treatment::Copy:
      *out++ = static_cast<char>(byte);
      break;
    case Treatment::Backslash:
      *out++ = '\\';
      *out++ = static_cast<char>(byte);
      break;
    case Treatment::Unicode:
      std::memcpy(out, "\\u00", 4);
      out[4] = kHex[byte >> 4];
      out[5] = kHex[byte & 0x0F];
      out += 6;
      break;
    case Treatment::Latin1:
      *out++ = static_cast<char>(0xC0 | (byte >> 6));
      *out++ = static_cast<char>(0x80 | (byte & 0x3F));
      break;
  }
  return out;
}

// Whether any of the eight bytes of `word` is treated other than copied: a
// control byte, a byte from 0x7F, `"` or `\`. May answer yes where none is
// (a byte after one that is); never no where one is.
bool needsTreatment(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101;
  constexpr std::uint64_t kHighs = 0x8080808080808080;
  auto hasZero = [](std::uint64_t x) { return (x - kOnes) & ~x & kHighs; };
  const std::uint64_t control = (word - 0x20 * kOnes) & ~word & kHighs;
  const std::uint64_t high = ((word + kOnes) | word) & kHighs;
  return (control | high | hasZero(word ^ ('"' * kOnes)) | hasZero(word ^ ('\\' * kOnes))) != 0;
}

// Writes the escaped form of `text` (no quotes) at `out`, which has room for
// kMaxGrowth bytes per byte of `text`; returns the end. Most texts are plain
// ASCII, so eight bytes at a time are looked at and copied where they can.
char* writeEscaped(char* out, std::string_view text) {
  const char* in = text.data();
  const char* const end = in + text.size();
  while (end - in >= 8) {
    std::uint64_t word;
    std::memcpy(&word, in, 8);
    if (needsTreatment(word)) {
      for (int i = 0; i < 8; ++i) out = writeByte(out, static_cast<unsigned char>(in[i]));
    } else {
      std::memcpy(out, in, 8);
      out += 8;
    }
    in += 8;
  }
  for (; in != end; ++in) {
    const auto byte = static_cast<unsigned char>(*in);
    if (kTreatments[byte] == Treatment::Copy) {
      *out++ = static_cast<char>(byte);
    } else {
      out = writeByte(out, byte);
    }
  }
  return out;
}

}  // namespace

char* writeJsonString(char* at, std::string_view text) {
  *at++ = '"';
  at = writeEscaped(at, text);
  *at++ = '"';
  return at;
}

void appendJsonString(std::string& out, std::string_view text) {
  const std::size_t start = out.size();
  out.resize(start + text.size() * kMaxGrowth + 2);
  char* end = out.data() + start;
  *end++ = '"';
  end = writeEscaped(end, text);
  *end++ = '"';
  out.resize(static_cast<std::size_t>(end - out.data()));
}

JsonOut::JsonOut(TextSink& out) : out_(out) {}

JsonOut::~JsonOut() { flush(); }

JsonOut& JsonOut::signedNumber(std::int64_t value) {
  char* at = room(20);
  size_ += static_cast<std::size_t>(std::to_chars(at, at + 20, value).ptr - at);
  return *this;
}

JsonOut& JsonOut::string(std::string_view text) {
  put("\"");
  while (!text.empty()) {
    const std::string_view piece = text.substr(0, kPiece);
    char* at = room(piece.size() * kMaxGrowth);
    size_ += static_cast<std::size_t>(writeEscaped(at, piece) - at);
    text.remove_prefix(piece.size());
  }
  return put("\"");
}

void JsonOut::flush() {
  if (size_ == 0) return;
  out_.putBlock(std::string_view(block_.get(), size_));
  size_ = 0;
}

void JsonOut::grow(std::size_t size) {
  flush();
  if (size <= capacity_) return;
  capacity_ = std::max(kBlock, size);
  block_ = std::make_unique<char[]>(capacity_);
}

}  // namespace kov
