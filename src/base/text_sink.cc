#include "base/text_sink.h"

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
  appendUnsigned(buffer_, value, width);
  return *this;
}

TextSink& TextSink::putSigned(std::int64_t value) {
  char digits[24];
  auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  buffer_.append(digits, static_cast<std::size_t>(end - digits));
  return *this;
}

void TextSink::putBlock(std::string_view text) {
  flush();
  if (!text.empty() && !failed_ && !writeOut(text)) failed_ = true;
}

void TextSink::flush() {
  if (buffer_.empty()) return;
  if (!failed_ && !writeOut(buffer_)) failed_ = true;
  buffer_.clear();
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
