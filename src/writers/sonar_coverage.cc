#include "writers/sonar_coverage.h"

#include "base/text_sink.h"
#include "writers/export_records.h"
#include "writers/line_batch.h"
#include "writers/xml_escape.h"

namespace kov {
namespace {

void writeLines(const ExportRecord& record, TextSink& out) {
  LineBatch batch(out);
  for (const ExportLine& line : record.lines) {
    // SonarQube refuses the whole document for a line number below 1, and
    // no editor shows a line 0: such a line (only a damaged report has one)
    // is left out.
    if (line.number == 0) continue;
    batch.beginLine();
    batch.put("\t\t<lineToCover lineNumber=\"");
    batch.putNumber(line.number);
    if (line.count > 0) {
      batch.put("\" covered=\"true\"");
    } else {
      batch.put("\" covered=\"false\"");
    }
    if (line.branchesValid > 0) {
      batch.put(" branchesToCover=\"");
      batch.putNumber(line.branchesValid);
      batch.put("\" coveredBranches=\"");
      batch.putNumber(line.branchesCovered);
      batch.put("\"");
    }
    batch.put("/>");
    batch.endLine();
  }
}

}  // namespace

void writeSonarCoverage(const ExportRecords& records, TextSink& out) {
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
  out.endLine();
  out << "<coverage version=\"1\">";
  out.endLine();
  for (const ExportRecord& record : records.records) {
    out << "\t<file path=\"";
    putXmlTextAsUtf8(out, record.shownName);
    out << "\">";
    out.endLine();
    writeLines(record, out);
    out << "\t</file>";
    out.endLine();
  }
  out << "</coverage>";
  out.endLine();
}

}  // namespace kov
