#include "base/disk_flush.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

namespace kov {
namespace {

namespace fs = std::filesystem;

class DiskFlushTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kov-flush-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir_);
  }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  fs::path dir_;
};

TEST(DirectoryOf, IsTheFolderThatHoldsTheName) {
  const struct {
    const char* path;
    const char* directory;
  } cases[] = {{"out.txt", "."},
               {"sub/out.txt", "sub"},
               {"/out.txt", "/"},
               {"/a/b/out.txt", "/a/b"},
               {"a/", "a"}};
  for (const auto& c : cases) EXPECT_EQ(directoryOf(c.path), c.directory) << c.path;
}

TEST_F(DiskFlushTest, FlushesFilesAndTheirDirectories) {
  const int fd = ::open(path("out.txt").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, "text", 4), 4);
  EXPECT_TRUE(flushFile(fd));
  ::close(fd);
  EXPECT_TRUE(flushDirectoryOf(path("out.txt")));
  EXPECT_TRUE(flushDirectoryOf(path("not-yet-there.txt")));  // only its folder must exist
  errno = 0;
  EXPECT_FALSE(flushDirectoryOf(path("missing/out.txt")));
  EXPECT_EQ(errno, ENOENT);
  EXPECT_FALSE(flushFile(-1));
  EXPECT_EQ(errno, EBADF);
  // A pipe cannot be synchronised: nothing of it waits for a disk.
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  EXPECT_TRUE(flushFile(ends[1]));
  ::close(ends[0]);
  ::close(ends[1]);
}

TEST_F(DiskFlushTest, ATreeIsFlushedAtOnce) {
  fs::create_directories(dir_ / "report" / "pages");
  TreeFlush flush((dir_ / "report").string());
  for (int i = 0; i < 20; ++i) {
    const std::string name = (dir_ / "report" / "pages" / (std::to_string(i) + ".html")).string();
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "<p>", 3), 3);
    ::close(fd);
  }
  EXPECT_TRUE(flush.flush());
  TreeFlush missing(path("missing"));
  errno = 0;
  EXPECT_FALSE(missing.flush());
  EXPECT_EQ(errno, ENOENT);
}

// A folder that may be written but not listed cannot be opened to flush it;
// the file system that holds it is flushed instead, through the output's own
// descriptor. (Checked as an unprivileged user: root may open any folder.)
TEST_F(DiskFlushTest, AFolderThatCannotBeListedIsFlushedWithItsFileSystem) {
  fs::create_directories(dir_ / "dropbox");
  ::chmod(dir_.c_str(), 0755);
  ::chmod((dir_ / "dropbox").c_str(), 0333);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
    const std::string name = path("dropbox/out.txt");
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) ::_exit(4);
    if (flushDirectoryOf(name)) ::_exit(5);  // no descriptor to fall back on
    if (errno != EACCES) ::_exit(6);
    ::_exit(flushDirectoryOf(name, fd) ? 0 : 7);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace kov
