// The entries of the merged set's input report list, "path (stamp)": the
// report's name and the generation time it gave.
#pragma once

#include <string_view>

namespace kov {

/// One report that went into the merge.
struct ReportEntry {
  std::string_view name;       // the input name as given
  std::string_view generated;  // the report's generation time; empty where it gave none
};

/// Takes an entry apart. The split searches from the end, so that a path
/// holding parentheses keeps them in the name.
ReportEntry splitReportEntry(std::string_view entry);

}  // namespace kov
