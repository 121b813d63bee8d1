// One probe of the merged coverage set: a measurement point with its summed
// counters.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/coverage_common.h"
#include "model/coverage_view.h"
#include "model/mcdc_result.h"
#include "model/probe_record.h"

namespace kov {

class CoverageFile;

class CoverageProbe : public CoverageCommon {
 public:
  /// Builds a probe from a record, consuming its texts.
  explicit CoverageProbe(ProbeRecord&& record);

  /// Whether `fresh` (a later report's probe) is the same measurement point
  /// as `stored`.
  static bool isSameProbe(const CoverageProbe& stored, const CoverageProbe& fresh);
  /// The same for a later report's probe that is still a record, so that a
  /// probe which only merges is never built.
  static bool isSameProbe(const CoverageProbe& stored, const ProbeRecord& fresh);
  /// Folds another report's probe into this one.
  void mergeFrom(const CoverageProbe& other);
  /// Folds another report's probe, given as its record, into this one.
  void mergeFrom(const ProbeRecord& other);
  /// Sets hits and all from the kind and the counters.
  void computeOwnCounts();
  /// The contribution to the function's hits and all under the view in force.
  HitsAll countForView(bool mcdcView) const;
  /// Sets the evaluation number of a multi_cond_t/multi_cond_f probe from
  /// the number in front of its description.
  void readEvaluationNumber();
  /// The statement counts of the reports joined by ", " (one value where all
  /// reports agree).
  std::string statementCountText() const;
  /// The number of reports that contributed.
  std::uint32_t reportCount() const { return mergeCount + 1; }
  /// The MC/DC rows, or nullptr where the probe has none.
  const McdcRows* mcdcRows() const { return rare_ ? rare_->mcdc.get() : nullptr; }
  /// Appends one MC/DC row (kind mcdc only).
  void addMcdcRow(std::uint32_t condition, std::string row);
  /// The MC/DC result of the decision this `mcdc` probe ends, created empty
  /// where the probe has none yet.
  McdcRows& mcdcResult();

  ProbeKind kind;
  CounterLayout counterLayout;
  std::int8_t reached = -1;  // -1 unset; 0 or 1 as the statement analysis decides
  char marker = '\0';        // the marker text: '\0' (empty), '+' or '-'
  bool endMarker = true;     // whether a block_end takes a marker
  std::uint32_t line;              // line in the first report; the storage key
  std::uint32_t shownLine;         // largest listed line over the reports
  std::uint32_t lowestHeaderLine;  // smallest header line over the reports
  std::uint32_t mergeCount = 0;    // probes of later reports merged into this one
  std::uint32_t nesting;
  std::uint32_t statementCount;    // sc_count of the first report
  std::uint32_t evaluationNumber = 0;
  std::uint8_t hits = 0;  // own hits and all (computeOwnCounts)
  std::uint8_t all = 0;
  std::array<std::uint32_t, 2> counters;
  std::string description;
  CoverageFile* headerFile;  // linedir_in_function only; not owned

  /// A run of reports in merge order that gave the same sc_count.
  struct CountRun {
    std::uint32_t count;
    std::uint32_t reports;
  };
  /// The sc_count of every report as runs, or nullptr while every report
  /// gave statementCount.
  const std::vector<CountRun>* statementCountRuns() const {
    return rare_ && !rare_->statementCountsSeen.empty() ? &rare_->statementCountsSeen : nullptr;
  }
  /// Takes the runs of a saved merge (mergeCount already set); false where
  /// they cannot have come from merging: fewer than two runs, a first run
  /// not of statementCount, equal neighbours, an empty run, or a report
  /// total other than reportCount().
  bool restoreStatementCounts(std::vector<CountRun> runs);

  /// The description of the decision a condition part belongs to; empty for
  /// every other probe.
  std::string_view parentDescription() const {
    return rare_ ? std::string_view(rare_->parentDescription) : std::string_view();
  }

 private:
  // What matching and merging read of a later report's probe, whichever
  // form it comes in.
  struct Fresh;
  static bool isSame(const CoverageProbe& stored, const Fresh& fresh);
  void merge(const Fresh& other);

  // What only some probes have lives behind one pointer that stays null for
  // most, which keeps every probe smaller.
  struct Rare {
    // sc_count of every report in merge order, as runs of equal values, so
    // that it grows with the changes and not with the number of reports;
    // kept only once a report disagrees with the first (until then every
    // entry is statementCount).
    std::vector<CountRun> statementCountsSeen;
    std::unique_ptr<McdcRows> mcdc;
    std::string parentDescription;  // condition parts only
  };
  Rare& rare() {
    if (!rare_) rare_ = std::make_unique<Rare>();
    return *rare_;
  }
  std::unique_ptr<Rare> rare_;
};

}  // namespace kov
