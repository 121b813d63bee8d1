// Reading the reports of a run into the merged coverage set, on one thread
// or with the reading and scanning on a second thread while the model merges
// what was read before. Both give the same merged set and, for a failing
// input, the same diagnostic: the first failure in command-line order.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/coverage_builder.h"
#include "model/record_stream.h"
#include "reader/input_file.h"
#include "reader/kov_parser.h"

namespace kov {

class Coverage;

/// Where the time of reading went, for tuning the balance of the two
/// threads: CPU seconds of each side, and the seconds each waited for the
/// other (the reading thread for room in the queue, this thread for records).
struct PipelineTimes {
  bool secondThread = false;
  double readingCpu = 0;   // the reading thread (0 on one thread)
  double readingWait = 0;
  double mergingCpu = 0;   // this thread while the reports were read
  double mergingWait = 0;
};

class ReportPipeline {
 public:
  /// The flag and names are those of -ndl, -f and -nf.
  ReportPipeline(Coverage& coverage, bool noDriveLetter, std::vector<std::string> chosenFiles,
                 std::vector<std::string> unchosenFiles);
  ~ReportPipeline();

  /// Reads the reports in order; with `secondThread` the reading runs on a
  /// thread of its own, ahead of the merge by a bounded number of records.
  void readAll(const std::vector<std::string>& fileNames, bool secondThread);
  /// The same where the first report is opened already.
  void readAll(InputFile first, const std::vector<std::string>& more, bool secondThread);
  /// Reads one report on this thread.
  void parse(const std::string& fileName);
  /// Whether readAll measures its times (it costs a few clock reads a batch).
  void measureTimes(bool enabled) { measureTimes_ = enabled; }
  /// The times of the last readAll, where measured.
  const PipelineTimes& times() const { return times_; }
  /// See KOVParser::setOnePassScan.
  void setOnePassScan(bool enabled) {
    onePassScan_ = enabled;
    parser_.setOnePassScan(enabled);
  }

 private:
  // Hands every batch to the model at once.
  class DirectReceiver : public BatchReceiver {
   public:
    explicit DirectReceiver(CoverageBuilder& builder) : builder_(builder) {}
    void receive(RecordBatch& batch) override;

   private:
    CoverageBuilder& builder_;
  };

  // The reports in order: `first` (where there is one), then `more`; the
  // times measured where asked for.
  void readTimed(std::optional<InputFile> first, const std::vector<std::string>& more,
                 bool secondThread);
  void readOnThisThread(std::optional<InputFile> first, const std::vector<std::string>& more);
  void readOnSecondThread(std::optional<InputFile> first, const std::vector<std::string>& more);

  CoverageBuilder builder_;
  DirectReceiver direct_;
  RecordWriter writer_;
  KOVParser parser_;
  bool noDriveLetter_;
  std::vector<std::string> chosenFiles_;
  std::vector<std::string> unchosenFiles_;
  bool onePassScan_ = true;
  bool measureTimes_ = false;
  PipelineTimes times_;
};

}  // namespace kov
