// A buffered byte sink for the writers. Lines are collected in memory and
// handed on in large pieces; a failure of the destination is remembered and
// reported by the owner after the writer returns.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kov {

class TextSink {
 public:
  virtual ~TextSink() = default;

  TextSink& operator<<(std::string_view text) {
    buffer_.append(text);
    maybeFlush();
    return *this;
  }
  TextSink& operator<<(char c) {
    buffer_.push_back(c);
    return *this;
  }
  /// Writes an unsigned number in decimal, right-aligned in `width` columns
  /// (a longer number is written whole).
  TextSink& putUnsigned(std::uint64_t value, std::size_t width = 0);
  /// Writes a signed number in decimal with a leading "-" where negative.
  TextSink& putSigned(std::int64_t value);
  /// Ends a line. The buffer is handed on when it is large, and by flush().
  TextSink& endLine() {
    buffer_.push_back('\n');
    maybeFlush();
    return *this;
  }
  /// Writes a large piece of text: what is buffered goes first, then the
  /// piece, handed on without being copied into the buffer.
  void putBlock(std::string_view text);
  /// Hands everything buffered to the destination.
  void flush();
  /// Whether any write to the destination failed.
  bool failed() const { return failed_; }

 protected:
  /// Writes bytes to the destination; returns false on failure.
  virtual bool writeOut(std::string_view bytes) = 0;

 private:
  static constexpr std::size_t kFlushThreshold = 1 << 16;
  void maybeFlush() {
    if (buffer_.size() >= kFlushThreshold) flush();
  }

  std::string buffer_;
  bool failed_ = false;
};

/// A sink that collects everything in a string (tests, small documents).
class StringSink : public TextSink {
 public:
  /// Everything written so far.
  const std::string& text() {
    flush();
    return text_;
  }

 protected:
  bool writeOut(std::string_view bytes) override {
    text_.append(bytes);
    return true;
  }

 private:
  std::string text_;
};

/// A sink on an open file descriptor, which it does not own.
class FdSink : public TextSink {
 public:
  explicit FdSink(int fd) : fd_(fd) {}
  ~FdSink() override { flush(); }

 protected:
  bool writeOut(std::string_view bytes) override;

 private:
  int fd_;
};

/// Appends `value` in decimal to `out`, right-aligned in `width` columns.
void appendUnsigned(std::string& out, std::uint64_t value, std::size_t width = 0);

}  // namespace kov
