#include "writers/report_entry.h"

namespace kov {

ReportEntry splitReportEntry(std::string_view entry) {
  ReportEntry parts{entry, {}};
  std::size_t open = entry.rfind('(');
  if (open != std::string_view::npos) {
    parts.name = entry.substr(0, open == 0 ? 0 : open - 1);  // less the blank before "("
    parts.generated = entry.substr(open + 1);
    std::size_t close = parts.generated.rfind(')');
    if (close != std::string_view::npos) parts.generated = parts.generated.substr(0, close);
  }
  return parts;
}

}  // namespace kov
