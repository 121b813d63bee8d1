// The stream of records through which a report reaches the merged coverage
// set: the reader writes what it found (per-report values, files, functions,
// probes) as compact records into batches of bytes, and the model replays
// them in order. The reader never holds a model object; it names the files
// and functions it works on by slot, and the consumer keeps what each slot
// stands for.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

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
  std::uint8_t function;
  std::uint8_t hasCount1;
  std::uint8_t headerFile;
  std::uint8_t unused = 0;
  std::uint32_t line;
  std::uint32_t listedLine;
  std::uint32_t headerLine;
  std::uint32_t counters[2];
  std::uint32_t nesting;
  std::uint32_t statementCount;
  std::uint32_t typeSize;
  std::uint32_t descriptionSize;
};

/// Where the writer hands a full batch: the receiver consumes or keeps the
/// bytes and leaves `batch` empty (its capacity may be reused or replaced).
class BatchReceiver {
 public:
  virtual ~BatchReceiver() = default;
  virtual void receive(std::string& batch) = 0;
};

/// Appends records to the current batch and hands it on once it is full.
class RecordWriter {
 public:
  static constexpr std::size_t kBatchBytes = std::size_t{128} << 10;

  explicit RecordWriter(BatchReceiver& receiver) : receiver_(receiver) {
    batch_.reserve(kBatchBytes + 256);
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
  /// reader's buffer: the description is the three pieces one after the
  /// other; the record's own texts are not read.
  void addProbe(FunctionSlot function, const ProbeRecord& values, std::string_view type,
                const std::string_view (&description)[3]);
  /// Ends a report: the files and functions of the slots are forgotten.
  void endReport();

  /// Hands on what the batch holds, full or not.
  void flush();

 private:
  void begin(RecordKind kind) {
    if (batch_.size() >= kBatchBytes) flush();
    batch_.push_back(static_cast<char>(kind));
  }
  void put8(std::uint8_t value) { batch_.push_back(static_cast<char>(value)); }
  void put32(std::uint32_t value) {
    char bytes[4];
    std::memcpy(bytes, &value, 4);
    batch_.append(bytes, 4);
  }
  void putText(std::string_view text) {
    put32(static_cast<std::uint32_t>(text.size()));
    batch_.append(text);
  }

  BatchReceiver& receiver_;
  std::string batch_;
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
