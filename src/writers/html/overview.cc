#include "writers/html/overview.h"

#include <string>
#include <string_view>
#include <vector>

#include "base/text_sink.h"
#include "model/coverage.h"
#include "writers/html/changed_marks.h"
#include "writers/html/changed_page.h"
#include "writers/html/directory_page.h"
#include "writers/html/html_text.h"
#include "writers/html/page.h"
#include "writers/html/report_tree.h"
#include "writers/report_entry.h"

namespace kov::html {
namespace {

void putFigure(TextSink& out, std::string_view label, std::uint32_t value) {
  out << "<div><dt>" << label << "</dt><dd>";
  out.putUnsigned(value) << "</dd></div>";
}

// The overall TER and statement TER, as the listing's summary gives them.
void putOverallFigures(TextSink& out, const Coverage& coverage, const ChangedMarks& marks) {
  out << "<dl class=\"figures\"><div><dt>TER</dt><dd>";
  putTer(out, coverage.terValue, coverage.hits, coverage.all);
  putBar(out, coverage.terValue);
  if (coverage.chosenFiles != 0 && !coverage.shownCoverageViewsText.empty()) {
    out << "<span class=\"sub\">";
    putText(out, coverage.shownCoverageViewsText);
    out << "</span>";
  }
  out << "</dd></div><div><dt>Statement TER</dt><dd>";
  putStatementFigure(out, coverage.functionsWithStatement > 0, coverage.statementTer,
                     coverage.statementHits, coverage.statementAll,
                     coverage.functionsWithoutStatement);
  out << "</dd></div>";
  if (marks.changed() != nullptr) putChangedFigure(out, marks);
  putFigure(out, "Uncovered outcomes", coverage.all >= coverage.hits ? coverage.all - coverage.hits : 0);
  out.endLine();
  putFigure(out, "Source files", coverage.chosenSourceFiles);
  putFigure(out, "Headers extracted", coverage.chosenHeaderFiles);
  putFigure(out, "Functions", coverage.functions);
  putFigure(out, "Source lines", coverage.lines);
  out << "<div><dt>Coverage view</dt><dd>";
  putText(out, coverage.requestedCoverageView);
  out << "</dd></div></dl>";
  out.endLine();
}

// A name from the command line: the bytes of the file system, which are
// UTF-8 where they are valid UTF-8.
void putLocalName(TextSink& out, std::string_view name) {
  putText(out, name, isValidUtf8(name) ? Charset::Utf8 : Charset::Latin1);
}

void putAllFiles(TextSink& out, const ReportTree& tree) {
  out << "<h2 id=\"all-files\">All files</h2>";
  out.endLine();
  out << "<div class=\"tools\" data-script hidden><label>Find a file by name "
         "<input type=\"search\" id=\"filter\" autocomplete=\"off\"></label>"
         "<span id=\"filter-count\" role=\"status\"></span></div>";
  out.endLine();
  out << "<table class=\"list\" id=\"files\">";
  out.endLine();
  putHeadRow(out, {"File", "TER", "Statement TER", "#Functions", "#Uncovered"});
  out << "<tbody>";
  out.endLine();
  for (const FilePage& page : tree.files()) {
    Tally tally;
    tally.add(*page.file);
    out << (tally.all > tally.hits ? "<tr class=\"u\"><td><a href=\"" : "<tr><td><a href=\"")
        << page.pageName << "\">";
    putName(out, page.file->displayName);
    out << "</a></td>";
    putTallyCells(out, tally);
  }
  out << "</tbody>\n</table>";
  out.endLine();
}

void putReports(TextSink& out, const Coverage& coverage) {
  out << "<h2 id=\"reports\">Reports merged</h2>";
  out.endLine();
  out << "<table class=\"list\">";
  out.endLine();
  putHeadRow(out, {"#Order", "Report", "Generated"});
  out << "<tbody>";
  out.endLine();
  std::size_t number = 0;
  for (std::string_view entry : coverage.inputReportList) {
    const ReportEntry report = splitReportEntry(entry);
    out << "<tr><td class=\"n\">";
    out.putUnsigned(++number) << "</td><td>";
    putLocalName(out, report.name);
    out << "</td><td>";
    putText(out, report.generated);
    out << "</td></tr>";
    out.endLine();
  }
  out << "</tbody>\n</table>";
  out.endLine();
}

void putNameList(TextSink& out, std::string_view label, const std::vector<std::string>& names) {
  if (names.empty()) return;
  out << "<p>" << label;
  for (std::size_t i = 0; i < names.size(); ++i) {
    out << (i == 0 ? " <code>" : ", <code>");
    putLocalName(out, names[i]);
    out << "</code>";
  }
  out << "</p>";
  out.endLine();
}

}  // namespace

void writeOverview(TextSink& out, const Coverage& coverage, const ReportTree& tree,
                   const ChangedMarks& marks) {
  const std::string suffix = std::to_string(coverage.terValue) + " % TER - Coverage report";
  beginPage(out, PageKind::Overview, {}, suffix, tree, 0, std::nullopt);
  out << "<h1>Coverage report</h1>";
  out.endLine();
  putOverallFigures(out, coverage, marks);
  putCoveredSwitch(out, false);
  out << "<h2 id=\"directories\">Directories and files</h2>";
  out.endLine();
  putEntryTable(out, tree, 0);
  putAllFiles(out, tree);
  putReports(out, coverage);
  putNameList(out, "Files chosen (-f):", coverage.chosenFileNames);
  putNameList(out, "Files left out (-nf):", coverage.unchosenFileNames);
  endPage(out, coverage);
}

}  // namespace kov::html
