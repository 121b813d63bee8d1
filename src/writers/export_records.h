// What the CI exports (Cobertura XML and the lcov tracefile) show: per file a
// record of lines, branches and functions, computed once from the processed
// model so that both documents carry the same numbers by construction.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace kov {

class Coverage;
class CoverageFile;
class CoverageFunction;
class CoverageProbe;

/// One outcome that the TER counts, other than that of a single-counter probe.
struct ExportBranch {
  std::uint32_t block = 0;   // the probe's place among the line's probes with branches
  std::uint32_t branch = 0;  // the outcome's place within its probe
  std::uint32_t taken = 0;   // how often it occurred; an MC/DC row: 1 shown, 0 not
};

/// One line of a record or a function.
struct ExportLine {
  std::uint32_t number = 0;
  std::uint32_t count = 0;  // the largest execution count of its probes
  std::uint32_t branchesValid = 0;
  std::uint32_t branchesCovered = 0;
};

/// Covered and valid lines and branches of a function, a record, a directory
/// or the whole export.
struct ExportTally {
  std::uint64_t linesCovered = 0;
  std::uint64_t linesValid = 0;
  std::uint64_t branchesCovered = 0;
  std::uint64_t branchesValid = 0;

  /// Adds one line and its branches.
  void add(const ExportLine& line);
  /// Adds another tally.
  void add(const ExportTally& other);
  /// The tally of a list of lines.
  static ExportTally of(std::span<const ExportLine> lines);
};

/// One function of a record's file.
struct ExportFunction {
  std::string name;             // name and parameters, made unique in the record where needed
  std::string_view parameters;  // as the report gives them (the model's text)
  std::uint32_t line = 0;       // the definition line
  std::uint32_t count = 0;      // the first counter of its `function` probe; 0 without one
  std::size_t firstLine = 0;    // where its lines begin in its record's function lines
  std::size_t lineCount = 0;
};

/// One file as the exports show it: a chosen source or header file together
/// with the line-directive stretches that lead into a file of the same key.
struct ExportRecord {
  std::string key;        // the file key; records are in its order
  std::string shownName;  // the display name with "/" and without the -root directory
  std::vector<ExportFunction> functions;  // in the file's function order
  std::vector<ExportLine> lines;          // in line order
  /// The branches of all lines, in line order: those of lines[i] follow those
  /// of lines[0..i-1], lines[i].branchesValid of them.
  std::vector<ExportBranch> branches;
  /// The lines of the functions' own probes, function after function. Empty
  /// where they are `lines` itself: where the functions follow each other
  /// without sharing a line and no stretch joins the file, as is usual.
  std::vector<ExportLine> functionLines;

  /// The lines of a function's own probes, in line order.
  std::span<const ExportLine> linesOf(const ExportFunction& function) const {
    const std::vector<ExportLine>& all = functionLines.empty() ? lines : functionLines;
    return std::span<const ExportLine>(all).subspan(function.firstLine, function.lineCount);
  }
};

/// Everything both exports write.
struct ExportRecords {
  std::string source;  // the -root directory as given, "." without one
  std::vector<ExportRecord> records;
};

/// One outcome that the TER counts, as the exports count it.
struct ExportOutcome {
  enum class Kind : std::uint8_t {
    Executed,    // a single-counter probe's one outcome: its line ran
    True,        // a decision's true outcome (first counter)
    False,       // a decision's false outcome (second counter)
    Counted,     // the counted outcome of a constant condition
    Evaluation,  // one evaluation of a multi-condition
    McdcRow,     // one MC/DC row: a condition shown by a covered pair
  };
  Kind kind = Kind::Executed;
  std::uint32_t taken = 0;  // how often it occurred; an MC/DC row: 1 shown, 0 not
  std::uint32_t row = 0;    // McdcRow: the row's index on the probe
};

/// Appends the outcomes of a probe that the exports count under the view in
/// force: the one outcome of a single-counter probe, the branches of the
/// others; nothing for a marker or a probe whose outcomes the TER does not
/// count.
void appendExportOutcomes(const CoverageProbe& probe, bool mcdcView,
                          std::vector<ExportOutcome>& outcomes);

/// Where the lines of one record come from: a chosen source or header file
/// and the line-directive stretches that lead into a file of the same key.
struct ExportSource {
  std::string key;        // the file key; sources are in its order
  std::string shownName;  // as the record's
  const CoverageFile* file = nullptr;                // null for a record of stretches only
  std::vector<const CoverageFunction*> stretches;  // in registry order
};

/// The sources of every record of a processed set, in record order.
std::vector<ExportSource> collectExportSources(const Coverage& coverage, std::string_view root);

/// The records of a processed coverage set, which must outlive them. `root`
/// is the -root argument (empty where none was given).
ExportRecords collectExportRecords(const Coverage& coverage, std::string_view root);

/// The name that makes `name` unique among `taken`, the lcov forms of the
/// names handed out so far in a record (lcovFunctionName, so that two names
/// that differ only in "," and ";" count as equal): `name` itself, else `name`
/// followed by " (line L)", else " (line L #2)" and on. Adds the lcov form of
/// the result to `taken`.
std::string uniqueFunctionName(std::string name, std::uint32_t line,
                               std::unordered_set<std::string>& taken);

}  // namespace kov
