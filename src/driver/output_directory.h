// The directory of the HTML report. A report is never half written and never
// takes the place of anything but an earlier report or an empty directory:
// it is written into a new directory beside the one named, flushed to disk,
// and only then put in its place, in one step where the system can swap two
// directories. A run that fails leaves what was there as it was and no new
// directory behind.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

#include "base/disk_flush.h"
#include "base/text_sink.h"
#include "writers/html/report_output.h"

namespace kov {

class OutputDirectory : public html::ReportOutput {
 public:
  /// Judges the directory `name` (error 39 unless it is absent, empty or an
  /// earlier report) and creates the new directory beside it (error 24).
  explicit OutputDirectory(std::string name);
  /// Removes the new directory where the report was not committed.
  ~OutputDirectory() override;
  OutputDirectory(const OutputDirectory&) = delete;
  OutputDirectory& operator=(const OutputDirectory&) = delete;

  TextSink& beginFile(std::string_view name) override;
  void endFile() override;

  /// Flushes the new report to disk and puts it in the place of the one
  /// named; an earlier report there is removed. Raises error 24.
  void commit();

  /// Whether `path` is a directory that a report may take the place of: an
  /// empty one or an earlier report.
  static bool isReplaceable(const std::string& path);

 private:
  [[noreturn]] void fail();
  void closeFile();
  void putInPlace();

  std::string name_;       // as given, for the messages
  std::string target_;     // the directory the report goes to
  std::string temporary_;  // the new directory beside it; empty once gone
  bool targetExists_ = false;
  mode_t mode_ = 0755;
  int directoryFd_ = -1;
  int fileFd_ = -1;
  std::unique_ptr<FdSink> sink_;
  std::optional<TreeFlush> flush_;  // of the new directory, before it takes the place
};

}  // namespace kov
