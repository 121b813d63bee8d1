// An input opened once. What is read from its start to recognise what it is
// (a report or a merge state) stays here and goes on, with the open
// descriptor, to the reader that takes the input over, so that nothing is
// read twice: an input may be a pipe (a FIFO fed by a decompressor, a link to
// /dev/stdin), whose bytes can be read only once.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kov {

class InputFile {
 public:
  /// Opens `fileName` for reading. Never raises: an input that cannot be
  /// opened or read is reported by the reader that takes it over.
  explicit InputFile(std::string fileName);
  /// Closes the descriptor unless a reader took it.
  ~InputFile();
  InputFile(InputFile&& other) noexcept;
  InputFile& operator=(InputFile&& other) noexcept;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  /// The name as given.
  const std::string& fileName() const { return fileName_; }
  /// Whether the file could be opened.
  bool isOpen() const { return fd_ >= 0; }

  /// The first `bytes` bytes of the file, fewer where it ends or a read
  /// fails before; reads (and waits for a pipe) only as far as needed.
  std::string_view head(std::size_t bytes);

  // For the reader that takes the input over.
  /// The bytes read so far, from the start of the file.
  std::string& readAhead() { return readAhead_; }
  /// Whether the end of the file was reached while reading ahead.
  bool ended() const { return ended_; }
  /// Whether a read failed (a directory fails so).
  bool failed() const { return failed_; }
  /// Hands over the open descriptor (-1 where not open); the caller closes it.
  int releaseDescriptor();

 private:
  void close();

  std::string fileName_;
  int fd_ = -1;
  std::string readAhead_;
  bool ended_ = false;
  bool failed_ = false;
};

}  // namespace kov
