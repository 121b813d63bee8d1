#include "writers/report_entry.h"

namespace kov {

ReportEntry splitReportEntry(std::string_view entry) {
  ReportEntry split{entry, {}};
  const std::size_t open = entry.rfind('(');
  if (open == std::string_view::npos) return split;
  split.name = entry.substr(0, open == 0 ? 0 : open - 1);  // less the blank before "("
  split.generated = entry.substr(open + 1);
  const std::size_t close = split.generated.rfind(')');
  if (close != std::string_view::npos) split.generated = split.generated.substr(0, close);
  return split;
}

}  // namespace kov
