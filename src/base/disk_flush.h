// Outputs that survive a crash. An output written beside its target and
// renamed over it reaches the disk in two steps: its bytes (for a directory
// output, those of every file in it) are flushed before the rename, so that
// the name never points to data the disk does not hold yet; then the
// directory that holds the name is flushed, so that the rename itself is on
// the disk. Once both have succeeded, a crash leaves the new output under the
// name; before that, it leaves the old one or the new one, never a part.
#pragma once

#include <string>

namespace kov {

/// Flushes the contents of the open file `fd` to the disk (fsync). False on
/// failure, with errno set. A descriptor that cannot be synchronised at all
/// (EINVAL) has nothing to flush and counts as flushed.
bool flushFile(int fd);

/// Flushes the directory that holds `path` (a file or directory created,
/// renamed or removed there), for instance after renaming a finished output
/// to `path`. Where that directory may be written but not opened for reading,
/// it flushes instead the whole file system that `sameFileSystemFd` (an open
/// descriptor of a file in that directory, or -1 for none) lies on. False on
/// failure, with errno set; a file system that cannot flush a directory
/// (EINVAL) counts as flushed.
bool flushDirectoryOf(const std::string& path, int sameFileSystemFd = -1);

/// The directory that holds `path`: "." for a plain name, "/" for a name
/// right under the root.
std::string directoryOf(const std::string& path);

/// Flushes many files written afresh under one directory (a report of many
/// pages) at once. One fsync per file costs a journal commit each; one syncfs
/// of the file system costs about as much as one fsync and flushes them all,
/// with their directory entries (and whatever else waits to be written on
/// that file system). Use: construct it once the directory exists and before
/// its files are written, write them, flush(), rename the directory into
/// place, then flushDirectoryOf(target).
class TreeFlush {
 public:
  /// Opens `directory`. Opening it before the files are written is what lets
  /// flush() report a failed write-back of any of them.
  explicit TreeFlush(const std::string& directory);
  ~TreeFlush();
  TreeFlush(const TreeFlush&) = delete;
  TreeFlush& operator=(const TreeFlush&) = delete;

  /// Flushes everything written on the directory's file system; false on
  /// failure (also where the directory could not be opened), errno set.
  bool flush();

 private:
  int fd_ = -1;
  int openError_ = 0;
};

}  // namespace kov
