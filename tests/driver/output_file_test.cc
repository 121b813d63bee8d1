#include "driver/output_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/diagnostic.h"

namespace kov {
namespace {

namespace fs = std::filesystem;

class OutputFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("kov_output_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  static std::string read(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static void write(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
  }
  std::size_t entries() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
  }
  static std::string errorOf(const std::string& name) {
    try {
      OutputFile output(name);
      output.sink() << "text";
      output.commit();
    } catch (const DiagnosticError& e) {
      return e.what();
    }
    return "";
  }

  fs::path dir_;
};

TEST_F(OutputFileTest, ReplacesARegularFileOnlyWhenComplete) {
  const std::string target = path("out.txt");
  write(target, "old");
  ::chmod(target.c_str(), 0640);
  {
    OutputFile output(target);
    output.sink() << "new listing";
    output.sink().endLine();
    output.sink().flush();
    EXPECT_EQ(read(target), "old");  // nothing replaced before the commit
    output.commit();
  }
  EXPECT_EQ(read(target), "new listing\n");
  struct stat info;
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(entries(), 1u);
}

TEST_F(OutputFileTest, AnAbandonedOutputLeavesNothingBehind) {
  const std::string target = path("out.txt");
  write(target, "old");
  {
    OutputFile output(target);
    output.sink() << "half a listing";
    output.sink().flush();
  }  // an error passed: no commit
  EXPECT_EQ(read(target), "old");
  EXPECT_EQ(entries(), 1u);
}

TEST_F(OutputFileTest, UnwritableTargetsAreError24) {
  EXPECT_EQ(errorOf(path("nodir/out.txt")),
            "*** kovxmlmerge error 24 (1/440): Output file can not be written: " + path("nodir/out.txt"));
  fs::create_directories(dir_ / "sub");
  EXPECT_EQ(errorOf(path("sub")),
            "*** kovxmlmerge error 24 (1/440): Output file can not be written: " + path("sub"));
}

TEST_F(OutputFileTest, ReadOnlyFileIsNotReplaced) {
  const std::string target = path("ro.txt");
  write(target, "old");
  ::chmod(target.c_str(), 0444);
  ::chmod(dir_.c_str(), 0777);  // the directory itself stays writable
  // Root may write any file; the check is made as an unprivileged user.
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
    ::_exit(errorOf(target).empty() ? 1 : 0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "a read-only file was replaced";
  EXPECT_EQ(read(target), "old");
  EXPECT_EQ(entries(), 1u);
}

TEST_F(OutputFileTest, LinksAndDevicesAreWrittenThrough) {
  const std::string target = path("target.txt");
  const std::string link = path("link.txt");
  write(target, "old contents that are longer");
  fs::create_symlink(target, link);
  EXPECT_EQ(errorOf(link), "");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(read(target), "text");
  EXPECT_EQ(errorOf("/dev/null"), "");
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

}  // namespace
}  // namespace kov
