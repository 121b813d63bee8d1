#include "reader/line_reader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/diagnostic.h"

namespace kov {
namespace {

constexpr std::size_t kMinimumBlockSize = 16;
// A line longer than this is no report's: an input that never ends a line
// (a link to a device, a damaged file) would otherwise grow until memory
// runs out.
constexpr std::size_t kMaximumLineBytes = std::size_t{256} << 20;
// fgets with a buffer of 10 bytes reads at most 9 bytes of a line.
constexpr std::size_t kSeparatorBytes = 9;

std::string_view withoutCarriageReturn(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace

LineReader::LineReader(std::size_t blockSize, std::size_t maxLineBytes)
    : buffer_(new char[std::max(blockSize, kMinimumBlockSize) + kPadding]),
      capacity_(std::max(blockSize, kMinimumBlockSize)),
      maxLineBytes_(maxLineBytes == 0 ? kMaximumLineBytes : maxLineBytes) {
  // What is read ahead into the padding has a value, though never a meaning.
  std::memset(buffer_.get() + capacity_, 0, kPadding);
}

LineReader::~LineReader() {
  close();
}

void LineReader::open(InputFile input) {
  close();
  fileName_ = input.fileName();
  begin_ = end_ = 0;
  atEnd_ = false;
  fd_ = input.releaseDescriptor();
  readAhead_ = std::move(input.readAhead());
  readAheadUsed_ = 0;
  inputEnded_ = input.ended();
  inputFailed_ = input.failed();
  if (fd_ < 0) raise(diag::kNotReportLine, fileName_);
  // The first block tells whether the file holds any byte; it stays in the
  // buffer, so nothing has to be read twice.
  fill();
  if (atEnd_ && unread() == 0) raise(diag::kEmptyInput, fileName_);
}

void LineReader::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  fileName_.clear();
  begin_ = end_ = 0;
  atEnd_ = true;
  readAhead_.clear();
  readAheadUsed_ = 0;
}

void LineReader::fill() {
  if (begin_ > 0) {
    std::memmove(buffer_.get(), buffer_.get() + begin_, unread());
    end_ -= begin_;
    begin_ = 0;
  }
  if (fd_ < 0) {
    atEnd_ = true;
    return;
  }
  if (end_ == capacity_) return;
  if (readAheadUsed_ < readAhead_.size()) {
    const std::size_t take = std::min(capacity_ - end_, readAhead_.size() - readAheadUsed_);
    std::memcpy(buffer_.get() + end_, readAhead_.data() + readAheadUsed_, take);
    end_ += take;
    readAheadUsed_ += take;
    return;
  }
  // Where the reading ahead ended, the file is not read again: a terminal
  // would wait for a second end, a directory fail a second time.
  if (inputFailed_) raise(diag::kNotReportLine, fileName_);
  if (inputEnded_) {
    atEnd_ = true;
    return;
  }
  ssize_t got;
  do {
    got = ::read(fd_, buffer_.get() + end_, capacity_ - end_);
  } while (got < 0 && errno == EINTR);
  if (got < 0) raise(diag::kNotReportLine, fileName_);  // a directory gets here too
  if (got == 0) atEnd_ = true;
  end_ += static_cast<std::size_t>(got);
}

std::string_view LineReader::nextLine() {
  longLine_.clear();
  bool spilled = false;
  for (;;) {
    const char* start = buffer_.get() + begin_;
    const void* feed = std::memchr(start, '\n', unread());
    if (feed != nullptr) {
      const auto length = static_cast<std::size_t>(static_cast<const char*>(feed) - start);
      begin_ += length + 1;
      if (!spilled) return withoutCarriageReturn({start, length});
      if (longLine_.size() + length > maxLineBytes_) raise(diag::kLineTooLong);
      longLine_.append(start, length);
      return withoutCarriageReturn(longLine_);
    }
    if (atEnd_) {
      const std::string_view rest(start, unread());
      begin_ = end_;
      if (!spilled) return rest;
      if (longLine_.size() + rest.size() > maxLineBytes_) raise(diag::kLineTooLong);
      longLine_.append(rest);
      return longLine_;
    }
    if (begin_ == 0 && end_ == capacity_) {
      // The line is longer than the buffer: keep its start aside.
      if (longLine_.size() + unread() > maxLineBytes_) raise(diag::kLineTooLong);
      longLine_.append(start, unread());
      begin_ = end_ = 0;
      spilled = true;
    }
    fill();
  }
}

bool LineReader::atEnd() {
  while (unread() == 0 && !atEnd_) fill();
  return unread() == 0;
}

void LineReader::skipSeparator() {
  while (unread() < kSeparatorBytes && !atEnd_) fill();
  const std::size_t window = std::min(unread(), kSeparatorBytes);
  const char* start = buffer_.get() + begin_;
  const void* feed = std::memchr(start, '\n', window);
  begin_ += feed == nullptr ? window
                            : static_cast<std::size_t>(static_cast<const char*>(feed) - start) + 1;
}

}  // namespace kov
