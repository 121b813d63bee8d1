#include "writers/json_report.h"

#include <array>
#include <cmath>
#include <cstring>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/text_sink.h"
#include "model/coverage.h"
#include "writers/export_names.h"
#include "writers/json_text.h"
#include "writers/listing_walk.h"
#include "writers/report_entry.h"

namespace kov {
namespace {

// The layout: the objects of the run, the files and the functions stand one
// member a line, indented by two blanks a level; a listing line, a report
// and every smaller object stand on one line, without blanks.

// `"name": ` on a new line after `indent` blanks; the member before it gets
// its comma unless this one is `first`.
JsonOut& member(JsonOut& json, std::string_view name, int indent, bool first = false) {
  static constexpr std::string_view kBlanks = "            ";
  json.put(first ? "\n" : ",\n").put(kBlanks.substr(0, static_cast<std::size_t>(indent)));
  return json.put("\"").put(name).put("\": ");
}

JsonOut& stringOrNull(JsonOut& json, std::string_view text) {
  return text.empty() ? json.put("null") : json.string(text);
}

JsonOut& strings(JsonOut& json, const std::vector<std::string>& values) {
  json.put("[");
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) json.put(",");
    json.string(values[i]);
  }
  return json.put("]");
}

JsonOut& ter(JsonOut& json, std::uint32_t percent, std::uint32_t hits, std::uint32_t all) {
  json.put("{\"percent\":").number(percent).put(",\"hits\":").number(hits);
  return json.put(",\"all\":").number(all).put("}");
}

// The statement figures of a file or the whole set; the functions without
// statement coverage count in none of them.
JsonOut& statementSums(JsonOut& json, std::uint32_t percent, std::uint32_t hits,
                       std::uint32_t all, std::uint32_t notAvailable) {
  json.put("{\"percent\":").number(percent).put(",\"hits\":").number(hits);
  json.put(",\"all\":").number(all).put(",\"not_available_functions\":").number(notAvailable);
  return json.put("}");
}

void writeReports(const Coverage& coverage, JsonOut& json) {
  member(json, "reports", 2).put("[");
  for (std::size_t i = 0; i < coverage.inputReportList.size(); ++i) {
    const ReportEntry report = splitReportEntry(coverage.inputReportList[i]);
    json.put(i == 0 ? "\n    {\"name\":" : ",\n    {\"name\":").string(report.name);
    stringOrNull(json.put(",\"generated\":"), report.generated).put("}");
  }
  json.put(coverage.inputReportList.empty() ? "]" : "\n  ]");
}

void writeHead(const Coverage& coverage, JsonOut& json) {
  json.put("{");
  member(json, "format", 2, true).put("\"kovxmlmerge-coverage\"");
  member(json, "format_version", 2).number(kJsonFormatVersion);
  member(json, "tool", 2).put("{\"name\":\"kovxmlmerge\",\"version\":");
  json.string(coverage.programVersion).put("}");
  member(json, "kovpost_version", 2);
  if (coverage.kovpostVersions.empty()) {
    json.put("null");
  } else {
    json.string(coverage.kovpostVersions.front());
  }
  member(json, "run_time_stamp", 2).string(coverage.runTimeStamp);
  member(json, "coverage_view", 2).string(coverage.requestedCoverageView);
  member(json, "shown_coverage_views", 2).string(coverage.shownCoverageViewsText);
  writeReports(coverage, json);
  strings(member(json, "chosen_files", 2), coverage.chosenFileNames);
  strings(member(json, "unchosen_files", 2), coverage.unchosenFileNames);
}

// The overall figures of the summary XML report. Where every file is
// excluded the totals are never computed and keep their starting values,
// which are the figures that report shows then.
void writeSummary(const Coverage& coverage, JsonOut& json) {
  member(json, "summary", 2).put("{");
  member(json, "files", 4, true).number(coverage.chosenSourceFiles);
  member(json, "headers", 4).number(coverage.chosenHeaderFiles);
  member(json, "functions", 4).number(coverage.functions);
  member(json, "lines", 4).number(coverage.lines);
  ter(member(json, "ter", 4), coverage.terValue, coverage.hits, coverage.all);
  statementSums(member(json, "statement", 4), coverage.statementTer, coverage.statementHits,
                coverage.statementAll, coverage.functionsWithoutStatement);
  json.put("\n  }");
}

// `,"kind":"if","nesting":` for every kind, each in a slot of one size, so
// that a copy of a length known at compile time puts it in place.
struct KindText {
  char text[48] = {};
  std::size_t size = 0;
};
using KindTexts = std::array<KindText, 52>;  // by kind number

KindTexts makeKindTexts() {
  KindTexts texts;
  for (std::size_t kind = 1; kind < texts.size(); ++kind) {
    std::string text = ",\"kind\":\"";
    text += keywordOf(static_cast<ProbeKind>(kind));
    text += "\",\"nesting\":";
    std::memcpy(texts[kind].text, text.data(), text.size());
    texts[kind].size = text.size();
  }
  return texts;
}

// The listing lines of a function become its "probes", one object a line.
// An MC/DC decision, which the listing shows as one line per row, is one
// object with its evaluations and pairs.
class JsonListing : public ListingVisitor {
 public:
  JsonListing(JsonOut& json, const ExportRoot& root, bool mcdcView)
      : json_(json), root_(root), mcdcView_(mcdcView), kindTexts_(makeKindTexts()) {}

  void beginFile(const CoverageFile& file) override {
    file_ = &file;
    json_.put(firstFile_ ? "\n    {" : ",\n    {");
    firstFile_ = false;
    member(json_, "name", 6, true).string(file.displayName);
    member(json_, "shown_name", 6).string(root_.shownName(file.displayName));
    member(json_, "type", 6).put(file.fileType == kHeaderFile ? "\"header\"" : "\"source\"");
    member(json_, "instrumentation_mode", 6).string(file.instrumentationMode);
    member(json_, "lines", 6).number(file.largestLineCount);
    strings(member(json_, "extracted_headers", 6), file.extractedHeaderNames);
    strings(member(json_, "include_lines", 6), file.includeLines);
    ter(member(json_, "ter", 6), file.terValue, file.hits, file.all);
    statementSums(member(json_, "statement", 6), file.statementTer, file.statementHits,
                  file.statementAll, file.functionsWithoutStatement);
    member(json_, "functions", 6).put("[");
    firstFunction_ = true;
  }

  void beginFunction(const CoverageFunction& function) override {
    json_.put(firstFunction_ ? "\n        {" : ",\n        {");
    firstFunction_ = false;
    member(json_, "name", 10, true).string(function.name);
    member(json_, "parameters", 10).string(function.parameters);
    member(json_, "definition_line", 10).number(function.definitionLine);
    member(json_, "call_count", 10).number(function.callCount);
    writeExecutionCost(function);
    ter(member(json_, "ter", 10), function.terValue, function.hits, function.all);
    writeFunctionStatement(function);
    member(json_, "probes", 10).put("[");
    firstProbe_ = true;
  }

  void line(const ListingLine& line) override {
    // The rows of a decision are all in its object, written at the first.
    if (line.kind == ListingLine::Kind::McdcRow && line.row != 0) return;
    if (firstProbe_) {
      json_.put("\n            {");
      firstProbe_ = false;
    } else {
      json_.put(",\n            {");
    }
    switch (line.kind) {
      case ListingLine::Kind::Probe:
        writeProbe(line);
        break;
      case ListingLine::Kind::McdcRow:
        writeDecision(line);
        break;
      case ListingLine::Kind::Directive:
        writeDirective(line);
        break;
    }
    if (line.lineFile != nullptr && line.lineFile != file_) {
      json_.put(",\"in_file\":").string(line.lineFile->displayName);
    }
    json_.put("}");
  }

  void endFunction(const CoverageFunction&) override {
    json_.put(firstProbe_ ? "]\n        }" : "\n          ]\n        }");
  }

  void endFile(const CoverageFile&) override {
    json_.put(firstFunction_ ? "]\n    }" : "\n      ]\n    }");
    file_ = nullptr;
  }

  /// Whether no file was written.
  bool noFile() const { return firstFile_; }

 private:
  void writeExecutionCost(const CoverageFunction& function) {
    member(json_, "execution_cost", 10);
    if (!file_->timing || !std::isfinite(function.averageExecutionCost)) {
      json_.put("null");
      return;
    }
    // As the summary XML report shows them: the total as the signed number
    // of its 32 bits, the average with one decimal.
    char average[64];
    std::snprintf(average, sizeof average, "%.1f", function.averageExecutionCost);
    json_.put("{\"total\":").signedNumber(static_cast<std::int32_t>(function.totalExecutionCost));
    json_.put(",\"average\":").put(std::string_view(average));
    json_.put(",\"max\":").signedNumber(function.maxExecutionCost).put("}");
  }

  void writeFunctionStatement(const CoverageFunction& function) {
    member(json_, "statement", 10);
    if (!function.statementAvailable) {
      json_.put("{\"available\":false,\"percent\":null,\"hits\":null,\"all\":null}");
      return;
    }
    json_.put("{\"available\":true,\"percent\":").number(function.statementTer);
    json_.put(",\"hits\":").number(function.statementHits);
    json_.put(",\"all\":").number(function.statementAll).put("}");
  }

  // The members every listing line has, in their order. The document has
  // one such line for every line of the listing, so it is put together in
  // place, in room reserved for the longest it can be.
  void writeCommon(const ListingLine& line, ProbeKind kind, std::string_view description,
                   bool trueCell, bool falseCell, HitsAll counted, bool fullyCovered,
                   char marker) {
    const bool inPlace = description.size() <= JsonOut::kMaxEscaped;
    char* at = json_.reserve(sizeof(KindText::text) + 64 +
                             (inPlace ? JsonOut::escapedSize(description.size()) : 0));
    at = writeLiteral(at, "\"line\":");
    at = writeDecimal(at, line.line);
    const KindText& kindText = kindTexts_[static_cast<std::size_t>(kind)];
    std::memcpy(at, kindText.text, sizeof kindText.text);
    at += kindText.size;
    at = writeDecimal(at, line.indentation);
    at = writeLiteral(at, ",\"description\":");
    if (inPlace) {
      at = writeJsonString(at, description);
    } else {
      json_.advance(at);
      json_.string(description);
      at = json_.reserve(0);
    }
    json_.advance(at);

    // The counts and the statement marker stand only where the listing
    // shows them.
    at = json_.reserve(160);
    if (trueCell) at = writeDecimal(writeLiteral(at, ",\"true_count\":"), line.trueCount);
    if (falseCell) at = writeDecimal(writeLiteral(at, ",\"false_count\":"), line.falseCount);
    at = writeDecimal(writeLiteral(at, ",\"hits\":"), counted.hits);
    at = writeDecimal(writeLiteral(at, ",\"all\":"), counted.all);
    at = fullyCovered ? writeLiteral(at, ",\"fully_covered\":true")
                      : writeLiteral(at, ",\"fully_covered\":false");
    if (marker == '+') {
      at = writeLiteral(at, ",\"reached\":true");
    } else if (marker == '-') {
      at = writeLiteral(at, ",\"reached\":false");
    }
    json_.advance(at);
  }

  void writeProbe(const ListingLine& line) {
    using Cells = ListingLine::Cells;
    const bool trueCell = line.cells == Cells::True || line.cells == Cells::TrueFalse;
    const bool falseCell = line.cells == Cells::False || line.cells == Cells::TrueFalse;
    writeCommon(line, line.probe->kind, line.text, trueCell, falseCell,
                line.probe->countForView(mcdcView_), line.covered, line.marker);
  }

  // A "#line" line: the listing's text and what it names. It counts nothing.
  void writeDirective(const ListingLine& line) {
    std::string text = "#line ";
    appendUnsigned(text, line.directiveLine);
    text += " \"";
    text += line.text;
    text += '"';
    writeCommon(line, ProbeKind::LinedirInFunction, text, false, false, HitsAll{}, true, '\0');
    json_.put(",\"directive\":{\"line\":").number(line.directiveLine);
    json_.put(",\"file\":").string(line.directiveFile->displayName).put("}");
  }

  void writeDecision(const ListingLine& line) {
    const CoverageProbe& probe = *line.probe;
    const McdcRows& rows = *probe.mcdcRows();  // the walk shows rows only where there are
    bool allCovered = true;
    for (std::size_t i = 0; i < rows.rows.size(); ++i) allCovered = allCovered && rows.rowCovered(i);
    writeCommon(line, ProbeKind::Mcdc, probe.description, false, false, probe.countForView(mcdcView_),
                allCovered, '\0');
    json_.put(",\"mcdc\":{\"condition_count\":").number(rows.conditionCount);
    writeEvaluations(rows);
    writeConditions(rows);
    json_.put("}");
  }

  void writeEvaluations(const McdcRows& rows) {
    json_.put(",\"evaluations\":[");
    bool first = true;
    for (const McdcEvaluation& evaluation : rows.evaluations) {
      json_.put(first ? "{\"number\":" : ",{\"number\":").number(evaluation.number);
      first = false;
      json_.put(",\"vector\":").string(evaluation.vector);
      json_.put(",\"outcome\":").boolean(evaluation.outcome);
      json_.put(",\"executed\":").boolean(evaluation.executed());
      json_.put(",\"count\":").number(evaluation.count()).put("}");
    }
    json_.put("]");
  }

  void writePair(const McdcPair& pair) {
    json_.put("{\"true_evaluation\":").number(pair.trueNumber);
    json_.put(",\"false_evaluation\":").number(pair.falseNumber);
    json_.put(",\"covered\":").boolean(!pair.uncovered).put("}");
  }

  void writeConditions(const McdcRows& rows) {
    json_.put(",\"conditions\":[");
    for (std::size_t i = 0; i < rows.rows.size(); ++i) {
      const std::uint32_t condition = i < rows.conditions.size() ? rows.conditions[i] : 0;
      json_.put(i == 0 ? "{\"condition\":" : ",{\"condition\":").number(condition);
      json_.put(",\"text\":").string(rows.rows[i]);
      json_.put(",\"covered\":").boolean(rows.rowCovered(i));
      json_.put(",\"selected_pair\":");
      const bool hasPairs = i < rows.pairs.size() && !rows.pairs[i].empty();
      if (hasPairs) {
        writePair(rows.pairs[i].front());
      } else {
        json_.put("null");
      }
      json_.put(",\"other_pairs\":[");
      for (std::size_t p = 1; hasPairs && p < rows.pairs[i].size(); ++p) {
        if (p > 1) json_.put(",");
        writePair(rows.pairs[i][p]);
      }
      json_.put("]");
      writeNeeds(rows.needsOf(i));
      json_.put("}");
    }
    json_.put("]");
  }

  void writeNeeds(const std::vector<McdcNeed>& needs) {
    json_.put(",\"needed\":[");
    for (std::size_t i = 0; i < needs.size(); ++i) {
      json_.put(i == 0 ? "{\"evaluation\":" : ",{\"evaluation\":").number(needs[i].run);
      json_.put(",\"pairs_with\":").number(needs[i].partner);
      json_.put(",\"pairs_with_executed\":").boolean(needs[i].partnerExecuted).put("}");
    }
    json_.put("]");
  }

  JsonOut& json_;
  const ExportRoot& root_;
  const bool mcdcView_;
  const KindTexts kindTexts_;
  const CoverageFile* file_ = nullptr;
  bool firstFile_ = true;
  bool firstFunction_ = true;
  bool firstProbe_ = true;
};

}  // namespace

void writeJsonReport(Coverage& coverage, std::string_view root, TextSink& out) {
  JsonOut json(out);
  writeHead(coverage, json);
  writeSummary(coverage, json);
  member(json, "files", 2).put("[");
  const ExportRoot exportRoot(root);
  JsonListing files(json, exportRoot, coverage.mcdcView());
  walkListing(coverage, files);
  json.put(files.noFile() ? "]\n}\n" : "\n  ]\n}\n");
  json.flush();
}

}  // namespace kov
