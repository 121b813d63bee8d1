#include "writers/summary_xml.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_sink.h"
#include "model/coverage.h"
#include "writers/report_entry.h"

namespace kov {
namespace {

// Every text of the document goes through putXmlText, so that no byte that
// XML cannot hold reaches it; `escape` marks the values that are
// entity-escaped as well.
constexpr bool kEscaped = true;
constexpr bool kAsStored = false;

void tabs(TextSink& out, int count) {
  for (int i = 0; i < count; ++i) out << '\t';
}

// One line "<tag>" text "</tag>" after `indent` tabs.
void textElement(TextSink& out, int indent, std::string_view tag, std::string_view text,
                 bool escape) {
  tabs(out, indent);
  out << '<' << tag << '>';
  putXmlText(out, text, escape);
  out << "</" << tag << '>';
  out.endLine();
}

void numberElement(TextSink& out, int indent, std::string_view tag, std::uint32_t value) {
  tabs(out, indent);
  out << '<' << tag << '>';
  out.putUnsigned(value);
  out << "</" << tag << '>';
  out.endLine();
}

void signedElement(TextSink& out, int indent, std::string_view tag, std::int32_t value) {
  tabs(out, indent);
  out << '<' << tag << '>';
  out.putSigned(value);
  out << "</" << tag << '>';
  out.endLine();
}

void line(TextSink& out, int indent, std::string_view text) {
  tabs(out, indent);
  out << text;
  out.endLine();
}

// The header lists hold one entry per report that carried the value; a run
// in which none did writes the element with empty content.
std::string_view firstOf(const std::vector<std::string>& list) {
  return list.empty() ? std::string_view{} : std::string_view{list.front()};
}

std::string firstScaling(const std::vector<std::uint32_t>& scalings) {
  return scalings.empty() ? std::string{} : std::to_string(scalings.front());
}

void writeXmlFile(TextSink& out, std::string_view entry) {
  const ReportEntry report = splitReportEntry(entry);
  line(out, 3, "<xmlfile>");
  textElement(out, 4, "name", report.name, kEscaped);
  textElement(out, 4, "generated", report.generated, kAsStored);
  line(out, 3, "</xmlfile>");
}

void writeHeaderInfo(const Coverage& coverage, TextSink& out) {
  line(out, 1, "<header_info>");
  textElement(out, 2, "kovpost_version", firstOf(coverage.kovpostVersions), kAsStored);
  textElement(out, 2, "kovxmlmerge_version", coverage.programVersion, kAsStored);
  for (std::size_t i = 0; i < 2; ++i) {
    std::string_view copyright =
        i < coverage.copyrightLines.size() ? coverage.copyrightLines[i] : std::string_view{};
    textElement(out, 2, "copyright", copyright, kAsStored);
  }
  line(out, 2, "<xmlfiles>");
  for (const std::string& entry : coverage.inputReportList) writeXmlFile(out, entry);
  line(out, 2, "</xmlfiles>");
  textElement(out, 2, "report_generated", coverage.runTimeStamp, kAsStored);
  textElement(out, 2, "requested_coverage_view", coverage.requestedCoverageView, kAsStored);
  textElement(out, 2, "kovxmlmerge_options", coverage.optionsText, kEscaped);
  textElement(out, 2, "execution_cost_function", firstOf(coverage.costFunctions), kAsStored);
  textElement(out, 2, "execution_cost_type", firstOf(coverage.costTypes), kAsStored);
  textElement(out, 2, "execution_cost_scaling", firstScaling(coverage.costScalings), kAsStored);
  line(out, 1, "</header_info>");
}

void writeExecutionCosts(const CoverageFunction& function, bool timing, TextSink& out) {
  if (!timing) {
    line(out, 3, "<total_execution_cost></total_execution_cost>");
    line(out, 3, "<average_execution_cost></average_execution_cost>");
    line(out, 3, "<max_execution_cost></max_execution_cost>");
    return;
  }
  // The total is kept as 32 wrapping bits and shown as the signed number of them.
  signedElement(out, 3, "total_execution_cost",
                static_cast<std::int32_t>(function.totalExecutionCost));
  char average[64];
  std::snprintf(average, sizeof average, "%.1f", function.averageExecutionCost);
  textElement(out, 3, "average_execution_cost", average, kAsStored);
  signedElement(out, 3, "max_execution_cost", function.maxExecutionCost);
}

void writeFunctionXml(const CoverageFunction& function, bool timing, TextSink& out) {
  tabs(out, 2);
  out << "<function name=\"";
  putXmlText(out, function.name, kEscaped);
  out << "\">";
  out.endLine();
  textElement(out, 3, "parameters", function.parameters, kEscaped);
  numberElement(out, 3, "defined_at_line", function.definitionLine);
  numberElement(out, 3, "call_count", function.callCount);
  writeExecutionCosts(function, timing, out);
  line(out, 3, "<function_summary>");
  numberElement(out, 4, "ter", function.terValue);
  numberElement(out, 4, "hits", function.hits);
  numberElement(out, 4, "all", function.all);
  numberElement(out, 4, "statement_ter", function.statementTer);
  numberElement(out, 4, "statement_hits", function.statementHits);
  numberElement(out, 4, "statement_all", function.statementAll);
  textElement(out, 4, "statement_available", function.statementAvailableText(), kAsStored);
  line(out, 3, "</function_summary>");
  line(out, 2, "</function>");
}

void writeIncludes(const CoverageFile& file, TextSink& out) {
  for (const std::string& header : file.extractedHeaderNames) {
    tabs(out, 2);
    out << "<include name=\"#include &quot;";
    putXmlText(out, header, kEscaped);
    out << "&quot;\" />";
    out.endLine();
  }
  for (const std::string& include : file.includeLines) {
    tabs(out, 2);
    out << "<include name=\"";
    putXmlText(out, include, kEscaped);
    out << "\" />";
    out.endLine();
  }
}

void writeFileXml(const CoverageFile& file, TextSink& out) {
  tabs(out, 1);
  out << "<file name=\"";
  putXmlText(out, file.displayName, kEscaped);
  out << "\">";
  out.endLine();
  textElement(out, 2, "file_type", file.fileTypeText, kAsStored);
  textElement(out, 2, "instrumentation_mode", file.instrumentationMode, kAsStored);
  writeIncludes(file, out);
  for (const auto& function : file.functions()) writeFunctionXml(*function, file.timing, out);
  line(out, 2, "<file_summary>");
  numberElement(out, 3, "functions", file.functionsWithStatement + file.functionsWithoutStatement);
  numberElement(out, 3, "lines", file.largestLineCount);
  numberElement(out, 3, "ter", file.terValue);
  numberElement(out, 3, "hits", file.hits);
  numberElement(out, 3, "all", file.all);
  numberElement(out, 3, "statement_ter", file.statementTer);
  numberElement(out, 3, "statement_hits", file.statementHits);
  numberElement(out, 3, "statement_all", file.statementAll);
  numberElement(out, 3, "statement_na_functions", file.functionsWithoutStatement);
  line(out, 2, "</file_summary>");
  line(out, 1, "</file>");
  out.endLine();
}

void writeOverallSummary(const Coverage& coverage, TextSink& out) {
  line(out, 1, "<overall_summary>");
  textElement(out, 2, "shown_coverage_views", coverage.shownCoverageViewsText, kAsStored);
  numberElement(out, 2, "files", coverage.chosenSourceFiles);
  numberElement(out, 2, "headers", coverage.chosenHeaderFiles);
  numberElement(out, 2, "functions", coverage.functions);
  numberElement(out, 2, "lines", coverage.lines);
  numberElement(out, 2, "ter", coverage.terValue);
  numberElement(out, 2, "hits", coverage.hits);
  numberElement(out, 2, "all", coverage.all);
  numberElement(out, 2, "statement_ter", coverage.statementTer);
  numberElement(out, 2, "statement_hits", coverage.statementHits);
  numberElement(out, 2, "statement_all", coverage.statementAll);
  numberElement(out, 2, "statement_na_functions", coverage.functionsWithoutStatement);
}

// A run in which every file is excluded shows fixed figures, whatever the
// totals hold.
void writeEmptyOverallSummary(TextSink& out) {
  line(out, 1, "<overall_summary>");
  for (std::string_view text : {
           "<shown_coverage_views></shown_coverage_views>",
           "<files>0</files>",
           "<headers>0</headers>",
           "<functions>0</functions>",
           "<lines>0</lines>",
           "<ter>100</ter>",
           "<hits>0</hits>",
           "<all>0</all>",
           "<statement_ter>100</statement_ter>",
           "<statement_hits>0</statement_hits>",
           "<statement_all>0</statement_all>",
           "<statement_na_functions>0</statement_na_functions>",
       }) {
    line(out, 2, text);
  }
}

bool isListedFile(const CoverageFile& file) {
  return file.chosen && (file.fileType == kSourceFile || file.fileType == kHeaderFile);
}

}  // namespace

void writeSummaryXml(Coverage& coverage, TextSink& out) {
  line(out, 0, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>");
  out.endLine();
  line(out, 0, "<kov_xmlmerge_report>");
  out.endLine();
  writeHeaderInfo(coverage, out);
  out.endLine();
  if (coverage.chosenFiles != 0) {
    for (const auto& [key, file] : coverage.files()) {
      if (isListedFile(*file)) writeFileXml(*file, out);
    }
    writeOverallSummary(coverage, out);
  } else {
    writeEmptyOverallSummary(out);
  }
  line(out, 1, "</overall_summary>");
  out.endLine();
  line(out, 0, "</kov_xmlmerge_report>");
}

}  // namespace kov
