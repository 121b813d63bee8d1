// Reads one report file as raw lines, in large blocks, without ever holding
// more of the file than one block (plus the one line that is longer).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "reader/input_file.h"

namespace kov {

class LineReader {
 public:
  static constexpr std::size_t kDefaultBlockSize = std::size_t{1} << 20;
  /// Readable bytes after the buffered ones, for a scanner that reads ahead
  /// in words; their values are of no meaning.
  static constexpr std::size_t kPadding = 64;

  /// `blockSize` is the size of the one read buffer (at least 16 bytes);
  /// `maxLineBytes` the longest line accepted (0: 256 MiB), a longer one
  /// raises error 23.
  explicit LineReader(std::size_t blockSize = kDefaultBlockSize, std::size_t maxLineBytes = 0);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  /// Opens a report and reads its first block. Raises error 13 for a file
  /// that holds no byte and error 12 for one that cannot be opened or read.
  void open(const std::string& fileName) { open(InputFile(fileName)); }
  /// The same for an input opened already: its lines begin with the bytes
  /// read ahead from it, and go on where those end.
  void open(InputFile input);
  /// Closes the file (if open) and empties the file name.
  void close();
  /// The name of the open report as given; empty between reports.
  const std::string& fileName() const { return fileName_; }

  /// The next line without its line feed and without a carriage return right
  /// before that; at the end of the file what stands after the last line feed
  /// (empty once that is read). The view lasts until the next call. Raises
  /// error 12 where the file fails while being read.
  std::string_view nextLine();

  /// Whether every byte of the file has been read as lines.
  bool atEnd();

  /// The bytes read ahead of the next line, as far as the buffer holds them,
  /// followed by kPadding readable bytes; valid until the next call that
  /// reads or consumes.
  std::string_view buffered() const { return {buffer_.get() + begin_, unread()}; }
  /// Consumes the first `bytes` of buffered(), which the caller has read as
  /// whole lines, line feeds included.
  void consume(std::size_t bytes) { begin_ += bytes; }

  /// Consumes the next line the way fgets with a 10-byte buffer would: up to
  /// and including its line feed, but never more than 9 bytes; the rest of a
  /// longer line is read by the next nextLine.
  void skipSeparator();

 private:
  /// Moves the unread bytes to the front and reads more behind them.
  void fill();
  std::size_t unread() const { return end_ - begin_; }

  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_;
  std::size_t maxLineBytes_;
  std::size_t begin_ = 0;  // first unread byte
  std::size_t end_ = 0;    // one past the last byte read
  bool atEnd_ = false;     // the file has no more bytes
  int fd_ = -1;
  std::string readAhead_;          // bytes read before the file was opened here
  std::size_t readAheadUsed_ = 0;  // how many of them are in the buffer already
  bool inputEnded_ = false;        // the reading ahead reached the end
  bool inputFailed_ = false;       // ... or a failure
  std::string fileName_;
  std::string longLine_;  // a line that does not fit in the buffer, assembled
};

}  // namespace kov
