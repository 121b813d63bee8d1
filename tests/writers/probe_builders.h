// Small builders for the writers' tests: probe records as the reader would
// hand them to the model, and right-aligned cells for expected lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "model/probe_kind.h"
#include "model/probe_record.h"

namespace kov::testing {

/// A probe record with both counters; constant conditions get the layout that
/// `count1Present` says, as the reader would choose it.
inline ProbeRecord probeRecord(ProbeKind kind, std::uint32_t line, std::uint32_t nesting,
                               std::string description, std::uint32_t count1 = 0,
                               std::uint32_t count2 = 0, bool count1Present = true) {
  ProbeRecord record;
  record.kind = kind;
  record.description = std::move(description);
  record.line = line;
  record.listedLine = line;
  record.counters = {count1, count2};
  record.counterLayout = counterLayoutOf(kind, count1Present);
  record.nesting = nesting;
  return record;
}

/// `text` right-aligned in `width` columns.
inline std::string cell(std::size_t width, std::string_view text) {
  std::string result;
  if (text.size() < width) result.assign(width - text.size(), ' ');
  result.append(text);
  return result;
}

}  // namespace kov::testing
