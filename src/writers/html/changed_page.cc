#include "writers/html/changed_page.h"

#include <string>

#include "base/text_sink.h"
#include "model/coverage.h"
#include "model/coverage_probe.h"
#include "writers/changed_code.h"
#include "writers/html/changed_marks.h"
#include "writers/html/html_text.h"
#include "writers/html/page.h"
#include "writers/html/report_tree.h"

namespace kov::html {
namespace {

// A name the diff gives: the bytes of the file system as git wrote them,
// UTF-8 where they are valid UTF-8.
void putDiffName(TextSink& out, std::string_view name) {
  putText(out, name, isValidUtf8(name) ? Charset::Utf8 : Charset::Latin1);
}

void putChangedTer(TextSink& out, bool measured, std::uint32_t ter, std::uint32_t hits,
                   std::uint32_t all) {
  if (measured) {
    putTer(out, ter, hits, all);
    putBar(out, ter);
  } else {
    out << "no outcome the TER counts";
  }
}

void putFigures(TextSink& out, const ChangedCode& changed) {
  out << "<dl class=\"figures\"><div><dt>Changed code TER</dt><dd>";
  putChangedTer(out, changed.measured(), changed.ter, changed.hits, changed.all);
  out << "</dd></div><div><dt>Uncovered outcomes</dt><dd>";
  out.putUnsigned(changed.all - changed.hits) << "</dd></div><div><dt>Changed lines</dt><dd>";
  out.putUnsigned(changed.changedLines) << "</dd></div><div><dt>Changed files</dt><dd>";
  out.putUnsigned(changed.records.size()) << "</dd></div><div><dt>Not measured</dt><dd>";
  out.putUnsigned(changed.unmeasured.size()) << "</dd></div></dl>";
  out.endLine();
}

void putUncoveredLines(TextSink& out, const ChangedCode& changed, const ReportTree& tree) {
  out << "<h2 id=\"uncovered\">Changed lines with uncovered outcomes</h2>";
  out.endLine();
  std::size_t number = 0;
  for (const ChangedRecord& record : changed.records) {
    for (const ChangedLine& line : record.lines) {
      if (!line.hasUncovered()) continue;
      if (number++ == 0) {
        out << "<table class=\"list\">";
        out.endLine();
        putHeadRow(out, {"File", "#Line", "Not covered"});
        out << "<tbody>";
        out.endLine();
      }
      const FilePage* page = line.shownIn != nullptr ? tree.pageOf(line.shownIn) : nullptr;
      out << "<tr class=\"u\"><td>";
      if (page != nullptr) {
        out << "<a href=\"" << page->pageName << '#' << changedAnchor(number) << "\">";
      }
      putName(out, record.shownName);
      if (page != nullptr) out << "</a>";
      out << "</td><td class=\"n\">";
      out.putUnsigned(line.line) << "</td><td><ul class=\"outcomes\">";
      for (const ChangedOutcome& outcome : line.outcomes) {
        if (outcome.covered()) continue;
        out << "<li><span class=\"m\">" << kMissingMark << "</span> <code>";
        putText(out, outcome.probe->description);
        out << "</code>: ";
        putText(out, uncoveredText(outcome));
        out << "</li>";
      }
      out << "</ul></td></tr>";
      out.endLine();
    }
  }
  if (number == 0) {
    out << "<p class=\"note\">Every outcome on the changed lines is covered.</p>";
  } else {
    out << "</tbody>\n</table>";
  }
  out.endLine();
}

void putChangedFiles(TextSink& out, const ChangedCode& changed, const ReportTree& tree) {
  if (changed.records.empty()) return;
  out << "<h2 id=\"files\">Changed files</h2>";
  out.endLine();
  out << "<table class=\"list\">";
  out.endLine();
  putHeadRow(out, {"File", "#Changed lines", "TER of the changed lines", "#Uncovered"});
  out << "<tbody>";
  out.endLine();
  for (const ChangedRecord& record : changed.records) {
    const FilePage* page = record.shownIn != nullptr ? tree.pageOf(record.shownIn) : nullptr;
    out << (record.hits < record.all ? "<tr class=\"u\"><td>" : "<tr><td>");
    if (page != nullptr) out << "<a href=\"" << page->pageName << "\">";
    putName(out, record.shownName);
    if (page != nullptr) out << "</a>";
    out << "</td><td class=\"n\">";
    out.putUnsigned(record.changedLines) << "</td>";
    if (record.all != 0) {
      putTerCell(out, record.ter, record.hits, record.all);
    } else {
      out << "<td class=\"t\">no outcome</td>";
    }
    out << "<td class=\"n\">";
    out.putUnsigned(record.all - record.hits) << "</td></tr>";
    out.endLine();
  }
  out << "</tbody>\n</table>";
  out.endLine();
}

void putUnmeasured(TextSink& out, const ChangedCode& changed) {
  if (changed.unmeasured.empty()) return;
  out << "<h2 id=\"not-measured\">Not measured</h2>";
  out.endLine();
  out << "<p class=\"note\">The coverage holds no file of these names: their changed lines are "
         "not in the figures.</p>";
  out.endLine();
  out << "<table class=\"list\">";
  out.endLine();
  putHeadRow(out, {"File", "#Changed lines"});
  out << "<tbody>";
  out.endLine();
  for (const UnmeasuredFile& file : changed.unmeasured) {
    out << "<tr><td>";
    putDiffName(out, file.path);
    out << "</td><td class=\"n\">";
    out.putUnsigned(file.changedLines) << "</td></tr>";
    out.endLine();
  }
  out << "</tbody>\n</table>";
  out.endLine();
}

}  // namespace

void putChangedFigure(TextSink& out, const ChangedMarks& marks) {
  const ChangedCode& changed = *marks.changed();
  out << "<div><dt>Changed code TER</dt><dd>";
  putChangedTer(out, changed.measured(), changed.ter, changed.hits, changed.all);
  out << "<span class=\"sub\"><a href=\"" << kChangedPageName << "\">";
  out.putUnsigned(changed.changedLines) << " changed lines</a></span></dd></div>";
}

void writeChangedPage(TextSink& out, const Coverage& coverage, const ReportTree& tree,
                      const ChangedMarks& marks) {
  const ChangedCode& changed = *marks.changed();
  const std::string suffix =
      changed.measured() ? std::to_string(changed.ter) + " % TER - Coverage report"
                         : std::string("Coverage report");
  beginPage(out, PageKind::Changed, "Changed code", suffix, tree, 0, "Changed code");
  out << "<h1>Changed code</h1>";
  out.endLine();
  out << "<p class=\"note\">The lines the diff adds, measured with the outcomes the TER counts "
         "on them.</p>";
  out.endLine();
  putFigures(out, changed);
  putCoveredSwitch(out, false);
  putUncoveredLines(out, changed, tree);
  putChangedFiles(out, changed, tree);
  putUnmeasured(out, changed);
  endPage(out, coverage);
}

}  // namespace kov::html
