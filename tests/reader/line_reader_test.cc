#include "reader/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reader/reader_test_util.h"

namespace kov {
namespace {

using testing::diagnosticOf;
using testing::TempDir;

// Small blocks make lines cross the end of the buffer and outgrow it.
const std::size_t kBlockSizes[] = {16, 17, 64, LineReader::kDefaultBlockSize};

std::vector<std::string> allLines(LineReader& reader, std::size_t count) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < count; ++i) lines.emplace_back(reader.nextLine());
  return lines;
}

TEST(LineReader, SplitsAtLineFeedsWhateverTheBlockSize) {
  TempDir dir;
  const std::string file = dir.write(
      "r.xml", "<a>\r\n  <bb>\n\n<a line that is longer than sixteen bytes>\r\nmid\rdle\nlast\r");
  const std::vector<std::string> expected = {
      "<a>",    "  <bb>", "", "<a line that is longer than sixteen bytes>", "mid\rdle",
      "last\r",  // no line feed follows: the carriage return stays
      "",        // beyond the end every line is empty
      ""};
  for (std::size_t blockSize : kBlockSizes) {
    LineReader reader(blockSize);
    reader.open(file);
    EXPECT_EQ(allLines(reader, expected.size()), expected) << "block size " << blockSize;
  }
}

TEST(LineReader, ReadsAHundredThousandByteLineWhole) {
  TempDir dir;
  const std::string longLine = "<notice>" + std::string(100000 - 17, 'n') + "</notice>";
  ASSERT_EQ(longLine.size(), 100000u);
  const std::string file = dir.write("r.xml", "<x>\n" + longLine + "\r\n<y>\n");
  for (std::size_t blockSize : {std::size_t{4096}, LineReader::kDefaultBlockSize}) {
    LineReader reader(blockSize);
    reader.open(file);
    EXPECT_EQ(allLines(reader, 3), (std::vector<std::string>{"<x>", longLine, "<y>"}));
  }
}

TEST(LineReader, ALineLongerThanTheLimitIsErrorTwentyThree) {
  TempDir dir;
  const std::string atLimit(100, 'a');
  const std::string file = dir.write("r.xml", atLimit + "\n" + atLimit + "b\nnext\n");
  const std::string unended = dir.write("u.xml", atLimit + "b");
  for (std::size_t blockSize : {std::size_t{16}, std::size_t{64}}) {
    LineReader reader(blockSize, 100);
    reader.open(file);
    EXPECT_EQ(reader.nextLine(), atLimit);
    EXPECT_EQ(diagnosticOf([&] { reader.nextLine(); }),
              "*** kovxmlmerge error 23 (2/1262): Input line too long.");
    reader.open(unended);
    EXPECT_EQ(diagnosticOf([&] { reader.nextLine(); }),
              "*** kovxmlmerge error 23 (2/1262): Input line too long.");
  }
}

TEST(LineReader, SkipsASeparatorLikeFgetsWithTenBytes) {
  const struct {
    std::string separator;
    std::string nextLine;
  } cases[] = {
      {"", "NEXT"},
      {"12345678", "NEXT"},   // 8 bytes and the line feed: consumed whole
      {"1234567\r", "NEXT"},  // a carriage return counts as a byte
      {"123456789", ""},      // only the line feed is left
      {"12345678\r", ""},     // the carriage return is left, then dropped before the feed
      {"123456789<kov_xml_report>", "<kov_xml_report>"},
  };
  TempDir dir;
  for (std::size_t blockSize : kBlockSizes) {
    for (const auto& c : cases) {
      // The first line moves the separator across the end of a small block.
      const std::string file = dir.write("s.xml", "<first line>\n" + c.separator + "\nNEXT\n");
      LineReader reader(blockSize);
      reader.open(file);
      EXPECT_EQ(reader.nextLine(), "<first line>");
      reader.skipSeparator();
      EXPECT_EQ(reader.nextLine(), c.nextLine) << c.separator << " block " << blockSize;
    }
  }
}

TEST(LineReader, SkipsNothingAtTheEnd) {
  TempDir dir;
  LineReader reader;
  reader.open(dir.write("e.xml", "<only>"));
  EXPECT_EQ(reader.nextLine(), "<only>");
  reader.skipSeparator();
  EXPECT_EQ(reader.nextLine(), "");
}

TEST(LineReader, TellsAnEmptyFileFromOneThatCannotBeRead) {
  TempDir dir;
  const std::string empty = dir.write("empty.xml", "");
  const std::string folder = (dir.path() / "folder.xml").string();
  std::filesystem::create_directory(folder);
  const std::string missing = (dir.path() / "missing.xml").string();
  LineReader reader;
  EXPECT_EQ(diagnosticOf([&] { reader.open(empty); }),
            "*** kovxmlmerge error 13 (2/155): Input is an empty file: " + empty);
  EXPECT_EQ(diagnosticOf([&] { reader.open(folder); }),
            "*** kovxmlmerge error 12 (2/1218): Input is not KOV++ XML report: " + folder);
  EXPECT_EQ(diagnosticOf([&] { reader.open(missing); }),
            "*** kovxmlmerge error 12 (2/1218): Input is not KOV++ XML report: " + missing);
  // A file of one byte is not empty, and is read from its first byte.
  reader.open(dir.write("one.xml", "<"));
  EXPECT_EQ(reader.nextLine(), "<");
  reader.close();
  EXPECT_EQ(reader.fileName(), "");
}

}  // namespace
}  // namespace kov
