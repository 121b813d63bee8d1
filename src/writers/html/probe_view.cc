#include "writers/html/probe_view.h"

#include <algorithm>
#include <charconv>

#include "base/text_sink.h"
#include "model/coverage_file.h"
#include "model/coverage_function.h"
#include "model/coverage_probe.h"
#include "writers/html/changed_marks.h"
#include "writers/html/file_listing.h"
#include "writers/html/html_text.h"
#include "writers/html/mcdc_table.h"
#include "writers/html/page.h"

namespace kov::html {
namespace {

using Cells = ListingLine::Cells;

// The most nesting levels a line is indented by: deeper code is shown at
// this depth, as a page of gigabytes of blanks would help nobody.
constexpr std::size_t kMaxIndentation = 100;
constexpr std::string_view kIndentation =
    "                                                                                          "
    "                                                                                          "
    "                    ";
static_assert(kIndentation.size() == 2 * kMaxIndentation);

constexpr std::string_view kTableHead =
    "<div class=\"scroll\"><table class=\"probes\">\n<thead><tr><th scope=\"col\" "
    "class=\"n\">Hits/True</th><th scope=\"col\" class=\"n\">False</th><th scope=\"col\" "
    "class=\"n\">Line</th><th scope=\"col\">Description</th></tr></thead>\n<tbody>\n";

}  // namespace

ProbeView::ProbeView(TextSink& out, const CoverageFile& file, bool sourceShown, bool mcdcView,
                     const ChangedMarks* marks)
    : out_(out), file_(file), sourceShown_(sourceShown), mcdcView_(mcdcView),
      marks_(marks != nullptr && marks->changed() != nullptr ? marks : nullptr) {}

bool ProbeView::changedRow(const ListingLine& line, std::size_t& anchor) {
  anchor = 0;
  if (line.lineFile == nullptr || line.line == 0 || line.kind == ListingLine::Kind::Directive) {
    return false;
  }
  if (line.lineFile != recordFile_) {
    recordFile_ = line.lineFile;
    record_ = marks_->recordOf(*line.lineFile);
  }
  if (!ChangedMarks::isChanged(record_, line.line)) return false;
  anchor = marks_->anchorOf(record_, line.line);
  // The first row of the line takes the anchor.
  if (anchor != 0 && !anchored_.insert(anchor).second) anchor = 0;
  return true;
}

void ProbeView::beginFunction(const CoverageFunction& function) {
  decisions_.beginFunction(function, mcdcView_);
  out_ << "<section class=\"fn\" id=\"fn";
  out_.putUnsigned(++functions_) << "\"><h3>";
  putText(out_, function.name);
  out_ << "<span class=\"params\">";
  putText(out_, function.parameters);
  out_ << "</span> <span class=\"at\">line ";
  out_.putUnsigned(function.definitionLine) << "</span></h3>\n" << kTableHead;
}

void ProbeView::followDecisions(const ListingLine& line) {
  const CoverageProbe* decision = decisions_.decisionAt(line);
  if (decision == nullptr) return;
  // The source view shows the tables of the file's own lines under them.
  if (sourceShown_ && inOwnLines(line, file_)) return;
  pending_ = decision;
  pendingLine_ = line.line;
  pendingDecision_ = decisions_.decisionText(line, *decision);
}

void ProbeView::putPendingTables() {
  out_ << (mcdcIncomplete(*pending_) ? "<tr class=\"x u\">" : "<tr class=\"x\">")
       << "<td colspan=\"4\">\n";
  putMcdcTables(out_, *pending_, pendingDecision_, pendingLine_);
  out_ << "</td></tr>\n";
  pending_ = nullptr;
}

// One listing line as a table row: the counts, the line number (with the
// mark where the probe is not fully covered) and the text indented by its
// nesting. The rows are most of a report, so the end tags that HTML lets
// follow from the next cell or row are left out; the last cell is closed,
// which keeps the line end after it out of the cell (whose blanks are kept)
// and is what validators expect before the next row. The row is put
// together in place and handed on in one piece.
void ProbeView::putRow(const ListingLine& line) {
  constexpr std::string_view kMissing = "<td><span class=\"m\">\xE2\x9C\x97</span> ";
  std::size_t anchor = 0;
  const bool changed = marks_ != nullptr && changedRow(line, anchor);
  constexpr std::size_t kLongText = 4096;  // longer texts are escaped a piece at a time
  const std::size_t indentation = 2 * std::min<std::uint64_t>(line.indentation, kMaxIndentation);
  const bool longText = line.text.size() > kLongText;
  const std::size_t cells = 48 + 4 * 10 + kMissing.size() + indentation + (changed ? 96 : 0);
  char* at = out_.reserveSpace(cells + (longText ? 0 : escapedSizeLimit(line.text.size())) + 8);
  const auto put = [&at](std::string_view piece) {
    at = copyInPlace(at, piece);
  };
  const auto putNumber = [&at](std::uint32_t value) { at = std::to_chars(at, at + 10, value).ptr; };
  const bool directive = line.kind == ListingLine::Kind::Directive;
  if (changed) {
    put("<tr");
    if (anchor != 0) {
      put(" id=\"chg");
      at = std::to_chars(at, at + 20, anchor).ptr;
      put("\"");
    }
    put(line.covered ? " class=\"ch\"><td>" : " class=\"u ch\"><td>");
  } else if (!line.covered) {
    put("<tr class=\"u\"><td>");
  } else if (directive) {
    put("<tr class=\"dir\"><td>");
  } else {
    put("<tr><td>");
  }
  if (line.cells == Cells::True || line.cells == Cells::TrueFalse) putNumber(line.trueCount);
  put("<td>");
  if (line.cells == Cells::False || line.cells == Cells::TrueFalse) putNumber(line.falseCount);
  if (line.covered) {
    put("<td>");
  } else {
    put(kMissing);
  }
  if (changed) put(kChangedMark);
  putNumber(line.line);
  put("<td>");
  put(kIndentation.substr(0, indentation));
  if (directive) {
    put("#line ");
    putNumber(line.directiveLine);
    put(" \"");
  }
  if (longText) {
    out_.commitSpace(at);
    putText(out_, line.text);
    at = out_.reserveSpace(8);
  } else {
    at = escapeText(at, line.text);
  }
  if (directive) {
    *at++ = '"';
  } else if (line.kind == ListingLine::Kind::Probe && line.marker != '\0') {
    *at++ = line.marker;
  }
  put("</td>\n");
  out_.commitSpace(at);
}

void ProbeView::endFunction(const CoverageFunction& function) {
  if (pending_ != nullptr) putPendingTables();
  out_ << "</tbody>\n</table></div>\n";
  if (!file_.functionCoverageOnly) {
    out_ << "<p class=\"ter\">TER ";
    putTer(out_, function.terValue, function.hits, function.all);
    out_ << " of function ";
    putText(out_, function.name);
    out_ << "() &middot; ";
    if (function.statementAvailable) {
      putTer(out_, function.statementTer, function.statementHits, function.statementAll);
      out_ << " statement</p>\n";
    } else {
      out_ << "N.A. statement</p>\n";
    }
  }
  out_ << "</section>\n";
}

}  // namespace kov::html
