// Texts and numbers of the JSON document, written into a block that is
// handed to a sink in large pieces: the document has an object for every
// listing line, where a call into the sink per piece would cost more than
// the text.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "writers/decimal.h"

namespace kov {

class TextSink;

/// Appends `text`, ISO-8859-1 bytes, as a JSON string in UTF-8: in double
/// quotes, with `"` and `\` escaped and every control character (U+0000 to
/// U+001F and U+007F to U+009F) written as \u00XX.
void appendJsonString(std::string& out, std::string_view text);

/// Writes the JSON string of `text` (see appendJsonString) at `at`, which
/// has room for JsonOut::escapedSize(text.size()) bytes; returns its end.
char* writeJsonString(char* at, std::string_view text);

/// Writes a literal at `at`; returns its end. (A character array that is
/// not a literal goes as a std::string_view.)
template <std::size_t N>
char* writeLiteral(char* at, const char (&text)[N]) {
  assert(std::char_traits<char>::length(text) == N - 1);
  std::memcpy(at, text, N - 1);
  return at + (N - 1);
}

/// Pieces of JSON text on their way to a sink.
class JsonOut {
 public:
  explicit JsonOut(TextSink& out);
  ~JsonOut();
  JsonOut(const JsonOut&) = delete;
  JsonOut& operator=(const JsonOut&) = delete;

  /// Text as it is (names, punctuation, the program's own words). A literal
  /// is copied with its length known at compile time; a character array that
  /// is not a literal goes as a std::string_view.
  template <std::size_t N>
  JsonOut& put(const char (&text)[N]) {
    assert(std::char_traits<char>::length(text) == N - 1);
    std::memcpy(room(N - 1), text, N - 1);
    size_ += N - 1;
    return *this;
  }
  JsonOut& put(std::string_view text) {
    std::memcpy(room(text.size()), text.data(), text.size());
    size_ += text.size();
    return *this;
  }
  JsonOut& number(std::uint64_t value) {
    char* at = room(20);
    size_ += static_cast<std::size_t>(writeDecimal(at, value) - at);
    return *this;
  }
  JsonOut& signedNumber(std::int64_t value);
  JsonOut& boolean(bool value) { return value ? put("true") : put("false"); }
  /// A report text as a JSON string (see appendJsonString).
  JsonOut& string(std::string_view text);
  /// Hands everything collected to the sink.
  void flush();

  /// For a line put together in place: room for `size` bytes, to be written
  /// with the functions below and ended by advance() with the end reached.
  char* reserve(std::size_t size) { return room(size); }
  void advance(char* end) { size_ = static_cast<std::size_t>(end - block_.get()); }

  /// The longest text that escape() takes; a longer one goes through string().
  static constexpr std::size_t kMaxEscaped = 4096;
  /// The most bytes escape() writes for a text of `size` bytes.
  static constexpr std::size_t escapedSize(std::size_t size) { return size * 6 + 2; }

 private:
  static constexpr std::size_t kBlock = std::size_t{1} << 16;

  // Where `size` more bytes can be written.
  char* room(std::size_t size) {
    if (size_ + size > capacity_) grow(size);
    return block_.get() + size_;
  }
  void grow(std::size_t size);

  TextSink& out_;
  std::unique_ptr<char[]> block_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace kov
