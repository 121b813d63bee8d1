#include "writers/html/file_page.h"

#include <optional>
#include <string>
#include <vector>

#include "base/file_key.h"
#include "base/text_sink.h"
#include "model/coverage.h"
#include "writers/changed_code.h"
#include "writers/html/changed_marks.h"
#include "writers/html/file_listing.h"
#include "writers/html/html_text.h"
#include "writers/html/page.h"
#include "writers/html/report_tree.h"
#include "writers/html/source_view.h"

namespace kov::html {
namespace {

std::uint32_t uncoveredOf(std::uint32_t hits, std::uint32_t all) {
  return all >= hits ? all - hits : 0;
}

void putFunctionName(TextSink& out, const CoverageFunction& function) {
  putText(out, function.name);
  out << "<span class=\"params\">";
  putText(out, function.parameters);
  out << "</span>";
}

// The TER of the lines a diff changed in the file, linked to the page of
// changed lines.
void putChangedFigures(TextSink& out, const ChangedRecord& record) {
  out << "<div><dt>Changed code TER</dt><dd>";
  if (record.all != 0) {
    putTer(out, record.ter, record.hits, record.all);
    putBar(out, record.ter);
  } else {
    out << "no outcome the TER counts";
  }
  out << "<span class=\"sub\"><a href=\"" << kChangedPageName << "\">";
  out.putUnsigned(record.changedLines) << " changed lines</a> " << kChangedMark
      << "</span></dd></div>";
}

void putFigures(TextSink& out, const CoverageFile& file, const ChangedRecord* changed) {
  out << "<dl class=\"figures\"><div><dt>TER</dt><dd>";
  putTer(out, file.terValue, file.hits, file.all);
  putBar(out, file.terValue);
  out << "</dd></div><div><dt>Statement TER</dt><dd>";
  putStatementFigure(out, file.functionsWithStatement > 0, file.statementTer, file.statementHits,
                     file.statementAll, file.functionsWithoutStatement);
  out << "</dd></div><div><dt>Uncovered outcomes</dt><dd>";
  out.putUnsigned(uncoveredOf(file.hits, file.all)) << "</dd></div><div><dt>Functions</dt><dd>";
  out.putUnsigned(file.functionsWithStatement + file.functionsWithoutStatement)
      << "</dd></div><div><dt>Source lines</dt><dd>";
  out.putUnsigned(file.largestLineCount) << "</dd></div><div><dt>Instrumentation mode</dt><dd>";
  putText(out, file.instrumentationMode);
  out << "</dd></div>";
  if (changed != nullptr) putChangedFigures(out, *changed);
  out << "</dl>";
  out.endLine();
}

// `sourceLines`: the lines of the source view (0 without one), to which a
// function's line links.
void putFunctionTable(TextSink& out, const CoverageFile& file, std::size_t sourceLines) {
  out << "<h2 id=\"functions\">Functions</h2>";
  out.endLine();
  out << "<table class=\"list\">";
  out.endLine();
  putHeadRow(out, {"Function", "#Line", "#Calls", "TER", "Statement TER", "#Uncovered"});
  out << "<tbody>";
  out.endLine();
  // In the file's order, which is the order of the probe view below.
  for (std::size_t i = 0; i < file.functions().size(); ++i) {
    const CoverageFunction& function = *file.functions()[i];
    const std::uint32_t uncovered = uncoveredOf(function.hits, function.all);
    out << (uncovered > 0 ? "<tr class=\"u\">" : "<tr>") << "<td><a href=\"#fn";
    out.putUnsigned(i + 1) << "\">";
    putFunctionName(out, function);
    out << "</a></td><td class=\"n\">";
    if (function.definitionLine >= 1 && function.definitionLine <= sourceLines) {
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

void putSourceSection(TextSink& out, const Coverage& coverage, SourceStatus status,
                      const SourceLines* lines, const FileListing* listing,
                      const ChangedRecord* changed) {
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
  std::uint32_t highest = 0;
  for (const ListingLine& line : listing->lines) {
    if (inOwnLines(line, *listing->file) && line.line > highest) highest = line.line;
  }
  out << "<p class=\"note\">Beside each line: the counts of its probes (true | false where a "
         "probe counts both), <b>+</b> or <b>-</b> where the code after a closing brace, case or "
         "end was or was not reached, and " << kMissingMark
      << " where a probe is not fully covered" << (changed != nullptr ? "; " : ".</p>");
  if (changed != nullptr) {
    out << "\xCE\x94 before the number of a line the diff changed.</p>";
  }
  out.endLine();
  if (highest > lines->count()) {
    out << "<p class=\"note warn\">The source has ";
    out.putUnsigned(lines->count()) << " lines, the reports name lines up to ";
    out.putUnsigned(highest) << ": it may not be the source the reports were made from.</p>";
    out.endLine();
  }
  putCoveredSwitch(out, true);
  putSourceView(out, *listing, *lines, listing->sourceBlocks(coverage.mcdcView()), changed);
}

}  // namespace

void putFilePageHead(TextSink& out, const Coverage& coverage, const ReportTree& tree,
                     const CoverageFile& file, SourceStatus status, std::string_view source,
                     const FileListing* listing, const ChangedMarks& marks) {
  if (listing == nullptr && status == SourceStatus::Found) status = SourceStatus::NotFound;
  const FilePage* page = tree.pageOf(&file);
  const std::string suffix = std::to_string(file.terValue) + " % TER - Coverage report";
  beginPage(out, PageKind::File, file.displayName, suffix, tree,
            page != nullptr ? page->directory : 0,
            page != nullptr ? page->label : std::string_view(file.displayName));
  out << "<h1><span class=\"kind\">"
      << (file.fileType == kHeaderFile ? "Header file" : "Source file") << "</span>";
  putName(out, file.displayName);
  out << "</h1>";
  out.endLine();
  const ChangedRecord* changed = marks.recordOf(file);
  putFigures(out, file, changed);
  const bool withSource = status == SourceStatus::Found;
  std::optional<SourceLines> lines;
  if (withSource) lines.emplace(source);
  putFunctionTable(out, file, withSource ? lines->count() : 0);
  putSourceSection(out, coverage, status, withSource ? &*lines : nullptr, listing, changed);
  if (!withSource) putCoveredSwitch(out, true);
  out << "<h2 id=\"probes\">Probes</h2>";
  out.endLine();
  putIncludes(out, coverage, tree, file);
}

void putFilePageTail(TextSink& out, const Coverage& coverage) { endPage(out, coverage); }

}  // namespace kov::html
