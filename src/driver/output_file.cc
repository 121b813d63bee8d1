#include "driver/output_file.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/diagnostic.h"
#include "base/disk_flush.h"

namespace kov {
namespace {

// Names that stand for a descriptor the process already has. Opening them
// anew would truncate whatever the caller connected them to (a log it
// appends to), so they are written through that descriptor.
int inheritedDescriptor(const std::string& name) {
  if (name == "-" || name == "/dev/stdout") return STDOUT_FILENO;
  if (name == "/dev/stderr") return STDERR_FILENO;
  const std::string prefix = "/dev/fd/";
  if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0) {
    char* end = nullptr;
    long fd = std::strtol(name.c_str() + prefix.size(), &end, 10);
    if (*end == '\0' && fd >= 0 && fd < 1024 && ::fcntl(static_cast<int>(fd), F_GETFD) != -1) {
      return static_cast<int>(fd);
    }
  }
  return -1;
}

std::string baseNameOf(const std::string& name) {
  std::size_t slash = name.rfind('/');
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

mode_t defaultFileMode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

bool OutputFile::writesThroughTemporary(const std::string& name) {
  if (inheritedDescriptor(name) >= 0) return false;
  struct stat target;
  return ::lstat(name.c_str(), &target) != 0 || S_ISREG(target.st_mode);
}

OutputFile::OutputFile(std::string name) : name_(std::move(name)) {
  fd_ = inheritedDescriptor(name_);
  if (fd_ < 0) {
    struct stat target;
    bool exists = ::lstat(name_.c_str(), &target) == 0;
    if (!exists || S_ISREG(target.st_mode)) {
      // The rename would replace a file that may not be written to; refuse
      // it as opening it for writing would.
      if (exists && ::access(name_.c_str(), W_OK) != 0) fail();
      tempName_ = directoryOf(name_) + "/." + baseNameOf(name_) + ".XXXXXX";
      fd_ = ::mkstemp(tempName_.data());
      if (fd_ < 0) {
        tempName_.clear();
        fail();
      }
      ownsFd_ = true;
      // Keep the permissions the file has, or would get from a plain create.
      ::fchmod(fd_, exists ? (target.st_mode & 07777) : defaultFileMode());
    } else {
      fd_ = ::open(name_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
      if (fd_ < 0) fail();
      ownsFd_ = true;
    }
  }
  sink_ = std::make_unique<FdSink>(fd_);
}

OutputFile::~OutputFile() {
  if (!tempName_.empty()) {
    sink_.reset();
    closeFd();
    ::unlink(tempName_.c_str());
  } else if (sink_) {
    sink_->flush();  // what went to a stream stays in order before a message
  }
  closeFd();
}

void OutputFile::commit() {
  sink_->flush();
  if (sink_->failed()) fail();
  if (tempName_.empty()) {
    // Written directly (a stream, a device, a FIFO, a link's target):
    // nothing is renamed, and nothing is flushed to a disk.
    if (ownsFd_) {
      const int fd = fd_;
      fd_ = -1;
      ownsFd_ = false;
      if (::close(fd) != 0) fail();
    }
    return;
  }
  // The bytes are on the disk before the name points to them, and the
  // rename is on the disk before the run reports success: a crash leaves
  // the old output or the new one, and after exit status 0 the new one.
  if (!flushFile(fd_)) fail();
  if (::rename(tempName_.c_str(), name_.c_str()) != 0) fail();
  tempName_.clear();
  if (!flushDirectoryOf(name_, fd_)) fail();
  const int fd = fd_;
  fd_ = -1;
  ownsFd_ = false;
  if (::close(fd) != 0) fail();
}

void OutputFile::closeFd() {
  if (ownsFd_ && fd_ >= 0) ::close(fd_);
  fd_ = -1;
  ownsFd_ = false;
}

void OutputFile::fail() {
  if (!tempName_.empty()) {
    closeFd();
    ::unlink(tempName_.c_str());
    tempName_.clear();
  }
  raise(diag::kOutputNotWritten, name_);
}

}  // namespace kov
