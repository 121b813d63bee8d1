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

void parseInOrder(KOVParser& parser, std::optional<InputFile>& first,
                  const std::vector<std::string>& more) {
  if (first) parser.parse(std::move(*first));
  for (const std::string& fileName : more) parser.parse(fileName);
}

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
    readOnSecondThread(std::nullopt, fileNames);
  } else {
    readOnThisThread(std::nullopt, fileNames);
  }
}

void ReportPipeline::readAll(InputFile first, const std::vector<std::string>& more,
                             bool secondThread) {
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
  BoundedQueue<std::string> spare(kQueuedBatches + 2);

  std::thread reading([&] {
    QueueReceiver receiver(queue, spare);
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
