#include "writers/markdown_summary.h"

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <iomanip>
#include <locale>
#include <sstream>
#include <vector>

#include "base/text_sink.h"
#include "model/coverage.h"
#include "writers/export_names.h"
#include "writers/listing_walk.h"
#include "writers/markdown_text.h"
#include "writers/report_entry.h"

namespace kov {
namespace {

// The longest minimum the first line shows as given. A minimum is digits
// with an optional fraction, so a longer one only has more zeros in front,
// more zeros behind, or more decimals: it is shown without the zeros and, if
// still longer, cut.
constexpr std::size_t kMinimumLimit = 12;

std::string shownMinimum(std::string_view minimum) {
  if (minimum.size() <= kMinimumLimit) return std::string(minimum);
  const std::size_t dot = minimum.find('.');
  std::string_view whole = minimum.substr(0, dot);
  std::string_view fraction = dot == std::string_view::npos ? "" : minimum.substr(dot + 1);
  while (whole.size() > 1 && whole.front() == '0') whole.remove_prefix(1);
  while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
  std::string text(whole);
  if (!fraction.empty()) text.append(".").append(fraction);
  if (text.size() > kMinimumLimit) {
    text.resize(kMinimumLimit - 1);
    text += "\xE2\x80\xA6";  // "…"
  }
  return text;
}

// "87 % (27/31)"
std::string terFigure(std::uint32_t percent, std::uint32_t hits, std::uint32_t all) {
  std::string text;
  appendUnsigned(text, percent);
  text += " % (";
  appendUnsigned(text, hits);
  text += '/';
  appendUnsigned(text, all);
  text += ')';
  return text;
}

// "1 file", "2 files"
std::string counted(std::uint64_t count, std::string_view one, std::string_view many) {
  std::string text;
  appendUnsigned(text, count);
  text += ' ';
  text += count == 1 ? one : many;
  return text;
}

std::string gateText(const std::optional<GateResult>& gate) {
  if (!gate) return {};
  std::string text = " — minimum " + shownMinimum(gate->minimum);
  text += gate->passed ? ": passed" : ": **failed**";
  return text;
}

void writeFirstLine(const Coverage& coverage, const SummaryGates& gates, TextSink& out) {
  out << "**TER " << terFigure(coverage.terValue, coverage.hits, coverage.all) << "**"
      << gateText(gates.ter);
  out << " · **statement TER "
      << terFigure(coverage.statementTer, coverage.statementHits, coverage.statementAll) << "**"
      << gateText(gates.statement);
  // Both texts come from the program's own vocabulary, never from a report.
  out << " · view: " << coverage.requestedCoverageView;
  if (!coverage.shownCoverageViewsText.empty()) {
    out << " (" << coverage.shownCoverageViewsText << ')';
  }
  out.endLine();
}

struct FileRow {
  const CoverageFile* file;
  std::uint32_t uncovered;
};

// Worst first: most uncovered outcomes, then lowest TER, then listing order.
std::vector<FileRow> rowsOf(const Coverage& coverage) {
  std::vector<FileRow> rows;
  if (coverage.chosenFiles == 0) return rows;
  for (const auto& [key, file] : coverage.files()) {
    if (isListedFile(*file)) rows.push_back({file.get(), file->all - std::min(file->hits, file->all)});
  }
  std::stable_sort(rows.begin(), rows.end(), [](const FileRow& a, const FileRow& b) {
    if (a.uncovered != b.uncovered) return a.uncovered > b.uncovered;
    return a.file->terValue < b.file->terValue;
  });
  return rows;
}

void writeTable(const Coverage& coverage, const ExportRoot& root, TextSink& out) {
  const std::vector<FileRow> rows = rowsOf(coverage);
  out.endLine();
  if (rows.empty()) {
    out << "No file is reported.";
    out.endLine();
    return;
  }
  out << "| File | TER | Statement TER | Uncovered outcomes |";
  out.endLine();
  out << "|:---|---:|---:|---:|";
  out.endLine();
  const std::size_t shown = std::min(rows.size(), kSummaryTableRows);
  std::string line;
  for (std::size_t i = 0; i < shown; ++i) {
    const CoverageFile& file = *rows[i].file;
    line = "| ";
    appendMarkdownCode(line, root.shownName(file.displayName), kSummaryNameLimit);
    line += " | ";
    line += terFigure(file.terValue, file.hits, file.all);
    line += " | ";
    // The listing shows such a file's statement TER as 100 % of nothing.
    line += file.functionsWithStatement == 0 && file.functionsWithoutStatement > 0
                ? std::string("N.A.")
                : terFigure(file.statementTer, file.statementHits, file.statementAll);
    line += " | ";
    appendUnsigned(line, rows[i].uncovered);
    line += " |";
    out << line;
    out.endLine();
  }
  if (shown < rows.size()) {
    std::uint64_t uncovered = 0;
    for (std::size_t i = shown; i < rows.size(); ++i) uncovered += rows[i].uncovered;
    out.endLine();
    out << "…and " << counted(rows.size() - shown, "more file", "more files") << " with "
        << counted(uncovered, "uncovered outcome", "uncovered outcomes") << '.';
    out.endLine();
  }
}

void writeTotals(const Coverage& coverage, TextSink& out) {
  out.endLine();
  out << "Totals: " << counted(coverage.chosenSourceFiles, "source file", "source files") << ", "
      << counted(coverage.chosenHeaderFiles, "header", "headers") << ", "
      << counted(coverage.functions, "function", "functions") << ", "
      << counted(coverage.lines, "source line", "source lines") << "; TER "
      << terFigure(coverage.terValue, coverage.hits, coverage.all) << "; statement TER "
      << terFigure(coverage.statementTer, coverage.statementHits, coverage.statementAll);
  if (coverage.functionsWithoutStatement > 0) {
    out << ", not available for "
        << counted(coverage.functionsWithoutStatement, "function", "functions");
  }
  out << '.';
  out.endLine();
}

// A generation time in the form kovpost writes it, as a number that sorts
// like the time; nothing for any other text.
std::optional<std::uint64_t> sortableTime(std::string_view text) {
  std::tm fields{};
  std::istringstream in{std::string(text)};
  in.imbue(std::locale::classic());
  in >> std::get_time(&fields, "%a %b %d %H:%M:%S %Y");
  if (in.fail() || (in >> std::ws, !in.eof())) return std::nullopt;
  std::uint64_t key = static_cast<std::uint64_t>(fields.tm_year + 1900);
  for (int part : {fields.tm_mon, fields.tm_mday, fields.tm_hour, fields.tm_min, fields.tm_sec}) {
    key = key * 100 + static_cast<std::uint64_t>(part);
  }
  return key;
}

// The earliest and the latest generation time. Where no time is in the form
// kovpost writes, the first and the last given, in reading order.
std::pair<std::string_view, std::string_view> timeSpan(const std::vector<std::string>& reports) {
  std::string_view first, last, earliest, latest;
  std::uint64_t earliestKey = 0, latestKey = 0;
  for (const std::string& entry : reports) {
    const std::string_view generated = splitReportEntry(entry).generated;
    if (generated.empty()) continue;
    if (first.empty()) first = generated;
    last = generated;
    const std::optional<std::uint64_t> key = sortableTime(generated);
    if (!key) continue;
    if (earliest.empty() || *key < earliestKey) earliest = generated, earliestKey = *key;
    if (latest.empty() || *key > latestKey) latest = generated, latestKey = *key;
  }
  if (earliest.empty()) return {first, last};
  return {earliest, latest};
}

void writeReports(const Coverage& coverage, TextSink& out) {
  std::string line = "Merged ";
  line += counted(coverage.inputReportList.size(), "report", "reports");
  const auto [from, to] = timeSpan(coverage.inputReportList);
  if (!from.empty()) {
    line += ", generated ";
    if (from != to) line += "from ";
    appendMarkdownCode(line, from, kSummaryNameLimit);
    if (from != to) {
      line += " to ";
      appendMarkdownCode(line, to, kSummaryNameLimit);
    }
  }
  line += '.';
  out.endLine();
  out << line;
  out.endLine();
}

}  // namespace

void writeMarkdownSummary(const Coverage& coverage, const SummaryGates& gates,
                          std::string_view root, TextSink& out) {
  const ExportRoot exportRoot(root);
  writeFirstLine(coverage, gates, out);
  writeTable(coverage, exportRoot, out);
  writeTotals(coverage, out);
  writeReports(coverage, out);
}

}  // namespace kov
