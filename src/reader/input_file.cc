#include "reader/input_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace kov {

InputFile::InputFile(std::string fileName) : fileName_(std::move(fileName)) {
  fd_ = ::open(fileName_.c_str(), O_RDONLY | O_CLOEXEC);
}

InputFile::~InputFile() {
  close();
}

InputFile::InputFile(InputFile&& other) noexcept
    : fileName_(std::move(other.fileName_)),
      fd_(std::exchange(other.fd_, -1)),
      readAhead_(std::move(other.readAhead_)),
      ended_(other.ended_),
      failed_(other.failed_) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
  if (this != &other) {
    close();
    fileName_ = std::move(other.fileName_);
    fd_ = std::exchange(other.fd_, -1);
    readAhead_ = std::move(other.readAhead_);
    ended_ = other.ended_;
    failed_ = other.failed_;
  }
  return *this;
}

std::string_view InputFile::head(std::size_t bytes) {
  // A pipe hands over what its writer has written so far: read on until
  // there is enough, the end, or a failure.
  while (readAhead_.size() < bytes && fd_ >= 0 && !ended_ && !failed_) {
    const std::size_t have = readAhead_.size();
    readAhead_.resize(bytes);
    const ssize_t got = ::read(fd_, readAhead_.data() + have, bytes - have);
    if (got < 0 && errno != EINTR) failed_ = true;
    if (got == 0) ended_ = true;
    readAhead_.resize(have + (got > 0 ? static_cast<std::size_t>(got) : 0));
  }
  return std::string_view(readAhead_).substr(0, bytes);
}

int InputFile::releaseDescriptor() {
  return std::exchange(fd_, -1);
}

void InputFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace kov
