// An entry of the input report list: "path (stamp)", the report's path and
// its generation time stamp, as the outputs that list the reports show them.
#pragma once

#include <string_view>

namespace kov {

struct ReportEntry {
  std::string_view name;       // the report's path
  std::string_view generated;  // its generation time stamp; empty where the entry has none
};

/// Splits an entry. The split searches from the end, so that a path holding
/// parentheses keeps them in the name.
ReportEntry splitReportEntry(std::string_view entry);

}  // namespace kov
