// The transfer records with which the reader hands a probe or a function to
// the model.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/probe_kind.h"

namespace kov {

class CoverageFile;

/// One probe as read from a report. The reader fills in the type keyword and
/// whether a count1 was given; the kind and the counter layout follow from
/// them where the model takes the probe (an unknown keyword is error 22).
struct ProbeRecord {
  std::string typeKeyword;
  bool hasCount1 = false;
  ProbeKind kind = ProbeKind::Function;
  std::string description;  // "eval_no: descr" where the probe has an eval_no
  std::uint32_t line = 0;
  std::uint32_t listedLine = 0;
  std::uint32_t headerLine = 0;  // linedir_in_function: the line the directive names
  std::array<std::uint32_t, 2> counters{0, 0};
  CounterLayout counterLayout = CounterLayout::NoCounter;
  std::uint32_t nesting = 0;
  std::uint32_t statementCount = 0;
  std::string parentDescription;          // filled by the function
  CoverageFile* headerFile = nullptr;     // linedir_in_function: where the directive leads
};

/// One function as read from a report.
struct FunctionRecord {
  CoverageFile* originFile = nullptr;  // the file the reader adds the function to
  std::string name;
  std::uint32_t definitionLine = 0;
  std::string parameters;
  std::uint32_t startLine = 0;   // directive line of a line directive before the function
  std::uint32_t headerLine = 0;  // the line that directive names
  std::uint32_t callCount = 0;
  std::uint32_t totalExecutionCost = 0;
  std::int32_t maxExecutionCost = 0;
};

}  // namespace kov
