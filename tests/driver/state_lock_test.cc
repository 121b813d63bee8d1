#include "driver/state_lock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "base/diagnostic.h"

namespace kov {
namespace {

namespace fs = std::filesystem;

class StateLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kov-lock-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    std::ofstream(path("state.xml")) << "state";
    std::ofstream(path("other.xml")) << "other";
    fs::create_hard_link(path("state.xml"), path("hardlink.xml"));
    fs::create_symlink("state.xml", path("symlink.xml"));
    fs::create_directories(dir_ / "sub");
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  // Whether another open of the lock file could take the lock now.
  bool lockIsFree(const std::string& state) const {
    const int fd = ::open(StateLock::lockFileName(state).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return true;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
  }

  fs::path dir_;
};

TEST_F(StateLockTest, SavingOverTheStateItContinuesFromIsTheSameFile) {
  const struct {
    std::string input;
    std::string state;
    bool savesOver;
  } cases[] = {
      {path("state.xml"), path("state.xml"), true},
      {path("state.xml"), path("sub/../state.xml"), true},
      {path("hardlink.xml"), path("state.xml"), true},
      {path("symlink.xml"), path("state.xml"), true},
      {path("state.xml"), path("other.xml"), false},
      {path("state.xml"), path("next.xml"), false},  // not there yet
      {path("gone.xml"), path("gone.xml"), true},    // the same name
      {path("gone.xml"), path("sub/../gone.xml"), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StateLock::savesOver(c.input, c.state), c.savesOver) << c.input << " " << c.state;
  }
}

TEST_F(StateLockTest, HeldUntilReleasedAndTheLockFileStays) {
  std::ostringstream waits;
  {
    StateLock lock(path("state.xml"), waits);
    EXPECT_TRUE(fs::is_regular_file(path("state.xml.lock")));
    EXPECT_FALSE(lockIsFree(path("state.xml")));
  }
  EXPECT_TRUE(lockIsFree(path("state.xml")));
  EXPECT_TRUE(fs::is_regular_file(path("state.xml.lock")));
  EXPECT_EQ(waits.str(), "");  // nobody held it
}

TEST_F(StateLockTest, ALockFileThatCannotBeMadeIsErrorThirtySix) {
  fs::create_directories(dir_ / "dir.xml.lock");
  const std::string prefix =
      "*** kovxmlmerge error 36 (1/448): Merge state lock file can not be created or locked: ";
  for (const std::string& state : {path("dir.xml"), path("missing/state.xml")}) {
    std::ostringstream waits;
    try {
      StateLock lock(state, waits);
      ADD_FAILURE() << "locked " << state;
    } catch (const DiagnosticError& e) {
      EXPECT_EQ(e.what(), prefix + state + ".lock");
    }
  }
}

}  // namespace
}  // namespace kov
