// The stream of records through which a report reaches the merged coverage
// set: the reader writes what it found (per-report values, files, functions,
// probes) as compact records into batches of bytes, and the model replays
// them in order. The reader never holds a model object; it names the files
// and functions it works on by slot, and the consumer keeps what each slot
// stands for.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "model/file_type.h"
#include "model/probe_record.h"

namespace kov {

/// The files a reader works on at a time.
enum class FileSlot : std::uint8_t {
  kCurrent,     // the file of the "<file" element being read
  kTarget,      // the file that receives the next function
  kHeaderPart,  // the line-directive file that receives the rest of a body
  kNoFile = 255,
};
inline constexpr std::size_t kFileSlots = 3;

/// The functions a reader hands probes to.
enum class FunctionSlot : std::uint8_t {
  kBody,  // the function whose body is being read
  kPart,  // the "N.A." function of the current line-directive file
};
inline constexpr std::size_t kFunctionSlots = 2;

/// The per-report lists of the merged coverage set.
enum class ReportList : std::uint8_t {
  kKovpostVersions,
  kInputReports,
  kCoverageViews,
  kCostFunctions,
  kCostTypes,
  kCostScalings,
  kNotices,
  kReportViews,
  kReportLines,
  kReportMeasurementPoints,
};

enum class RecordKind : std::uint8_t {
  kListText,
  kListNumber,
  kAddFile,
  kSameFile,
  kInstrumentationMode,
  kIncludeLine,
  kExtractedHeaderName,
  kLineDirectiveFile,
  kLineCount,
  kStatementAvailability,
  kAddFunction,
  kAddPartFunction,
  kProbe,
  kEndReport,
};

/// The fixed part of a probe record, followed by the bytes of the type
/// keyword and of the description.
struct PackedProbe {
  std::uint8_t function = 0;
  std::uint8_t hasCount1 = 0;
  std::uint8_t headerFile = static_cast<std::uint8_t>(FileSlot::kNoFile);
  std::uint8_t unused = 0;
  std::uint32_t line = 0;
  std::uint32_t listedLine = 0;
  std::uint32_t headerLine = 0;
  std::uint32_t counters[2] = {0, 0};
  std::uint32_t nesting = 0;
  std::uint32_t statementCount = 0;
  std::uint32_t typeSize = 0;
  std::uint32_t descriptionSize = 0;
};

/// The bytes of records on their way from a reader to the model: a buffer
/// filled from the front. Emptying it keeps its storage, so that it can go
/// back and forth between two threads without being allocated again.
class RecordBatch {
 public:
  RecordBatch() = default;
  RecordBatch(RecordBatch&& other) noexcept { *this = std::move(other); }
  RecordBatch& operator=(RecordBatch&& other) noexcept {
    data_ = std::move(other.data_);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
    return *this;
  }

  std::string_view bytes() const { return {data_.get(), size_}; }
  std::size_t size() const { return size_; }
  std::size_t capacity() const { return capacity_; }
  bool empty() const { return size_ == 0; }
  void clear() { size_ = 0; }
  /// Makes room for at least `capacity` bytes, keeping those written.
  void reserve(std::size_t capacity);
  /// Makes room for `count` more bytes and returns where they go; they
  /// count as written.
  char* extend(std::size_t count) {
    if (capacity_ - size_ < count) reserve(std::max(size_ + count, 2 * capacity_));
    char* at = data_.get() + size_;
    size_ += count;
    return at;
  }

 private:
  std::unique_ptr<char[]> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

/// Where the writer hands a full batch: the receiver consumes or keeps the
/// bytes and leaves `batch` empty (its storage may be reused or replaced).
class BatchReceiver {
 public:
  virtual ~BatchReceiver() = default;
  virtual void receive(RecordBatch& batch) = 0;
};

/// Appends records to the current batch and hands it on once it is full.
class RecordWriter {
 public:
  static constexpr std::size_t kBatchBytes = std::size_t{128} << 10;

  explicit RecordWriter(BatchReceiver& receiver) : receiver_(receiver) {
    batch_.reserve(kBatchBytes + kBatchSlack);
  }

  /// Appends a text or a number to one of the per-report lists.
  void listText(ReportList list, std::string_view text);
  void listNumber(ReportList list, std::uint32_t value);

  /// `slot` becomes the file of that key, created where there is none.
  void addFile(FileSlot slot, std::string_view key, std::uint32_t fileType,
               std::string_view displayName, bool chosen);
  /// `slot` becomes the file that `other` stands for.
  void sameFile(FileSlot slot, FileSlot other);
  void addInstrumentationMode(FileSlot slot, std::string_view mode);
  void addIncludeLine(FileSlot slot, std::string_view line);
  /// Adds the display name of the file `named` to the extracted header names of `slot`.
  void addExtractedHeaderName(FileSlot slot, FileSlot named);
  /// Records on `slot` that the file `part` holds code of that function.
  void addLineDirectiveFile(FileSlot slot, FileSlot part, std::string_view name,
                            std::uint32_t definitionLine, std::string_view parameters);
  void addLineCount(FileSlot slot, std::uint32_t lines);
  void setStatementAvailability(FileSlot slot, std::string_view name,
                                std::uint32_t definitionLine, std::string_view parameters,
                                std::string_view text);

  /// The body function becomes the function of the record's identity in the
  /// target file, stored or merged; its origin is the target file.
  void addFunction(const FunctionRecord& record);
  /// The part function becomes the "N.A." function of the header part, with
  /// the record as its origin (in the target file).
  void addPartFunction(const FunctionRecord& record);
  /// Hands a probe to a function; `headerFile` is where a
  /// linedir_in_function probe leads (kNoFile for other probes).
  void addProbe(FunctionSlot function, const ProbeRecord& probe, FileSlot headerFile);
  /// The same for a probe of another kind whose texts are still in the
  /// reader's buffer: `fixed` holds its function, its numbers and whether
  /// it has a count1 (the sizes are set here); the description is `evalNo`
  /// and ": " where there is an eval_no, then `description`.
  void addProbe(const PackedProbe& fixed, std::string_view type, bool hasEvalNo,
                std::string_view evalNo, std::string_view description);
  /// Ends a report: the files and functions of the slots are forgotten.
  void endReport();

  /// Hands on what the batch holds, full or not.
  void flush();

 private:
  // Room behind a batch's nominal size: a record that begins before the end
  // of a batch ends in it, unless it is larger (which makes a batch grow).
  static constexpr std::size_t kBatchSlack = 4096;

  void begin(RecordKind kind) {
    if (batch_.size() >= kBatchBytes) flush();
    put8(static_cast<std::uint8_t>(kind));
  }
  void put8(std::uint8_t value) { *batch_.extend(1) = static_cast<char>(value); }
  void put32(std::uint32_t value) { std::memcpy(batch_.extend(4), &value, 4); }
  void putBytes(std::string_view bytes) {
    if (!bytes.empty()) std::memcpy(batch_.extend(bytes.size()), bytes.data(), bytes.size());
  }
  void putText(std::string_view text) {
    put32(static_cast<std::uint32_t>(text.size()));
    putBytes(text);
  }

  BatchReceiver& receiver_;
  RecordBatch batch_;
};

/// Reads the records of a batch back, in the order they were written.
class RecordCursor {
 public:
  explicit RecordCursor(std::string_view batch) : at_(batch.data()), end_(at_ + batch.size()) {}

  bool atEnd() const { return at_ == end_; }
  RecordKind kind() { return static_cast<RecordKind>(get8()); }
  std::uint8_t get8() { return static_cast<std::uint8_t>(*at_++); }
  std::uint32_t get32() {
    std::uint32_t value;
    std::memcpy(&value, at_, 4);
    at_ += 4;
    return value;
  }
  void getBytes(void* to, std::size_t size) {
    std::memcpy(to, at_, size);
    at_ += size;
  }
  std::string_view getBytes(std::size_t size) {
    const std::string_view bytes(at_, size);
    at_ += size;
    return bytes;
  }
  std::string_view getText() {
    const std::uint32_t size = get32();
    const std::string_view text(at_, size);
    at_ += size;
    return text;
  }

 private:
  const char* at_;
  const char* end_;
};

}  // namespace kov
