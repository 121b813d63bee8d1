// The coverage of the code a change adds: the outcomes the TER counts, as the
// exports count them, on the lines a diff adds to the files of the exports.
// Computed once; the Markdown summary, the HTML report, the JSON document and
// the -min-diff-ter gate all show these figures.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/change_set.h"
#include "writers/export_records.h"

namespace kov {

class Coverage;
class CoverageFile;
class CoverageProbe;

/// One outcome on a changed line.
struct ChangedOutcome {
  const CoverageProbe* probe = nullptr;
  ExportOutcome outcome;

  /// Whether a test brought it about.
  bool covered() const { return outcome.taken != 0; }
};

/// One changed line that holds outcomes the TER counts.
struct ChangedLine {
  std::uint32_t line = 0;
  // The file whose listing shows the line's probes: the record's own file,
  // or for a #line stretch the file of the function it came from.
  const CoverageFile* shownIn = nullptr;
  std::uint32_t hits = 0;
  std::uint32_t all = 0;
  std::vector<ChangedOutcome> outcomes;  // in probe order, outcome order

  /// Whether an outcome of the line is not covered.
  bool hasUncovered() const { return hits < all; }
};

/// A file of the exports that the change touches.
struct ChangedRecord {
  std::string key;        // the record's file key
  std::string shownName;  // the record's shown name
  const CoverageFile* file = nullptr;  // the chosen file; null for a record of stretches only
  // The file whose listing shows the record's probes: `file`, or for a
  // record of stretches only the file of the function of its first stretch.
  const CoverageFile* shownIn = nullptr;
  std::vector<std::string> diffPaths;  // the diff's names that matched it, in diff order
  std::uint32_t changedLines = 0;      // the lines the change adds to it
  std::vector<std::uint32_t> changed;  // those lines, ascending
  std::uint32_t hits = 0;
  std::uint32_t all = 0;
  std::uint32_t ter = 100;
  std::vector<ChangedLine> lines;      // the changed lines that hold outcomes, by line
};

/// A file of the diff that matches no file of the exports.
struct UnmeasuredFile {
  std::string path;
  std::uint32_t changedLines = 0;
};

/// The changed code of a run with -diff.
struct ChangedCode {
  std::vector<ChangedRecord> records;   // in record order
  std::vector<UnmeasuredFile> unmeasured;  // in diff order
  std::uint32_t changedLines = 0;       // of the matched files
  std::uint32_t hits = 0;
  std::uint32_t all = 0;
  std::uint32_t ter = 100;              // the TER of hits and all, rounded as the TER

  /// Whether the changed lines hold any outcome the TER counts.
  bool measured() const { return all != 0; }
};

/// Measures `change` against the processed set; `root` is the -root
/// argument (empty where none was given), applied as the exports apply it.
ChangedCode measureChangedCode(const Coverage& coverage, std::string_view root,
                               const ChangeSet& change);

/// What is uncovered, in words a reviewer acts on ("false outcome never
/// taken", "condition 2 without a covered pair: run FT (evaluation 3), it
/// pairs with 1"). ASCII; holds no text of the report other than an MC/DC
/// vector of "T", "F" and "_".
std::string uncoveredText(const ChangedOutcome& outcome);

/// The name of an outcome's kind in the JSON document ("executed", "true",
/// "false", "counted", "evaluation", "mcdc_row").
std::string_view outcomeKindName(ExportOutcome::Kind kind);

/// Whether a diff's name matches a record's shown name on its own: equal once
/// "\" is written "/" and ASCII letter case is folded.
bool sameExportName(std::string_view diffPath, std::string_view shownName);

}  // namespace kov
