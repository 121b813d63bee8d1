// Short lines of numbers, put together in a local block and handed to a sink
// in large pieces: the exports write one line per line and per branch of
// every file, where a call into the sink per piece would cost more than the
// text.
#pragma once

#include <cassert>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "base/text_sink.h"
#include "writers/decimal.h"

namespace kov {

class LineBatch {
 public:
  /// The longest line the batch takes: fixed texts and a few numbers.
  static constexpr std::size_t kMaxLine = 256;

  explicit LineBatch(TextSink& out) : out_(out) {}
  ~LineBatch() { flush(); }
  LineBatch(const LineBatch&) = delete;
  LineBatch& operator=(const LineBatch&) = delete;

  /// Starts a line of at most kMaxLine bytes.
  void beginLine() {
    if (size_ > sizeof block_ - kMaxLine) flush();
  }
  /// A literal is copied with its length known at compile time (a character
  /// array that is not a literal goes as a std::string_view).
  template <std::size_t N>
  void put(const char (&text)[N]) {
    assert(std::char_traits<char>::length(text) == N - 1);
    std::memcpy(block_ + size_, text, N - 1);
    size_ += N - 1;
  }
  void put(std::string_view text) {
    std::memcpy(block_ + size_, text.data(), text.size());
    size_ += text.size();
  }
  void putNumber(std::uint64_t value) {
    size_ = static_cast<std::size_t>(writeDecimal(block_ + size_, value) - block_);
  }
  void endLine() { block_[size_++] = '\n'; }
  /// Hands everything collected to the sink.
  void flush() {
    if (size_ == 0) return;
    out_.putBlock(std::string_view(block_, size_));
    size_ = 0;
  }

 private:
  TextSink& out_;
  char block_[1 << 14];
  std::size_t size_ = 0;
};

}  // namespace kov
