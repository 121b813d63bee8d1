// What the pages of the HTML report show of the changed code of a run with
// -diff: which lines of a file the change adds, the figures of a changed
// file, and the anchors by which the page of changed lines links to the
// probe rows of a changed line with uncovered outcomes. Without a diff every
// question answers "nothing", at the cost of one test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "writers/changed_code.h"

namespace kov {

class CoverageFile;

namespace html {

class ChangedMarks {
 public:
  /// `changed` may be nullptr (no diff); it must outlive the marks.
  explicit ChangedMarks(const ChangedCode* changed);

  const ChangedCode* changed() const { return changed_; }

  /// The changed record of the lines that count in `file`, or nullptr.
  const ChangedRecord* recordOf(const CoverageFile& file) const;

  /// Whether the change adds line `line` of `lineFile` (the file a
  /// listing line counts in). `record` is recordOf(*lineFile), looked up
  /// once by the caller for the lines of one file.
  static bool isChanged(const ChangedRecord* record, std::uint32_t line);

  /// The number of the changed line with uncovered outcomes at `line` of
  /// `record` (from 1, in the order of the page of changed lines), or 0.
  std::size_t anchorOf(const ChangedRecord* record, std::uint32_t line) const;

 private:
  const ChangedCode* changed_;
  std::unordered_map<std::string, const ChangedRecord*> byKey_;
  // Per record: its lines with uncovered outcomes, ascending, with their numbers.
  std::unordered_map<const ChangedRecord*, std::vector<std::pair<std::uint32_t, std::size_t>>>
      anchors_;
};

/// The page name of the page of changed lines.
inline constexpr std::string_view kChangedPageName = "changed.html";

/// The anchor of changed line number `number` on a file page ("chg3").
std::string changedAnchor(std::size_t number);

}  // namespace html
}  // namespace kov
