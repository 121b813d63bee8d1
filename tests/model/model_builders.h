// Small builders for model tests: probes and functions as a report gives them.
#pragma once

#include <string>

#include "model/probe_record.h"

namespace kov::testing {

/// A probe record of `keyword` at `line` with both counters and a statement count.
inline ProbeRecord probe(const std::string& keyword, std::uint32_t line, std::uint32_t count1 = 0,
                         std::uint32_t count2 = 0, std::uint32_t statementCount = 0,
                         const std::string& description = "", std::uint32_t nesting = 0) {
  ProbeRecord record;
  record.kind = probeKindOf(keyword);
  record.counterLayout = counterLayoutOf(record.kind, true);
  record.line = line;
  record.listedLine = line;
  record.counters = {count1, count2};
  record.statementCount = statementCount;
  record.description = description.empty() ? keyword : description;
  record.nesting = nesting;
  return record;
}

/// A function record as the reader starts it.
inline FunctionRecord function(CoverageFile* origin, const std::string& name, std::uint32_t line,
                               const std::string& parameters = "()", std::uint32_t calls = 0) {
  FunctionRecord record;
  record.originFile = origin;
  record.name = name;
  record.definitionLine = line;
  record.parameters = parameters;
  record.callCount = calls;
  return record;
}

}  // namespace kov::testing
