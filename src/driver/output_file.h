// One output of the run (-p, -x, an export, the merge state). A failed run
// never leaves a truncated or half-written file behind: a regular file is
// written beside its target, flushed to the disk and renamed over it only when
// complete, and the rename is flushed too, so that a crash after a successful
// run cannot take the new output back or leave a part of it.
#pragma once

#include <memory>
#include <string>

#include "base/text_sink.h"

namespace kov {

class OutputFile {
 public:
  /// Opens the output named on the command line: "-" is standard output;
  /// a missing or regular file gets a temporary file in its directory;
  /// anything else (a link, a device, a FIFO) is opened and written directly.
  /// Raises error 24 when it cannot be opened.
  explicit OutputFile(std::string name);
  /// Whether an output of that name would be written to a temporary file
  /// and renamed (a missing or regular file), rather than written directly.
  static bool writesThroughTemporary(const std::string& name);

  /// Removes the temporary file of an output that was not committed.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  /// Where the writer writes.
  TextSink& sink() { return *sink_; }
  /// Completes the output: hands on what is buffered; for a temporary file
  /// also flushes it to the disk, renames it over the target and flushes the
  /// target's directory. Raises error 24 on failure (the temporary file is
  /// removed where the target was not replaced yet).
  void commit();

 private:
  [[noreturn]] void fail();
  void closeFd();

  std::string name_;
  std::string tempName_;  // empty unless writing beside a regular file
  int fd_ = -1;
  bool ownsFd_ = false;
  std::unique_ptr<FdSink> sink_;
};

}  // namespace kov
