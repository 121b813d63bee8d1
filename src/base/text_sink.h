// A buffered byte sink for the writers. Lines are collected in memory and
// handed on in large pieces; a failure of the destination is remembered and
// reported by the owner after the writer returns.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace kov {

class TextSink {
 public:
  TextSink() = default;
  virtual ~TextSink() = default;
  TextSink(const TextSink&) = delete;
  TextSink& operator=(const TextSink&) = delete;
  TextSink(TextSink&& other) noexcept { *this = std::move(other); }
  TextSink& operator=(TextSink&& other) noexcept {
    data_ = std::move(other.data_);
    size_ = other.size_;
    capacity_ = other.capacity_;
    failed_ = other.failed_;
    other.size_ = other.capacity_ = 0;
    return *this;
  }

  TextSink& operator<<(std::string_view text) {
    if (text.empty()) return *this;  // its data may be a null pointer, which memcpy may not take
    std::memcpy(reserveSpace(text.size()), text.data(), text.size());
    size_ += text.size();
    maybeFlush();
    return *this;
  }
  TextSink& operator<<(char c) {
    *reserveSpace(1) = c;
    ++size_;
    return *this;
  }
  /// Writes an unsigned number in decimal, right-aligned in `width` columns
  /// (a longer number is written whole).
  TextSink& putUnsigned(std::uint64_t value, std::size_t width = 0);
  /// Writes a signed number in decimal with a leading "-" where negative.
  TextSink& putSigned(std::int64_t value);
  /// Ends a line. The buffer is handed on when it is large, and by flush().
  TextSink& endLine() {
    *this << '\n';
    maybeFlush();
    return *this;
  }
  /// Room for `size` more bytes, written in place (for a writer that puts a
  /// line together byte by byte); commitSpace keeps what was written.
  char* reserveSpace(std::size_t size) {
    // Never a null pointer, not even for no bytes: memcpy may not take one.
    if (capacity_ - size_ < size || capacity_ == 0) grow(size);
    return data_.get() + size_;
  }
  /// Keeps the bytes written into the reserved space up to `end`.
  void commitSpace(const char* end) {
    size_ = static_cast<std::size_t>(end - data_.get());
    maybeFlush();
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
    if (size_ >= kFlushThreshold) flush();
  }
  /// Makes room for `more` bytes after the buffered ones.
  void grow(std::size_t more);

  // The buffered bytes: a plain array, so that room written in place need
  // not be cleared first.
  std::unique_ptr<char[]> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
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

/// Copies `piece` to `at` (room from TextSink::reserveSpace) and returns the
/// end of the copy. An empty piece copies nothing: its data may be a null
/// pointer, which memcpy may not take.
inline char* copyInPlace(char* at, std::string_view piece) {
  if (piece.empty()) return at;
  std::memcpy(at, piece.data(), piece.size());
  return at + piece.size();
}

/// Appends `value` in decimal to `out`, right-aligned in `width` columns.
void appendUnsigned(std::string& out, std::uint64_t value, std::size_t width = 0);

}  // namespace kov
