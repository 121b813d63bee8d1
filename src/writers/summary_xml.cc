#include "writers/summary_xml.h"

#include "base/text_sink.h"
#include "model/coverage.h"

namespace kov {

void writeSummaryXml(Coverage&, TextSink&) {}

std::string escapeXml(std::string_view text) { return std::string(text); }

}  // namespace kov
