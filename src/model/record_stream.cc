#include "model/record_stream.h"

#include <cstddef>

namespace kov {

void RecordBatch::reserve(std::size_t capacity) {
  if (capacity <= capacity_) return;
  std::unique_ptr<char[]> data(new char[capacity]);
  if (size_ > 0) std::memcpy(data.get(), data_.get(), size_);
  data_ = std::move(data);
  capacity_ = capacity;
}

void RecordWriter::listText(ReportList list, std::string_view text) {
  begin(RecordKind::kListText);
  put8(static_cast<std::uint8_t>(list));
  putText(text);
}

void RecordWriter::listNumber(ReportList list, std::uint32_t value) {
  begin(RecordKind::kListNumber);
  put8(static_cast<std::uint8_t>(list));
  put32(value);
}

void RecordWriter::addFile(FileSlot slot, std::string_view key, std::uint32_t fileType,
                           std::string_view displayName, bool chosen) {
  begin(RecordKind::kAddFile);
  put8(static_cast<std::uint8_t>(slot));
  putText(key);
  put32(fileType);
  putText(displayName);
  put8(chosen ? 1 : 0);
}

void RecordWriter::sameFile(FileSlot slot, FileSlot other) {
  begin(RecordKind::kSameFile);
  put8(static_cast<std::uint8_t>(slot));
  put8(static_cast<std::uint8_t>(other));
}

void RecordWriter::addInstrumentationMode(FileSlot slot, std::string_view mode) {
  begin(RecordKind::kInstrumentationMode);
  put8(static_cast<std::uint8_t>(slot));
  putText(mode);
}

void RecordWriter::addIncludeLine(FileSlot slot, std::string_view line) {
  begin(RecordKind::kIncludeLine);
  put8(static_cast<std::uint8_t>(slot));
  putText(line);
}

void RecordWriter::addExtractedHeaderName(FileSlot slot, FileSlot named) {
  begin(RecordKind::kExtractedHeaderName);
  put8(static_cast<std::uint8_t>(slot));
  put8(static_cast<std::uint8_t>(named));
}

void RecordWriter::addLineDirectiveFile(FileSlot slot, FileSlot part, std::string_view name,
                                        std::uint32_t definitionLine,
                                        std::string_view parameters) {
  begin(RecordKind::kLineDirectiveFile);
  put8(static_cast<std::uint8_t>(slot));
  put8(static_cast<std::uint8_t>(part));
  putText(name);
  put32(definitionLine);
  putText(parameters);
}

void RecordWriter::addLineCount(FileSlot slot, std::uint32_t lines) {
  begin(RecordKind::kLineCount);
  put8(static_cast<std::uint8_t>(slot));
  put32(lines);
}

void RecordWriter::setStatementAvailability(FileSlot slot, std::string_view name,
                                            std::uint32_t definitionLine,
                                            std::string_view parameters, std::string_view text) {
  begin(RecordKind::kStatementAvailability);
  put8(static_cast<std::uint8_t>(slot));
  putText(name);
  put32(definitionLine);
  putText(parameters);
  putText(text);
}

void RecordWriter::addFunction(const FunctionRecord& record) {
  begin(RecordKind::kAddFunction);
  putText(record.name);
  put32(record.definitionLine);
  putText(record.parameters);
  put32(record.startLine);
  put32(record.headerLine);
  put32(record.callCount);
  put32(record.totalExecutionCost);
  put32(static_cast<std::uint32_t>(record.maxExecutionCost));
}

void RecordWriter::addPartFunction(const FunctionRecord& record) {
  begin(RecordKind::kAddPartFunction);
  putText(record.name);
  put32(record.definitionLine);
  putText(record.parameters);
}

namespace {

// Copies a text, most of which are a few bytes long, without a call for the
// short ones; returns the end of the copy.
inline char* copyShort(char* to, std::string_view text) {
  const char* from = text.data();
  const std::size_t size = text.size();
  if (size > 16) {
    std::memcpy(to, from, size);
  } else if (size >= 8) {
    char head[8];
    char tail[8];
    std::memcpy(head, from, 8);
    std::memcpy(tail, from + size - 8, 8);
    std::memcpy(to, head, 8);
    std::memcpy(to + size - 8, tail, 8);
  } else if (size >= 4) {
    char head[4];
    char tail[4];
    std::memcpy(head, from, 4);
    std::memcpy(tail, from + size - 4, 4);
    std::memcpy(to, head, 4);
    std::memcpy(to + size - 4, tail, 4);
  } else {
    for (std::size_t i = 0; i < size; ++i) to[i] = from[i];
  }
  return to + size;
}

PackedProbe packProbe(FunctionSlot function, const ProbeRecord& probe, FileSlot headerFile) {
  PackedProbe packed;
  packed.function = static_cast<std::uint8_t>(function);
  packed.hasCount1 = probe.hasCount1 ? 1 : 0;
  packed.headerFile = static_cast<std::uint8_t>(headerFile);
  packed.line = probe.line;
  packed.listedLine = probe.listedLine;
  packed.headerLine = probe.headerLine;
  packed.counters[0] = probe.counters[0];
  packed.counters[1] = probe.counters[1];
  packed.nesting = probe.nesting;
  packed.statementCount = probe.statementCount;
  return packed;
}

}  // namespace

void RecordWriter::addProbe(FunctionSlot function, const ProbeRecord& probe, FileSlot headerFile) {
  begin(RecordKind::kProbe);
  PackedProbe packed = packProbe(function, probe, headerFile);
  packed.typeSize = static_cast<std::uint32_t>(probe.typeKeyword.size());
  packed.descriptionSize = static_cast<std::uint32_t>(probe.description.size());
  std::memcpy(batch_.extend(sizeof packed), &packed, sizeof packed);
  putBytes(probe.typeKeyword);
  putBytes(probe.description);
}

// Nearly every record of a report: room for all of it is made at once.
void RecordWriter::addProbe(const PackedProbe& fixed, std::string_view type, bool hasEvalNo,
                            std::string_view evalNo, std::string_view description) {
  static constexpr std::string_view kEvalNoSeparator = ": ";
  const std::size_t evalNoSize = hasEvalNo ? evalNo.size() + kEvalNoSeparator.size() : 0;
  const auto typeSize = static_cast<std::uint32_t>(type.size());
  const auto descriptionSize = static_cast<std::uint32_t>(evalNoSize + description.size());
  const std::size_t size = 1 + sizeof fixed + typeSize + descriptionSize;
  if (batch_.size() >= kBatchBytes || batch_.capacity() - batch_.size() < size) flush();
  char* at = batch_.extend(size);
  *at++ = static_cast<char>(RecordKind::kProbe);
  std::memcpy(at, &fixed, offsetof(PackedProbe, typeSize));
  std::memcpy(at + offsetof(PackedProbe, typeSize), &typeSize, 4);
  std::memcpy(at + offsetof(PackedProbe, descriptionSize), &descriptionSize, 4);
  at += sizeof fixed;
  at = copyShort(at, type);
  if (hasEvalNo) {
    at = copyShort(at, evalNo);
    at = copyShort(at, kEvalNoSeparator);
  }
  copyShort(at, description);
}

void RecordWriter::endReport() { begin(RecordKind::kEndReport); }

void RecordWriter::flush() {
  if (batch_.empty()) return;
  // A receiver that fails on a record (the model raising a diagnostic) has
  // taken the batch all the same: none of it may be handed on twice.
  struct ClearAtEnd {
    RecordBatch& batch;
    ~ClearAtEnd() { batch.clear(); }
  } clearAtEnd{batch_};
  receiver_.receive(batch_);
  batch_.clear();
  batch_.reserve(kBatchBytes + kBatchSlack);
}

}  // namespace kov
