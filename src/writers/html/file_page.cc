#include "writers/html/file_page.h"

#include <string>
#include <vector>

#include "base/file_key.h"
#include "base/text_sink.h"
#include "model/coverage.h"
#include "writers/html/file_listing.h"
#include "writers/html/html_text.h"
#include "writers/html/mcdc_table.h"
#include "writers/html/page.h"
#include "writers/html/report_tree.h"
#include "writers/html/source_view.h"

namespace kov::html {
namespace {

using Cells = ListingLine::Cells;

// The most nesting levels a line is indented by: deeper code is shown at
// this depth, as a page of gigabytes of blanks would help nobody.
constexpr std::uint64_t kMaxIndentation = 100;

std::uint32_t uncoveredOf(std::uint32_t hits, std::uint32_t all) {
  return all >= hits ? all - hits : 0;
}

void putFunctionName(TextSink& out, const CoverageFunction& function) {
  putText(out, function.name);
  out << "<span class=\"params\">";
  putText(out, function.parameters);
  out << "</span>";
}

void putStatementFigure(TextSink& out, const CoverageFile& file) {
  if (file.functionsWithStatement > 0) {
    putTer(out, file.statementTer, file.statementHits, file.statementAll);
    putBar(out, file.statementTer);
  } else {
    out << "100 % (0/0)";
    putBar(out, 100);
  }
  if (file.functionsWithoutStatement > 0) {
    out << "<span class=\"sub\">N.A. for ";
    out.putUnsigned(file.functionsWithoutStatement) << " functions</span>";
  }
}

void putFigures(TextSink& out, const CoverageFile& file) {
  out << "<dl class=\"figures\"><div><dt>TER</dt><dd>";
  putTer(out, file.terValue, file.hits, file.all);
  putBar(out, file.terValue);
  out << "</dd></div><div><dt>Statement TER</dt><dd>";
  putStatementFigure(out, file);
  out << "</dd></div><div><dt>Uncovered outcomes</dt><dd>";
  out.putUnsigned(uncoveredOf(file.hits, file.all)) << "</dd></div><div><dt>Functions</dt><dd>";
  out.putUnsigned(file.functionsWithStatement + file.functionsWithoutStatement)
      << "</dd></div><div><dt>Source lines</dt><dd>";
  out.putUnsigned(file.largestLineCount) << "</dd></div><div><dt>Instrumentation mode</dt><dd>";
  putText(out, file.instrumentationMode);
  out << "</dd></div></dl>";
  out.endLine();
}

void putFunctionTable(TextSink& out, const FileListing& listing, bool withSource) {
  out << "<h2 id=\"functions\">Functions</h2>";
  out.endLine();
  out << "<table class=\"list\">";
  out.endLine();
  putHeadRow(out, {"Function", "#Line", "#Calls", "TER", "Statement TER", "#Uncovered"});
  out << "<tbody>";
  out.endLine();
  for (std::size_t i = 0; i < listing.functions.size(); ++i) {
    const CoverageFunction& function = *listing.functions[i].function;
    const std::uint32_t uncovered = uncoveredOf(function.hits, function.all);
    out << (uncovered > 0 ? "<tr class=\"u\">" : "<tr>") << "<td><a href=\"#fn";
    out.putUnsigned(i + 1) << "\">";
    putFunctionName(out, function);
    out << "</a></td><td class=\"n\">";
    if (withSource) {
      out << "<a href=\"#L";
      out.putUnsigned(function.definitionLine) << "\">";
      out.putUnsigned(function.definitionLine) << "</a>";
    } else {
      out.putUnsigned(function.definitionLine);
    }
    out << "</td><td class=\"n\">";
    out.putUnsigned(function.callCount) << "</td>";
    putTerCell(out, function.terValue, function.hits, function.all);
    if (function.statementAvailable) {
      putTerCell(out, function.statementTer, function.statementHits, function.statementAll);
    } else {
      out << "<td class=\"t\">N.A.</td>";
    }
    out << "<td class=\"n\">";
    if (uncovered > 0) out << "<span class=\"m\">" << kMissingMark << "</span> ";
    out.putUnsigned(uncovered) << "</td></tr>";
    out.endLine();
  }
  out << "</tbody>\n</table>";
  out.endLine();
}

// One listing line as a table row: the counts, the line number (with the
// mark where the probe is not fully covered) and the text indented by its
// nesting. The last cell is closed, so that the line end after it stays
// outside the cell, whose blanks are kept.
void putProbeRow(TextSink& out, const ListingLine& line) {
  const bool directive = line.kind == ListingLine::Kind::Directive;
  out << (!line.covered ? "<tr class=\"u\"><td>" : directive ? "<tr class=\"dir\"><td>" : "<tr><td>");
  if (line.cells == Cells::True || line.cells == Cells::TrueFalse) out.putUnsigned(line.trueCount);
  out << "<td>";
  if (line.cells == Cells::False || line.cells == Cells::TrueFalse) out.putUnsigned(line.falseCount);
  out << "<td>";
  if (!line.covered) out << "<span class=\"m\">" << kMissingMark << "</span> ";
  out.putUnsigned(line.line) << "<td>";
  std::uint64_t indentation = std::min(line.indentation, kMaxIndentation);
  for (std::uint64_t i = 0; i < indentation; ++i) out << "  ";
  if (directive) {
    out << "#line ";
    out.putUnsigned(line.directiveLine) << " \"";
    putText(out, line.text);
    out << '"';
  } else {
    putText(out, line.text);
    if (line.kind == ListingLine::Kind::Probe && line.marker != '\0') out << line.marker;
  }
  out << "</td>";
  out.endLine();
}

void putIncludes(TextSink& out, const Coverage& coverage, const ReportTree& tree,
                 const CoverageFile& file) {
  if (file.extractedHeaderNames.empty() && file.includeLines.empty()) return;
  out << "<ul class=\"includes\">";
  for (const std::string& header : file.extractedHeaderNames) {
    out << "<li><code>#include \"";
    auto found = coverage.files().find(fileKeyOf(header));
    const FilePage* page =
        found == coverage.files().end() ? nullptr : tree.pageOf(found->second.get());
    if (page != nullptr) out << "<a href=\"" << page->pageName << "\">";
    putText(out, header);
    if (page != nullptr) out << "</a>";
    out << "\"</code></li>";
  }
  for (const std::string& include : file.includeLines) {
    out << "<li><code>";
    putText(out, include);
    out << "</code></li>";
  }
  out << "</ul>";
  out.endLine();
}

// Every function as the listing shows it; the MC/DC tables that do not stand
// under the source follow the rows of their decision.
void putProbeView(TextSink& out, const Coverage& coverage, const ReportTree& tree,
                  const FileListing& listing, const std::vector<McdcBlock>& blocks) {
  out << "<h2 id=\"probes\">Probes</h2>";
  out.endLine();
  putIncludes(out, coverage, tree, *listing.file);
  std::size_t nextBlock = 0;
  for (std::size_t f = 0; f < listing.functions.size(); ++f) {
    const FileListing::Function& entry = listing.functions[f];
    const CoverageFunction& function = *entry.function;
    bool incomplete = false;
    for (std::size_t i = entry.first; i < entry.first + entry.count; ++i) {
      incomplete = incomplete || !listing.lines[i].covered;
    }
    out << (incomplete ? "<section class=\"fn u\" id=\"fn" : "<section class=\"fn\" id=\"fn");
    out.putUnsigned(f + 1) << "\"><h3>";
    putFunctionName(out, function);
    out << " <span class=\"at\">line ";
    out.putUnsigned(function.definitionLine) << "</span></h3>";
    out.endLine();
    out << "<div class=\"scroll\"><table class=\"probes\">";
    out.endLine();
    putHeadRow(out, {"#Hits/True", "#False", "#Line", "Description"});
    out << "<tbody>";
    out.endLine();
    for (std::size_t i = entry.first; i < entry.first + entry.count; ++i) {
      putProbeRow(out, listing.lines[i]);
      while (nextBlock < blocks.size() && blocks[nextBlock].lastRow == i) {
        const McdcBlock& block = blocks[nextBlock++];
        if (block.underSource) continue;
        out << (mcdcIncomplete(*block.probe) ? "<tr class=\"x u\">" : "<tr class=\"x\">")
            << "<td colspan=\"4\">";
        out.endLine();
        putMcdcTables(out, *block.probe, block.decision, listing.lines[i].line);
        out << "</td></tr>";
        out.endLine();
      }
    }
    out << "</tbody>\n</table></div>";
    out.endLine();
    if (!listing.file->functionCoverageOnly) {
      out << "<p class=\"ter\">TER ";
      putTer(out, function.terValue, function.hits, function.all);
      out << " of function ";
      putText(out, function.name);
      out << "() &middot; ";
      if (function.statementAvailable) {
        putTer(out, function.statementTer, function.statementHits, function.statementAll);
        out << " statement</p>";
      } else {
        out << "N.A. statement</p>";
      }
      out.endLine();
    }
    out << "</section>";
    out.endLine();
  }
}

void putSourceSection(TextSink& out, const FileListing& listing, SourceStatus status,
                      std::string_view source, const std::vector<McdcBlock>& blocks) {
  out << "<h2 id=\"source\">Source</h2>";
  out.endLine();
  if (status == SourceStatus::NotFound) {
    out << "<p class=\"note\">The source file was not found (the name as it stands, then under "
           "each -src directory); the probes below are shown as the listing shows them.</p>";
    out.endLine();
    return;
  }
  if (status == SourceStatus::TooLarge) {
    out << "<p class=\"note\">The source file is too large to show; the probes below are shown "
           "as the listing shows them.</p>";
    out.endLine();
    return;
  }
  const SourceLines lines(source);
  std::uint32_t highest = 0;
  for (const ListingLine& line : listing.lines) {
    if (listing.inOwnLines(line) && line.line > highest) highest = line.line;
  }
  out << "<p class=\"note\">Beside each line: the counts of its probes (true | false where a "
         "probe counts both), <b>+</b> or <b>-</b> where the code after a closing brace, case or "
         "end was or was not reached, and " << kMissingMark
      << " where a probe is not fully covered.</p>";
  out.endLine();
  if (highest > lines.count()) {
    out << "<p class=\"note warn\">The source has ";
    out.putUnsigned(lines.count()) << " lines, the reports name lines up to ";
    out.putUnsigned(highest) << ": it may not be the source the reports were made from.</p>";
    out.endLine();
  }
  putCoveredSwitch(out, true);
  putSourceView(out, listing, lines, blocks);
}

}  // namespace

void writeFilePage(TextSink& out, const Coverage& coverage, const ReportTree& tree,
                   const FileListing& listing, SourceStatus status, std::string_view source) {
  const CoverageFile& file = *listing.file;
  const FilePage* page = tree.pageOf(&file);
  const std::string suffix = std::to_string(file.terValue) + " % TER - Coverage report";
  std::string_view label = page != nullptr && !page->label.empty() ? page->label
                                                                    : std::string_view("(no name)");
  beginPage(out, PageKind::File, file.displayName, suffix, tree,
            page != nullptr ? page->directory : 0, label);
  out << "<h1><span class=\"kind\">"
      << (file.fileType == kHeaderFile ? "Header file" : "Source file") << "</span>";
  if (file.displayName.empty()) {
    out << "(no name)";
  } else {
    putText(out, file.displayName);
  }
  out << "</h1>";
  out.endLine();
  putFigures(out, file);
  const bool withSource = status == SourceStatus::Found;
  putFunctionTable(out, listing, withSource);
  const std::vector<McdcBlock> blocks = listing.mcdcBlocks(withSource);
  putSourceSection(out, listing, status, source, blocks);
  if (!withSource) putCoveredSwitch(out, true);
  putProbeView(out, coverage, tree, listing, blocks);
  endPage(out, coverage);
}

}  // namespace kov::html
