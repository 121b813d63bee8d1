#include "base/text_sink.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <unistd.h>

namespace kov {

void appendUnsigned(std::string& out, std::uint64_t value, std::size_t width) {
  char digits[24];
  auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  std::size_t length = static_cast<std::size_t>(end - digits);
  if (length < width) out.append(width - length, ' ');
  out.append(digits, length);
}

TextSink& TextSink::putUnsigned(std::uint64_t value, std::size_t width) {
  constexpr std::size_t kDigits = 20;  // the most an unsigned 64-bit number has
  if (width == 0) {
    char* at = reserveSpace(kDigits);
    size_ = static_cast<std::size_t>(std::to_chars(at, at + kDigits, value).ptr - data_.get());
    return *this;
  }
  char digits[kDigits];
  auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  std::size_t length = static_cast<std::size_t>(end - digits);
  char* at = reserveSpace(std::max(length, width));
  if (length < width) {
    std::memset(at, ' ', width - length);
    at += width - length;
  }
  std::memcpy(at, digits, length);
  size_ = static_cast<std::size_t>(at + length - data_.get());
  return *this;
}

TextSink& TextSink::putSigned(std::int64_t value) {
  char digits[24];
  auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  return *this << std::string_view(digits, static_cast<std::size_t>(end - digits));
}

void TextSink::grow(std::size_t more) {
  std::size_t capacity = std::max<std::size_t>(capacity_ * 2, kFlushThreshold + 4096);
  if (capacity - size_ < more) capacity = size_ + more;
  std::unique_ptr<char[]> data(new char[capacity]);
  if (size_ > 0) std::memcpy(data.get(), data_.get(), size_);
  data_ = std::move(data);
  capacity_ = capacity;
}

void TextSink::putBlock(std::string_view text) {
  flush();
  if (!text.empty() && !failed_ && !writeOut(text)) failed_ = true;
}

void TextSink::flush() {
  if (size_ == 0) return;
  if (!failed_ && !writeOut(std::string_view(data_.get(), size_))) failed_ = true;
  size_ = 0;
}

bool FdSink::writeOut(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace kov
