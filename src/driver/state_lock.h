// Runs that continue a merge state and save over it follow one another. Two
// CI jobs that both run `kovxmlmerge state.xml new/*.xml -m state.xml` would
// otherwise both read the old state, and the later rename would drop the
// other job's reports. The first of them takes an advisory lock (flock) on
// the lock file beside the state before it reads the state and keeps it
// until its new state is in place; the second waits for it and then reads
// the state the first one saved.
//
// The lock file ("state.xml.lock") is created where missing and never
// removed: a run that removed it could let a third run lock a new file of
// that name while a second still holds the old one. A lock held by a process
// that dies is released by the kernel, so nothing ever needs cleaning up.
#pragma once

#include <ostream>
#include <string>

namespace kov {

class StateLock {
 public:
  /// Whether a run whose first input is `firstInput` and which saves its
  /// state to `stateFileName` saves over the file it continues from: both
  /// names are the same file (device and inode), or, where either does not
  /// exist, they are the same name.
  static bool savesOver(const std::string& firstInput, const std::string& stateFileName);
  /// The lock file of a state: its name followed by ".lock".
  static std::string lockFileName(const std::string& stateFileName);

  /// Takes the exclusive lock on the state's lock file, creating the file
  /// where missing. Where another run holds it, says so once on `waitOut`
  /// and waits. Raises error 36 where the lock file cannot be created,
  /// opened or locked.
  StateLock(const std::string& stateFileName, std::ostream& waitOut);
  /// Releases the lock.
  ~StateLock();
  StateLock(StateLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  StateLock(const StateLock&) = delete;
  StateLock& operator=(const StateLock&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace kov
