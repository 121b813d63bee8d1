// The directory rule of the HTML report: what may be replaced, and that a
// report takes the place of the old one only when it is complete.
#include "driver/output_directory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "base/diagnostic.h"
#include "writers/html/html_report.h"

namespace kov {
namespace {

namespace fs = std::filesystem;

class OutputDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("kov_outdir_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(dir_);
  }
  static void write(const fs::path& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
  }
  static std::string read(const fs::path& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // The names in a directory, sorted; "." lists the scratch folder.
  static std::vector<std::string> entries(const fs::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  // Writes a small report into `name`: its marker and one page.
  static void writeReport(const std::string& name, const std::string& page) {
    OutputDirectory output(name);
    output.beginFile(html::kMarkerFileName) << html::kMarkerText;
    output.endFile();
    output.beginFile("index.html") << page;
    output.endFile();
    output.commit();
  }
  static std::string errorOf(const std::string& name) {
    try {
      OutputDirectory output(name);
    } catch (const DiagnosticError& e) {
      return e.what();
    }
    return "";
  }
  fs::path dir_;
};

TEST_F(OutputDirectoryTest, WhatMayBeReplaced) {
  fs::create_directory("empty");
  fs::create_directory("report");
  write("report/.kovxmlmerge-report", std::string(html::kMarkerText));
  write("report/old.html", "old");
  fs::create_directory("foreign");
  write("foreign/notes.txt", "mine");
  fs::create_directory("fake");
  write("fake/.kovxmlmerge-report", "something else");
  fs::create_directory("hidden");
  write("hidden/.profile", "");
  fs::create_directory("marker-dir");
  fs::create_directory("marker-dir/.kovxmlmerge-report");
  write("file", "a file");
  const std::string refused = "*** kovxmlmerge error 39 (1/444): HTML report directory is "
                              "neither empty nor an earlier report: ";
  struct Case {
    std::string name;
    std::string error;
  } cases[] = {
      {"absent", ""},
      {"empty", ""},
      {"empty/", ""},
      {"report", ""},
      {"foreign", refused + "foreign"},
      {"fake", refused + "fake"},
      {"hidden", refused + "hidden"},
      {"marker-dir", refused + "marker-dir"},
      {"file", refused + "file"},
      {"file/", refused + "file/"},
      {"missing/report", "*** kovxmlmerge error 24 (1/440): Output file can not be written: missing/report"},
  };
  for (const Case& c : cases) EXPECT_EQ(errorOf(c.name), c.error) << c.name;
  // Nothing was touched, and no new directory is left behind.
  EXPECT_EQ(entries("."), (std::vector<std::string>{"empty", "fake", "file", "foreign", "hidden",
                                                    "marker-dir", "report"}));
  EXPECT_EQ(read("foreign/notes.txt"), "mine");
  EXPECT_EQ(entries("report"), (std::vector<std::string>{".kovxmlmerge-report", "old.html"}));
}

TEST_F(OutputDirectoryTest, ANewReportTakesTheOldOnesPlaceWhole) {
  writeReport("report", "first");
  writeReport("report/", "second");
  EXPECT_EQ(entries("report"), (std::vector<std::string>{".kovxmlmerge-report", "index.html"}));
  EXPECT_EQ(read("report/index.html"), "second");
  EXPECT_EQ(entries("."), (std::vector<std::string>{"report"}));
}

TEST_F(OutputDirectoryTest, AReportNotCommittedLeavesTheOldOneAsItWas) {
  writeReport("report", "first");
  {
    OutputDirectory output("report");
    output.beginFile("index.html") << "half";
    output.endFile();
    output.beginFile("f1.html") << "never completed";
  }
  EXPECT_EQ(entries("."), (std::vector<std::string>{"report"}));
  EXPECT_EQ(read("report/index.html"), "first");
}

TEST_F(OutputDirectoryTest, KeepsThePermissionsOfTheDirectoryItReplaces) {
  fs::create_directory("report");
  ::chmod("report", 0750);
  writeReport("report", "page");
  struct stat info;
  ASSERT_EQ(::stat("report", &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0750u);
  // A new one gets what a plain new directory gets, not mkdtemp's 0700.
  const mode_t mask = ::umask(022);
  writeReport("fresh", "page");
  ::umask(mask);
  ASSERT_EQ(::stat("fresh", &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0755u);
}

TEST_F(OutputDirectoryTest, ALinkToADirectoryStaysAndTheReportGoesWhereItPoints) {
  fs::create_directory("real");
  fs::create_directory_symlink("real", "link");
  writeReport("link", "page");
  EXPECT_TRUE(fs::is_symlink("link"));
  EXPECT_EQ(read("real/index.html"), "page");
  fs::create_directory_symlink("nowhere", "dangling");
  EXPECT_EQ(errorOf("dangling"), "*** kovxmlmerge error 39 (1/444): HTML report directory is "
                                 "neither empty nor an earlier report: dangling");
}

TEST_F(OutputDirectoryTest, FileNamesArePlainNames) {
  OutputDirectory output("report");
  for (const char* name : {"../escape.html", "/abs.html", "a/b.html", "..", ".", ""}) {
    EXPECT_THROW(output.beginFile(name), DiagnosticError) << name;
  }
}

}  // namespace
}  // namespace kov
