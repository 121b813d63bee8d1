// Short lines of numbers, put together in a local block and handed to a sink
// in large pieces: the exports write one line per line and per branch of
// every file, where a call into the sink per piece would cost more than the
// text.
#pragma once

#include <charconv>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "base/text_sink.h"

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
  void put(std::string_view text) {
    std::memcpy(block_ + size_, text.data(), text.size());
    size_ += text.size();
  }
  void putNumber(std::uint64_t value) {
    size_ = static_cast<std::size_t>(
        std::to_chars(block_ + size_, block_ + sizeof block_, value).ptr - block_);
  }
  void endLine() { block_[size_++] = '\n'; }
  /// Hands everything collected to the sink.
  void flush() {
    if (size_ == 0) return;
    out_ << std::string_view(block_, size_);
    size_ = 0;
  }

 private:
  TextSink& out_;
  char block_[1 << 14];
  std::size_t size_ = 0;
};

}  // namespace kov
