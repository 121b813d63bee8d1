#include "driver/disk_sync.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace kov {

bool syncFileSystem(int fd) { return ::syncfs(fd) == 0; }

bool syncDirectory(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool synced = ::fsync(fd) == 0 || errno == EINVAL;  // a file system without directory sync
  return ::close(fd) == 0 && synced;
}

}  // namespace kov
