// The summary XML report (-x): TERs and counts, no probe lines.
#pragma once

#include "writers/xml_escape.h"  // escapeXml

namespace kov {

class Coverage;
class TextSink;

/// Writes the whole summary document of a processed coverage set.
void writeSummaryXml(Coverage& coverage, TextSink& out);

}  // namespace kov
