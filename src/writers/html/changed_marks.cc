#include "writers/html/changed_marks.h"

#include <algorithm>

#include "base/file_key.h"
#include "model/coverage_file.h"

namespace kov::html {
namespace {

// The key of the record a file's lines count in: a line-directive file's
// lines join the record named by the file the directive names.
std::string recordKeyOf(const CoverageFile& file) {
  return file.fileType == kLineDirectiveFile ? fileKeyOf(file.displayName) : file.name;
}

}  // namespace

ChangedMarks::ChangedMarks(const ChangedCode* changed) : changed_(changed) {
  if (changed == nullptr) return;
  std::size_t next = 1;
  for (const ChangedRecord& record : changed->records) {
    byKey_.emplace(record.key, &record);
    auto& anchors = anchors_[&record];
    for (const ChangedLine& line : record.lines) {
      if (line.hasUncovered()) anchors.emplace_back(line.line, next++);
    }
  }
}

const ChangedRecord* ChangedMarks::recordOf(const CoverageFile& file) const {
  if (changed_ == nullptr) return nullptr;
  const auto found = byKey_.find(recordKeyOf(file));
  return found == byKey_.end() ? nullptr : found->second;
}

bool ChangedMarks::isChanged(const ChangedRecord* record, std::uint32_t line) {
  return record != nullptr && std::binary_search(record->changed.begin(), record->changed.end(), line);
}

std::size_t ChangedMarks::anchorOf(const ChangedRecord* record, std::uint32_t line) const {
  if (record == nullptr) return 0;
  const auto& anchors = anchors_.at(record);
  const auto found = std::lower_bound(anchors.begin(), anchors.end(),
                                      std::pair<std::uint32_t, std::size_t>(line, 0));
  return found != anchors.end() && found->first == line ? found->second : 0;
}

std::string changedAnchor(std::size_t number) { return "chg" + std::to_string(number); }

}  // namespace kov::html
