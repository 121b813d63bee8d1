#include "reader/source_lookup.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kov {
namespace {

enum class Attempt { Read, Absent, TooLarge };

// Opening never blocks (a FIFO would wait for a writer) and never takes a
// terminal; only a regular file is read.
Attempt readRegularFile(const std::string& path, std::string& text) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return Attempt::Absent;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return Attempt::Absent;
  }
  if (static_cast<std::size_t>(info.st_size) > SourceLookup::kMaxSize) {
    ::close(fd);
    return Attempt::TooLarge;
  }
  text.resize(static_cast<std::size_t>(info.st_size));
  std::size_t size = 0;
  for (;;) {
    if (size == text.size()) {
      if (size > SourceLookup::kMaxSize) break;
      text.resize(size + (1 << 16));  // the file grows while it is read
    }
    ssize_t got = ::read(fd, text.data() + size, text.size() - size);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      ::close(fd);
      text.clear();
      return Attempt::Absent;
    }
    if (got == 0) break;
    size += static_cast<std::size_t>(got);
  }
  ::close(fd);
  text.resize(size);
  if (size > SourceLookup::kMaxSize) {
    text.clear();
    return Attempt::TooLarge;
  }
  return Attempt::Read;
}

}  // namespace

SourceLookup::SourceLookup(std::vector<std::string> directories)
    : directories_(std::move(directories)) {}

SourceLookup::Result SourceLookup::read(std::string_view name, std::string_view relativeName,
                                        std::string& text) const {
  std::vector<std::string> candidates;
  if (!name.empty()) candidates.emplace_back(name);
  if (!relativeName.empty()) {
    for (const std::string& directory : directories_) {
      std::string path = directory;
      if (path.back() != '/') path += '/';
      path += relativeName;
      candidates.push_back(std::move(path));
    }
  }
  for (const std::string& path : candidates) {
    if (path.find('\0') != std::string::npos) continue;
    switch (readRegularFile(path, text)) {
      case Attempt::Read:
        return Result::Found;
      case Attempt::TooLarge:
        return Result::TooLarge;
      case Attempt::Absent:
        break;
    }
  }
  text.clear();
  return Result::NotFound;
}

}  // namespace kov
