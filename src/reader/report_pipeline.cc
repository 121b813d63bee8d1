#include "reader/report_pipeline.h"

#include <exception>
#include <thread>

#include "base/bounded_queue.h"
#include "base/diagnostic.h"
#include "base/thread_clock.h"

namespace kov {
namespace {

// Batches in flight between the threads: enough to even out the pace of the
// two sides, few enough that memory does not depend on the reports' sizes.
constexpr std::size_t kQueuedBatches = 4;

// One step of the stream between the threads: records, or how reading ended.
struct Handoff {
  RecordBatch batch;
  std::exception_ptr failure;  // the reading failed here
  bool end = false;            // every report is read
};

// Raised on the reading thread once the merge has stopped taking batches.
struct MergeStopped {};

void parseInOrder(KOVParser& parser, std::optional<InputFile>& first,
                  const std::vector<std::string>& more) {
  if (first) parser.parse(std::move(*first));
  for (const std::string& fileName : more) parser.parse(fileName);
}

class QueueReceiver : public BatchReceiver {
 public:
  /// `waited`, where given, sums the seconds spent waiting for room.
  QueueReceiver(BoundedQueue<Handoff>& queue, BoundedQueue<RecordBatch>& spare, double* waited)
      : queue_(queue), spare_(spare), waited_(waited) {}

  void receive(RecordBatch& batch) override {
    Handoff handoff;
    handoff.batch = std::move(batch);
    const double start = waited_ != nullptr ? wallSeconds() : 0;
    if (!queue_.push(std::move(handoff))) throw MergeStopped{};
    if (waited_ != nullptr) *waited_ += wallSeconds() - start;
    spare_.tryPop(batch);  // a consumed batch's storage, where one is back
  }

 private:
  BoundedQueue<Handoff>& queue_;
  BoundedQueue<RecordBatch>& spare_;
  double* waited_;
};

}  // namespace

void ReportPipeline::DirectReceiver::receive(RecordBatch& batch) {
  builder_.consume(batch.bytes());
  batch.clear();
}

ReportPipeline::ReportPipeline(Coverage& coverage, bool noDriveLetter,
                               std::vector<std::string> chosenFiles,
                               std::vector<std::string> unchosenFiles)
    : builder_(coverage),
      direct_(builder_),
      writer_(direct_),
      parser_(writer_, noDriveLetter, chosenFiles, unchosenFiles),
      noDriveLetter_(noDriveLetter),
      chosenFiles_(std::move(chosenFiles)),
      unchosenFiles_(std::move(unchosenFiles)) {}

ReportPipeline::~ReportPipeline() = default;

void ReportPipeline::readAll(const std::vector<std::string>& fileNames, bool secondThread) {
  readTimed(std::nullopt, fileNames, secondThread);
}

void ReportPipeline::readAll(InputFile first, const std::vector<std::string>& more,
                             bool secondThread) {
  readTimed(std::move(first), more, secondThread);
}

void ReportPipeline::readTimed(std::optional<InputFile> first,
                               const std::vector<std::string>& more, bool secondThread) {
  times_ = PipelineTimes{};
  times_.secondThread = secondThread;
  const double start = measureTimes_ ? threadCpuSeconds() : 0;
  // The times are complete where reading fails too.
  struct MeasureAtEnd {
    ReportPipeline& pipeline;
    double start;
    ~MeasureAtEnd() {
      if (pipeline.measureTimes_) pipeline.times_.mergingCpu = threadCpuSeconds() - start;
    }
  } measureAtEnd{*this, start};
  if (secondThread) {
    readOnSecondThread(std::move(first), more);
  } else {
    readOnThisThread(std::move(first), more);
  }
}

void ReportPipeline::parse(const std::string& fileName) {
  readOnThisThread(std::nullopt, {fileName});
}

void ReportPipeline::readOnThisThread(std::optional<InputFile> first,
                                      const std::vector<std::string>& more) {
  try {
    parseInOrder(parser_, first, more);
    writer_.flush();
  } catch (const DiagnosticError&) {
    // What was read before the failing line is merged first, as a reader
    // that fed the model line by line would have: a failure of the merge
    // there comes first.
    writer_.flush();
    throw;
  }
}

void ReportPipeline::readOnSecondThread(std::optional<InputFile> first,
                                        const std::vector<std::string>& more) {
  BoundedQueue<Handoff> queue(kQueuedBatches);
  BoundedQueue<RecordBatch> spare(kQueuedBatches + 2);

  const bool measure = measureTimes_;
  double readingWait = 0;
  double readingCpu = 0;
  std::thread reading([&] {
    // Written before the thread ends and read after it is joined.
    struct MeasureAtEnd {
      bool measure;
      double& cpu;
      ~MeasureAtEnd() {
        if (measure) cpu = threadCpuSeconds();
      }
    } measureAtEnd{measure, readingCpu};
    QueueReceiver receiver(queue, spare, measure ? &readingWait : nullptr);
    RecordWriter writer(receiver);
    Handoff last;
    try {
      KOVParser parser(writer, noDriveLetter_, chosenFiles_, unchosenFiles_);
      parser.setOnePassScan(onePassScan_);
      try {
        parseInOrder(parser, first, more);
        last.end = true;
      } catch (const DiagnosticError&) {
        last.failure = std::current_exception();
      }
      writer.flush();
    } catch (const MergeStopped&) {
      return;
    } catch (...) {
      // Out of memory and the like: the records written so far may be cut
      // short, so the failure goes on its own.
      last = Handoff{};
      last.failure = std::current_exception();
    }
    queue.push(std::move(last));
  });

  // Stops the reading thread however the merge ends.
  struct JoinAtEnd {
    BoundedQueue<Handoff>& queue;
    std::thread& thread;
    PipelineTimes& times;
    const double& readingCpu;
    const double& readingWait;
    ~JoinAtEnd() {
      queue.close();
      thread.join();
      times.readingCpu = readingCpu;
      times.readingWait = readingWait;
    }
  } joinAtEnd{queue, reading, times_, readingCpu, readingWait};

  Handoff handoff;
  for (;;) {
    const double start = measure ? wallSeconds() : 0;
    if (!queue.pop(handoff)) break;
    if (measure) times_.mergingWait += wallSeconds() - start;
    if (!handoff.batch.empty()) {
      builder_.consume(handoff.batch.bytes());
      handoff.batch.clear();
      spare.tryPush(std::move(handoff.batch));
    }
    if (handoff.failure) std::rethrow_exception(handoff.failure);
    if (handoff.end) return;
  }
}

}  // namespace kov
