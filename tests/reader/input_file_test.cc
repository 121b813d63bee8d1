#include "reader/input_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "reader/line_reader.h"
#include "reader/reader_test_util.h"

namespace kov {
namespace {

using testing::diagnosticOf;
using testing::TempDir;

// A FIFO whose writer hands the text over a few bytes at a time, as a
// decompressor that is still writing would: a read may return less than it
// asked for.
class FifoWriter {
 public:
  FifoWriter(const std::string& name, std::string text, std::size_t piece = 7)
      : thread_([name, text = std::move(text), piece] {
          const int fd = ::open(name.c_str(), O_WRONLY | O_CLOEXEC);
          if (fd < 0) return;
          for (std::size_t at = 0; at < text.size(); at += piece) {
            const std::size_t n = std::min(piece, text.size() - at);
            if (::write(fd, text.data() + at, n) != static_cast<ssize_t>(n)) break;
          }
          ::close(fd);
        }) {}
  ~FifoWriter() { thread_.join(); }

 private:
  std::thread thread_;
};

std::vector<std::string> linesOf(LineReader& reader) {
  std::vector<std::string> lines;
  while (!reader.atEnd()) lines.emplace_back(reader.nextLine());
  return lines;
}

// What was read ahead and what the reader reads after it make the file, line
// for line, whatever the sizes and whether the file is a pipe.
TEST(InputFile, TheLinesGoOnWhereTheReadAheadEnds) {
  const std::string text =
      "<?xml version=\"1.0\"?>\n\n<a line longer than sixteen bytes, and longer still>\r\n"
      "<b>\n" +
      std::string(300, 'x') + "\nlast";
  const std::vector<std::string> expected = {"<?xml version=\"1.0\"?>",
                                             "",
                                             "<a line longer than sixteen bytes, and longer still>",
                                             "<b>",
                                             std::string(300, 'x'),
                                             "last"};
  TempDir dir;
  const std::string file = dir.write("r.xml", text);
  const std::string fifo = (dir.path() / "fifo.xml").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (bool throughPipe : {false, true}) {
    for (std::size_t ahead : {0, 1, 16, 40, 256, 1000}) {
      for (std::size_t blockSize :
           {std::size_t{16}, std::size_t{64}, LineReader::kDefaultBlockSize}) {
        std::optional<FifoWriter> writer;
        if (throughPipe) writer.emplace(fifo, text);
        InputFile input(throughPipe ? fifo : file);
        ASSERT_TRUE(input.isOpen());
        EXPECT_EQ(input.head(ahead), text.substr(0, ahead));
        LineReader reader(blockSize);
        reader.open(std::move(input));
        EXPECT_EQ(linesOf(reader), expected)
            << (throughPipe ? "pipe" : "file") << ", " << ahead << " ahead, block " << blockSize;
      }
    }
  }
}

TEST(InputFile, AnInputThatIsEmptyOrCannotBeReadIsReportedByItsReader) {
  TempDir dir;
  const std::string empty = dir.write("empty.xml", "");
  const std::string folder = (dir.path() / "folder.xml").string();
  std::filesystem::create_directory(folder);
  const std::string missing = (dir.path() / "missing.xml").string();
  const std::string fifo = (dir.path() / "fifo.xml").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string emptyError = "*** kovxmlmerge error 13 (2/155): Input is an empty file: ";
  const std::string notRead = "*** kovxmlmerge error 12 (2/1218): Input is not KOV++ XML report: ";
  const struct {
    std::string name;
    std::string diagnostic;
  } cases[] = {
      {empty, emptyError + empty},
      {fifo, emptyError + fifo},  // its writer writes nothing
      {folder, notRead + folder},
      {missing, notRead + missing},
  };
  for (const auto& c : cases) {
    for (bool readAhead : {false, true}) {
      std::optional<FifoWriter> writer;
      if (c.name == fifo) writer.emplace(fifo, "");
      InputFile input(c.name);
      if (readAhead) {
        EXPECT_EQ(input.head(256), "");
      }
      LineReader reader;
      EXPECT_EQ(diagnosticOf([&] { reader.open(std::move(input)); }), c.diagnostic)
          << c.name << (readAhead ? " after reading ahead" : "");
    }
  }
}

}  // namespace
}  // namespace kov
