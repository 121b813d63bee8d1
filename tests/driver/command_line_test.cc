#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/diagnostic.h"

namespace kov {
namespace {

namespace fs = std::filesystem;

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("kov_cmdline_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    fs::current_path(dir_);
    write("a.xml", "<x/>");
    write("B.XML", "<x/>");
  }
  void TearDown() override {
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(dir_);
  }
  static void write(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
  }
  static std::string errorOf(const std::vector<std::string>& args) {
    std::ostringstream usage;
    try {
      parseCommandLine(args, usage);
    } catch (const DiagnosticError& e) {
      return e.what();
    }
    return "";
  }
  fs::path dir_;
};

TEST_F(CommandLineTest, FillsTheRunOptions) {
  std::ostringstream usage;
  auto options = parseCommandLine(
      {"a.xml", "-p", "-x", "-f", "a;b", "B.XML", "-f", "c", "-nf", ";d;", "-ndl", "a.xml"}, usage);
  ASSERT_TRUE(options);
  EXPECT_EQ(options->inputFiles, (std::vector<std::string>{"a.xml", "B.XML", "a.xml"}));
  EXPECT_EQ(options->profileFileName, "-x");  // whatever follows -p is its name
  EXPECT_EQ(options->xmlFileName, "");
  EXPECT_EQ(options->chosenFiles, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(options->unchosenFiles, (std::vector<std::string>{"", "d"}));
  EXPECT_TRUE(options->noDriveLetter);
  EXPECT_TRUE(usage.str().empty());
}

TEST_F(CommandLineTest, LastOutputNameWins) {
  std::ostringstream usage;
  auto options = parseCommandLine({"a.xml", "-p", "one", "-p", "two", "-x", "-"}, usage);
  ASSERT_TRUE(options);
  EXPECT_EQ(options->profileFileName, "two");
  EXPECT_EQ(options->xmlFileName, "-");
}

TEST_F(CommandLineTest, EmptyNameAfterOptionCountsAsNotGiven) {
  EXPECT_EQ(errorOf({"a.xml", "-p", ""}), "*** kovxmlmerge error 21 (1/365): Output option missing.");
}

TEST_F(CommandLineTest, ExportOptionsTakeTheNextArgumentAndTheLastWins) {
  std::ostringstream usage;
  auto options = parseCommandLine({"a.xml", "-cobertura", "one.xml", "-lcov", "-p", "-root", "x",
                                   "-cobertura", "-", "-min-ter", "50", "-root", "C:\\src\\",
                                   "-min-ter", "87.5"},
                                  usage);
  ASSERT_TRUE(options);
  EXPECT_EQ(options->coberturaFileName, "-");
  EXPECT_EQ(options->lcovFileName, "-p");
  EXPECT_EQ(options->profileFileName, "");
  EXPECT_EQ(options->exportRoot, "C:\\src\\");
  ASSERT_TRUE(options->minimumTer);
  EXPECT_EQ(options->minimumTer->text, "87.5");
}

TEST_F(CommandLineTest, AnyOfTheFourOutputsIsEnough) {
  const std::string missing = "*** kovxmlmerge error 21 (1/365): Output option missing.";
  EXPECT_EQ(errorOf({"a.xml", "-cobertura", "c.xml"}), "");
  EXPECT_EQ(errorOf({"a.xml", "-lcov", "c.info"}), "");
  EXPECT_EQ(errorOf({"a.xml", "-root", "src", "-min-ter", "10"}), missing);
  EXPECT_EQ(errorOf({"a.xml", "-cobertura", "", "-lcov", ""}), missing);
}

TEST_F(CommandLineTest, ExportOptionErrors) {
  struct Case {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{"a.xml", "-cobertura"}, "*** kovxmlmerge error 25 (1/252): Option -cobertura requires argument."},
      {{"a.xml", "-lcov"}, "*** kovxmlmerge error 26 (1/258): Option -lcov requires argument."},
      {{"a.xml", "-root"}, "*** kovxmlmerge error 27 (1/264): Option -root requires argument."},
      {{"a.xml", "-min-ter"}, "*** kovxmlmerge error 28 (1/270): Option -min-ter requires argument."},
      {{"a.xml", "-min-ter", "-1", "-p", "x"},
       "*** kovxmlmerge error 29 (1/273): Option -min-ter requires a decimal number from 0 to 100: -1"},
      // raised where it stands: before a later unknown option
      {{"-min-ter", "", "-q"},
       "*** kovxmlmerge error 29 (1/273): Option -min-ter requires a decimal number from 0 to 100: "},
  };
  for (const Case& c : cases) EXPECT_EQ(errorOf(c.args), c.error) << c.args.back();
}

// Opening a FIFO waits for a writer, and closing it unread can cost that
// writer its data or its life: the check only asks whether it may be read.
// (In a child with an alarm, so that a check that opens it fails the test
// instead of hanging it.)
TEST_F(CommandLineTest, AFifoInputIsCheckedWithoutOpeningIt) {
  ASSERT_EQ(::mkfifo("pipe.xml", 0644), 0);
  ASSERT_EQ(::mkfifo("unreadable.xml", 0600), 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::alarm(10);
    // As a user other than the FIFOs' owner (root may read any file).
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
    if (!errorOf({"pipe.xml", "-x", "s.xml"}).empty()) ::_exit(4);
    ::_exit(errorOf({"unreadable.xml", "-x", "s.xml"}) ==
                    "*** kovxmlmerge error 9 (1/351): Input XML file does not exist: unreadable.xml"
                ? 0
                : 5);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "the check waited for the FIFO's writer";
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(errorOf({"missing.xml", "-x", "s.xml"}),
            "*** kovxmlmerge error 9 (1/351): Input XML file does not exist: missing.xml");
}

TEST_F(CommandLineTest, ReportOptionsTakeTheNextArgumentAndTheLastWins) {
  std::ostringstream usage;
  auto options = parseCommandLine({"a.xml", "-json", "one.json", "-sonar", "-md", "-md", "-",
                                   "-min-statement", "90", "-json", "-", "-min-statement", "87.5"},
                                  usage);
  ASSERT_TRUE(options);
  EXPECT_EQ(options->jsonFileName, "-");
  EXPECT_EQ(options->sonarFileName, "-md");  // whatever follows is the name
  EXPECT_EQ(options->markdownFileName, "-");
  ASSERT_TRUE(options->minimumStatementTer);
  EXPECT_EQ(options->minimumStatementTer->text, "87.5");
  EXPECT_FALSE(options->minimumTer);
}

TEST_F(CommandLineTest, EachReportOutputIsEnoughAndAnEmptyNameIsNone) {
  const std::string missing = "*** kovxmlmerge error 21 (1/365): Output option missing.";
  EXPECT_EQ(errorOf({"a.xml", "-json", "c.json"}), "");
  EXPECT_EQ(errorOf({"a.xml", "-sonar", "s.xml"}), "");
  EXPECT_EQ(errorOf({"a.xml", "-md", "s.md"}), "");
  EXPECT_EQ(errorOf({"a.xml", "-min-statement", "10", "-min-ter", "10"}), missing);
  EXPECT_EQ(errorOf({"a.xml", "-json", "c.json", "-json", "", "-sonar", "", "-md", ""}), missing);
}

TEST_F(CommandLineTest, ReportOptionErrors) {
  struct Case {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{"a.xml", "-json"}, "*** kovxmlmerge error 40 (1/288): Option -json requires argument."},
      {{"a.xml", "-sonar"}, "*** kovxmlmerge error 41 (1/290): Option -sonar requires argument."},
      {{"a.xml", "-md"}, "*** kovxmlmerge error 42 (1/292): Option -md requires argument."},
      {{"a.xml", "-min-statement"},
       "*** kovxmlmerge error 43 (1/294): Option -min-statement requires argument."},
      {{"a.xml", "-min-statement", "101", "-p", "x"},
       "*** kovxmlmerge error 44 (1/296): Option -min-statement requires a decimal number from 0 "
       "to 100: 101"},
      // raised where it stands: before a later error
      {{"-min-statement", "-5", "-json"},
       "*** kovxmlmerge error 44 (1/296): Option -min-statement requires a decimal number from 0 "
       "to 100: -5"},
      {{"-json", "-min-statement"}, "*** kovxmlmerge error 10 (1/359): No input XML file."},
  };
  for (const Case& c : cases) EXPECT_EQ(errorOf(c.args), c.error) << c.args.back();
}

TEST_F(CommandLineTest, UsageEndsTheScan) {
  std::ostringstream usage;
  EXPECT_FALSE(parseCommandLine({}, usage));
  EXPECT_EQ(usage.str().substr(0, 36), "\nThis KOV++ utility kovxmlmerge (v3.");
  std::ostringstream usage2;
  EXPECT_FALSE(parseCommandLine({"a.xml", "-h", "-unknown"}, usage2));
  EXPECT_EQ(usage2.str(), usage.str());
}

TEST(SplitFileListTest, SplitsAtSemicolons) {
  struct Case {
    std::string argument;
    std::vector<std::string> names;
  } cases[] = {
      {"a;b", {"a", "b"}}, {"a;", {"a"}},          {";a", {"", "a"}},
      {"a;;b", {"a", "", "b"}}, {"", {}},          {"A.C; b", {"A.C", " b"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> names;
    splitFileList(c.argument, names);
    EXPECT_EQ(names, c.names) << c.argument;
  }
}

TEST_F(CommandLineTest, OptionsFileTokens) {
  struct Case {
    std::string contents;
    std::vector<std::string> tokens;
  } cases[] = {
      {"a.xml\n-p out.txt\n", {"a.xml", "-p", "out.txt"}},
      {"a\"b c\"d", {"ab cd"}},
      {"\"\" x \"\"", {"x"}},
      {"\"a\tb\" c", {"a", "b", "c"}},  // a tab ends a token even when quoting
      {"\"one\ntwo three\"", {"one", "two three"}},  // quoting survives the line end
      {"a.xml\r\n-p\r\nout\f.txt", {"a.xml", "-p", "out\f.txt"}},
      {"@more #x", {"@more", "#x"}},
      {"", {}},
  };
  for (const Case& c : cases) {
    write("opts", c.contents);
    EXPECT_EQ(readOptionsFile("opts"), c.tokens) << c.contents;
  }
}

}  // namespace
}  // namespace kov
