#include "base/disk_flush.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace kov {
namespace {

bool synchronised(int result) {
  return result == 0 || errno == EINVAL;
}

int openDirectory(const std::string& directory) {
  int fd;
  do {
    fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

void closeKeepingErrno(int fd) {
  const int saved = errno;
  ::close(fd);
  errno = saved;
}

}  // namespace

bool flushFile(int fd) {
  return synchronised(::fsync(fd));
}

bool flushDirectoryOf(const std::string& path, int sameFileSystemFd) {
  const int fd = openDirectory(directoryOf(path));
  if (fd < 0) {
    // A directory that may be written but not listed cannot be opened; the
    // file system that holds it can still be flushed as a whole.
    if (errno == EACCES && sameFileSystemFd >= 0) return ::syncfs(sameFileSystemFd) == 0;
    return false;
  }
  const bool flushed = synchronised(::fsync(fd));
  closeKeepingErrno(fd);
  return flushed;
}

std::string directoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

TreeFlush::TreeFlush(const std::string& directory) : fd_(openDirectory(directory)) {
  if (fd_ < 0) openError_ = errno;
}

TreeFlush::~TreeFlush() {
  if (fd_ >= 0) ::close(fd_);
}

bool TreeFlush::flush() {
  if (fd_ < 0) {
    errno = openError_;
    return false;
  }
  return ::syncfs(fd_) == 0;
}

}  // namespace kov
