#include "reader/source_lookup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace kov {
namespace {

namespace fs = std::filesystem;

class SourceLookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("kov_sources_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "one" / "src");
    fs::create_directories(dir_ / "two" / "src");
    fs::create_directories(dir_ / "src");
    fs::current_path(dir_);
    write("src/here.c", "here");
    write("one/src/a.c", "one");
    write("two/src/a.c", "two");
    write("two/src/b.c", "b");
    fs::create_directory("two/src/dir.c");
    ::mkfifo("two/src/fifo.c", 0600);
    write("one/src/fifo.c", "not the fifo");
  }
  void TearDown() override {
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(dir_);
  }
  static void write(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
  }
  fs::path dir_;
};

TEST_F(SourceLookupTest, TheNameAsItStandsThenUnderEachDirectoryInOrder) {
  const SourceLookup lookup({"two", "one/"});
  struct Case {
    std::string name;
    std::string relative;
    SourceLookup::Result result;
    std::string text;
  } cases[] = {
      {"src/here.c", "src/here.c", SourceLookup::Result::Found, "here"},
      {(dir_ / "src/here.c").string(), "x", SourceLookup::Result::Found, "here"},
      {"C:\\build\\src\\a.c", "src/a.c", SourceLookup::Result::Found, "two"},
      {"src/b.c", "src/b.c", SourceLookup::Result::Found, "b"},
      {"src/dir.c", "src/dir.c", SourceLookup::Result::NotFound, ""},
      {"src/fifo.c", "src/fifo.c", SourceLookup::Result::Found, "not the fifo"},
      {"src/missing.c", "src/missing.c", SourceLookup::Result::NotFound, ""},
      {std::string("src/here.c\0x", 12), std::string("src/a.c\0x", 9),
       SourceLookup::Result::NotFound, ""},
      {"", "", SourceLookup::Result::NotFound, ""},
  };
  for (const Case& c : cases) {
    std::string text = "stale";
    EXPECT_EQ(lookup.read(c.name, c.relative, text), c.result) << c.name;
    EXPECT_EQ(text, c.text) << c.name;
  }
}

TEST_F(SourceLookupTest, ASourceTooLargeToShow) {
  {
    std::ofstream big("src/big.c", std::ios::binary);
  }
  fs::resize_file("src/big.c", SourceLookup::kMaxSize + 1);
  const SourceLookup lookup({});
  std::string text;
  EXPECT_EQ(lookup.read("src/big.c", "src/big.c", text), SourceLookup::Result::TooLarge);
  EXPECT_TRUE(text.empty());
}

}  // namespace
}  // namespace kov
