#include "driver/output_directory.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "base/diagnostic.h"
#include "base/disk_flush.h"
#include "driver/path_parts.h"
#include "writers/html/html_report.h"

namespace kov {
namespace {

std::string withoutTrailingSlashes(std::string name) {
  while (name.size() > 1 && name.back() == '/') name.pop_back();
  return name;
}

// A new, unique directory beside `target` ("dir/.name.tag.XXXXXX"); empty
// where none can be made.
std::string makeDirectoryBeside(const std::string& target, const char* tag) {
  std::string name = directoryOf(target) + "/." + baseNameOf(target) + tag + ".XXXXXX";
  if (::mkdtemp(name.data()) == nullptr) return {};
  return name;
}

mode_t defaultDirectoryMode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0777 & ~mask;
}

void removeTree(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

bool hasMarker(const std::string& directory) {
  const std::string marker = directory + "/" + std::string(html::kMarkerFileName);
  int fd = ::open(marker.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  char head[128];
  ssize_t got = -1;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) got = ::read(fd, head, sizeof head);
  ::close(fd);
  const std::string_view signature = html::kMarkerSignature;
  return got >= static_cast<ssize_t>(signature.size()) &&
         std::string_view(head, signature.size()) == signature;
}

// A file name the report's writer makes: never a path, never "." or "..".
bool isPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

}  // namespace

bool OutputDirectory::isReplaceable(const std::string& path) {
  DIR* directory = ::opendir(path.c_str());
  if (directory == nullptr) return false;
  bool empty = true;
  while (const dirent* entry = ::readdir(directory)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") {
      empty = false;
      break;
    }
  }
  ::closedir(directory);
  return empty || hasMarker(path);
}

OutputDirectory::OutputDirectory(std::string name) : name_(std::move(name)) {
  target_ = withoutTrailingSlashes(name_);
  struct stat info;
  if (::lstat(target_.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
    // A link to a directory: the report takes the place of the directory it
    // names, and the link stays.
    char* real = ::realpath(target_.c_str(), nullptr);
    if (real == nullptr) raise(diag::kHtmlDirectoryRefused, name_);
    target_ = real;
    std::free(real);
  }
  if (::lstat(target_.c_str(), &info) == 0) {
    if (!S_ISDIR(info.st_mode) || !isReplaceable(target_)) {
      raise(diag::kHtmlDirectoryRefused, name_);
    }
    targetExists_ = true;
    mode_ = info.st_mode & 07777;
  } else if (errno != ENOENT) {
    fail();
  } else {
    mode_ = defaultDirectoryMode();
  }
  temporary_ = makeDirectoryBeside(target_, "");
  if (temporary_.empty()) fail();
  directoryFd_ = ::open(temporary_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (directoryFd_ < 0) fail();
  // Opened before the first page is written, so that the flush reports a
  // failed write-back of any of them.
  flush_.emplace(temporary_);
}

OutputDirectory::~OutputDirectory() {
  sink_.reset();
  if (fileFd_ >= 0) ::close(fileFd_);
  if (directoryFd_ >= 0) ::close(directoryFd_);
  if (!temporary_.empty()) removeTree(temporary_);
}

TextSink& OutputDirectory::beginFile(std::string_view name) {
  if (!isPlainName(name)) raise(diag::kInternalError);
  closeFile();
  const std::string file(name);
  fileFd_ = ::openat(directoryFd_, file.c_str(),
                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fileFd_ < 0) fail();
  sink_ = std::make_unique<FdSink>(fileFd_);
  return *sink_;
}

void OutputDirectory::endFile() {
  bool written = true;
  if (sink_) {
    sink_->flush();
    written = !sink_->failed();
    sink_.reset();
  }
  if (fileFd_ >= 0) {
    int fd = fileFd_;
    fileFd_ = -1;
    if (::close(fd) != 0) written = false;
  }
  if (!written) fail();
}

void OutputDirectory::closeFile() {
  if (sink_ || fileFd_ >= 0) endFile();
}

void OutputDirectory::commit() {
  closeFile();
  // The new directory gets the permissions of the one it replaces, or those
  // of a plain new directory (mkdtemp makes it private).
  if (::fchmod(directoryFd_, mode_) != 0) fail();
  if (!flush_->flush()) fail();
  putInPlace();
  // From here on the new report stands where it belongs; what the temporary
  // name holds now is the earlier report, or nothing. The rename reaches the
  // disk before the run reports success.
  const bool flushed = flushDirectoryOf(target_, directoryFd_);
  ::close(directoryFd_);
  directoryFd_ = -1;
  if (!temporary_.empty()) removeTree(temporary_);
  temporary_.clear();
  if (!flushed) raise(diag::kOutputNotWritten, name_);
}

void OutputDirectory::putInPlace() {
  if (targetExists_) {
    // One step: the new report and the old one swap their names.
    if (::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, target_.c_str(), RENAME_EXCHANGE) == 0) {
      return;
    }
    if (errno == ENOENT) {
      targetExists_ = false;  // it went away meanwhile
    } else if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
      fail();
    }
  }
  if (!targetExists_) {
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) fail();
    temporary_.clear();
    return;
  }
  // A file system that cannot swap: the old report steps aside first, and
  // comes back where the new one cannot take its place.
  std::string old = makeDirectoryBeside(target_, ".old");
  if (old.empty()) fail();
  if (::rename(target_.c_str(), old.c_str()) != 0) {
    ::rmdir(old.c_str());
    fail();
  }
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
    ::rename(old.c_str(), target_.c_str());
    ::rmdir(old.c_str());
    fail();
  }
  temporary_ = old;
}

void OutputDirectory::fail() {
  sink_.reset();
  if (fileFd_ >= 0) ::close(fileFd_);
  fileFd_ = -1;
  if (directoryFd_ >= 0) ::close(directoryFd_);
  directoryFd_ = -1;
  if (!temporary_.empty()) removeTree(temporary_);
  temporary_.clear();
  raise(diag::kOutputNotWritten, name_);
}

}  // namespace kov
