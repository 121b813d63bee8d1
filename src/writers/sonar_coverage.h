// The SonarQube export (-sonar): SonarQube's generic test coverage format,
// which its property sonar.coverageReportPaths reads for any language.
#pragma once

namespace kov {

class TextSink;
struct ExportRecords;

/// Writes one <file> per record, with one <lineToCover> per line of the
/// record and the line's branches where it has any. The document is UTF-8.
void writeSonarCoverage(const ExportRecords& records, TextSink& out);

}  // namespace kov
