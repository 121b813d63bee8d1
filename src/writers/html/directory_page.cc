#include "writers/html/directory_page.h"

#include <string>

#include "base/text_sink.h"
#include "model/coverage.h"
#include "writers/html/html_text.h"
#include "writers/html/page.h"
#include "writers/html/report_tree.h"

namespace kov::html {
namespace {

std::uint32_t uncoveredOf(const Tally& tally) {
  return tally.all >= tally.hits ? tally.all - tally.hits : 0;
}

void putStatementCell(TextSink& out, const Tally& tally) {
  out << "<td class=\"t\">";
  putBar(out, tally.statementTer());
  putTer(out, tally.statementTer(), tally.statementHits, tally.statementAll);
  if (tally.functionsWithoutStatement > 0) {
    out << " <span class=\"note\">N.A. for ";
    out.putUnsigned(tally.functionsWithoutStatement) << "</span>";
  }
  out << "</td>";
}

void putRowStart(TextSink& out, const Tally& tally) {
  out << (uncoveredOf(tally) > 0 ? "<tr class=\"u\"><td>" : "<tr><td>");
}

}  // namespace

void putTallyCells(TextSink& out, const Tally& tally) {
  putTerCell(out, tally.ter(), tally.hits, tally.all);
  putStatementCell(out, tally);
  out << "<td class=\"n\">";
  out.putUnsigned(tally.functions()) << "</td><td class=\"n\">";
  if (uncoveredOf(tally) > 0) out << "<span class=\"m\">" << kMissingMark << "</span> ";
  out.putUnsigned(uncoveredOf(tally)) << "</td></tr>";
  out.endLine();
}

void putEntryTable(TextSink& out, const ReportTree& tree, std::size_t directory) {
  const DirectoryPage& page = tree.directories()[directory];
  out << "<table class=\"list\">";
  out.endLine();
  putHeadRow(out, {"Name", "TER", "Statement TER", "#Functions", "#Uncovered"});
  out << "<tbody>";
  out.endLine();
  for (std::size_t index : page.directories) {
    const DirectoryPage& sub = tree.directories()[index];
    putRowStart(out, sub.tally);
    out << "<a href=\"" << sub.pageName << "\">";
    putName(out, sub.label);
    out << (sub.label.ends_with('/') ? "</a></td>" : "/</a></td>");
    putTallyCells(out, sub.tally);
  }
  for (std::size_t index : page.files) {
    const FilePage& file = tree.files()[index];
    Tally tally;
    tally.add(*file.file);
    putRowStart(out, tally);
    out << "<a href=\"" << file.pageName << "\">";
    putName(out, file.label);
    out << "</a></td>";
    putTallyCells(out, tally);
  }
  out << "</tbody>";
  out.endLine();
  out << "<tfoot><tr><td>Total (";
  out.putUnsigned(page.tally.files) << (page.tally.files == 1 ? " file)</td>" : " files)</td>");
  putTallyCells(out, page.tally);
  out << "</tfoot>\n</table>";
  out.endLine();
}

void writeDirectoryPage(TextSink& out, const Coverage& coverage, const ReportTree& tree,
                        std::size_t directory) {
  const DirectoryPage& page = tree.directories()[directory];
  std::string suffix = "directory - " + std::to_string(page.tally.ter()) + " % TER";
  beginPage(out, PageKind::Directory, page.path, suffix, tree, directory, std::nullopt);
  out << "<h1><span class=\"kind\">Directory</span>";
  putName(out, page.path);
  out << (page.path.ends_with('/') ? "</h1>" : "/</h1>");
  out.endLine();
  out << "<dl class=\"figures\"><div><dt>TER</dt><dd>";
  putTer(out, page.tally.ter(), page.tally.hits, page.tally.all);
  putBar(out, page.tally.ter());
  out << "</dd></div><div><dt>Statement TER</dt><dd>";
  putStatementFigure(out, true, page.tally.statementTer(), page.tally.statementHits,
                     page.tally.statementAll, page.tally.functionsWithoutStatement);
  out << "</dd></div><div><dt>Uncovered outcomes</dt><dd>";
  out.putUnsigned(uncoveredOf(page.tally)) << "</dd></div><div><dt>Files</dt><dd>";
  out.putUnsigned(page.tally.files) << "</dd></div><div><dt>Functions</dt><dd>";
  out.putUnsigned(page.tally.functions()) << "</dd></div></dl>";
  out.endLine();
  putCoveredSwitch(out, false);
  putEntryTable(out, tree, directory);
  endPage(out, coverage);
}

}  // namespace kov::html
