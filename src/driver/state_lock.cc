#include "driver/state_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/diagnostic.h"

namespace kov {
namespace {

int lockOrWait(int fd, int operation) {
  int result;
  do {
    result = ::flock(fd, operation);
  } while (result != 0 && errno == EINTR);
  return result;
}

}  // namespace

bool StateLock::savesOver(const std::string& firstInput, const std::string& stateFileName) {
  struct stat input;
  struct stat state;
  if (::stat(firstInput.c_str(), &input) != 0 || ::stat(stateFileName.c_str(), &state) != 0) {
    return firstInput == stateFileName;
  }
  return input.st_dev == state.st_dev && input.st_ino == state.st_ino;
}

std::string StateLock::lockFileName(const std::string& stateFileName) {
  return stateFileName + ".lock";
}

StateLock::StateLock(const std::string& stateFileName, std::ostream& waitOut) {
  const std::string name = lockFileName(stateFileName);
  // Read access is all that flock needs: a lock file that another user's run
  // created, and that this one may not write, locks as well.
  do {
    fd_ = ::open(name.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
  } while (fd_ < 0 && errno == EINTR);
  if (fd_ < 0) raise(diag::kStateLockFailed, name);
  if (lockOrWait(fd_, LOCK_EX | LOCK_NB) == 0) return;
  if (errno == EWOULDBLOCK) {
    waitOut << "kovxmlmerge: waiting for the lock on " << name
            << ": another run continues the same merge state" << std::endl;
    if (lockOrWait(fd_, LOCK_EX) == 0) return;
  }
  ::close(fd_);
  fd_ = -1;
  raise(diag::kStateLockFailed, name);
}

StateLock::~StateLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace kov
