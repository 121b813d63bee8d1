#include "reader/report_pipeline.h"

#include <exception>
#include <thread>

#include "base/bounded_queue.h"
#include "base/diagnostic.h"

namespace kov {
namespace {

// Batches in flight between the threads: enough to even out the pace of the
// two sides, few enough that memory does not depend on the reports' sizes.
constexpr std::size_t kQueuedBatches = 4;

// One step of the stream between the threads: records, or how reading ended.
struct Handoff {
  std::string batch;
  std::exception_ptr failure;  // the reading failed here
  bool end = false;            // every report is read
};

// Raised on the reading thread once the merge has stopped taking batches.
struct MergeStopped {};

class QueueReceiver : public BatchReceiver {
 public:
  QueueReceiver(BoundedQueue<Handoff>& queue, BoundedQueue<std::string>& spare)
      : queue_(queue), spare_(spare) {}

  void receive(std::string& batch) override {
    Handoff handoff;
    handoff.batch.swap(batch);
    if (!queue_.push(std::move(handoff))) throw MergeStopped{};
    spare_.tryPop(batch);  // a consumed batch's storage, where one is back
  }

 private:
  BoundedQueue<Handoff>& queue_;
  BoundedQueue<std::string>& spare_;
};

}  // namespace

void ReportPipeline::DirectReceiver::receive(std::string& batch) {
  builder_.consume(batch);
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
  if (secondThread) {
    readOnSecondThread(fileNames);
  } else {
    readOnThisThread(fileNames);
  }
}

void ReportPipeline::parse(const std::string& fileName) { readOnThisThread({fileName}); }

void ReportPipeline::readOnThisThread(const std::vector<std::string>& fileNames) {
  try {
    for (const std::string& fileName : fileNames) parser_.parse(fileName);
    writer_.flush();
  } catch (const DiagnosticError&) {
    // What was read before the failing line is merged first, as a reader
    // that fed the model line by line would have: a failure of the merge
    // there comes first.
    writer_.flush();
    throw;
  }
}

void ReportPipeline::readOnSecondThread(const std::vector<std::string>& fileNames) {
  BoundedQueue<Handoff> queue(kQueuedBatches);
  BoundedQueue<std::string> spare(kQueuedBatches + 2);

  std::thread reading([&] {
    QueueReceiver receiver(queue, spare);
    RecordWriter writer(receiver);
    Handoff last;
    try {
      KOVParser parser(writer, noDriveLetter_, chosenFiles_, unchosenFiles_);
      parser.setOnePassScan(onePassScan_);
      try {
        for (const std::string& fileName : fileNames) parser.parse(fileName);
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
    ~JoinAtEnd() {
      queue.close();
      thread.join();
    }
  } joinAtEnd{queue, reading};

  Handoff handoff;
  while (queue.pop(handoff)) {
    if (!handoff.batch.empty()) {
      builder_.consume(handoff.batch);
      handoff.batch.clear();
      spare.tryPush(std::move(handoff.batch));
    }
    if (handoff.failure) std::rethrow_exception(handoff.failure);
    if (handoff.end) return;
  }
}

}  // namespace kov
