// One instrumented function of a file of the merged coverage set.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/coverage_common.h"
#include "model/coverage_probe.h"
#include "model/probe_record.h"

namespace kov {

class CoverageFile;
class McdcAnalysis;

class CoverageFunction : public CoverageCommon {
 public:
  CoverageFunction(std::string name, std::uint32_t definitionLine, std::string parameters,
                   const FunctionRecord& record);
  ~CoverageFunction() override;

  /// Whether the function has this identity.
  bool hasIdentity(std::string_view name, std::uint32_t definitionLine,
                   std::string_view parameters) const {
    return this->definitionLine == definitionLine && this->name == name &&
           this->parameters == parameters;
  }
  /// Folds a later report's occurrence of the function into this one.
  void mergeFrom(const FunctionRecord& record);
  /// Stores a probe or merges it into its stored twin.
  void addProbe(ProbeRecord&& record);
  /// Appends a probe of a saved merge, which lists them in stored order;
  /// false (and the probe dropped) where its line is below the last one's.
  bool restoreProbe(std::unique_ptr<CoverageProbe> probe);
  /// A report's statement availability; only "no" has an effect.
  void setStatementAvailability(std::string_view text);
  /// Adds the name of a line-directive file that holds code of this function.
  void addLineDirectiveFileName(std::string fileName);

  /// The function-level processing step (after all reports are read).
  void processFunction(McdcAnalysis& mcdc, bool mcdcView);

  /// "yes" or "no".
  std::string_view statementAvailableText() const { return statementAvailable ? "yes" : "no"; }
  /// The probes in stored order: by line, equal lines in insertion order.
  const std::vector<std::unique_ptr<CoverageProbe>>& probes() const { return probes_; }

  // Identity.
  std::string name;
  std::uint32_t definitionLine;
  std::string parameters;

  std::uint32_t reportMerges = 0;
  std::uint32_t lineCount = 0;
  std::string terText;
  std::uint32_t hits = 0;
  std::uint32_t all = 0;
  std::uint32_t terValue = 100;
  bool statementAvailable = true;
  std::string statementTerText;
  std::uint32_t statementHits = 0;
  std::uint32_t statementAll = 0;
  std::uint32_t statementTer = 100;
  std::uint32_t shownLine;         // largest start line over the reports
  std::uint32_t lowestHeaderLine;  // smallest header line over the reports
  std::uint32_t callCount;         // summed, saturating
  std::uint32_t totalExecutionCost;  // summed, wrapping; printed as signed
  double averageExecutionCost = 0.0;
  std::int32_t maxExecutionCost;
  bool hasTryBlock = false;
  std::string lastDescription;
  std::vector<std::string> lineDirectiveFileNames;
  CoverageFile* originFile;
  std::string originName;
  std::uint32_t originLine;
  std::string originParameters;
  bool headerWalked = false;  // set by the statement analysis
  bool listed = false;        // set by the profile listing

 private:
  struct LinedirIndex;
  bool isCandidate(std::size_t index, const ProbeRecord& fresh) const;
  CoverageProbe* findMatchingProbe(const ProbeRecord& fresh);
  std::size_t firstAtLine(std::uint32_t line) const;
  CoverageProbe* applyDirectiveRule(const ProbeRecord& fresh);
  CoverageProbe* firstProbeOfKind(ProbeKind kind) const;
  bool earlierProbeMissing(std::uint32_t line);
  void insertProbe(std::unique_ptr<CoverageProbe> probe);
  void eraseProbe(CoverageProbe* probe);

  std::vector<std::unique_ptr<CoverageProbe>> probes_;
  // The line of every stored probe, in one array beside the probes, so that
  // the search for a later report's probe walks dense memory instead of one
  // probe object after the other; lines_[i] is probes_[i]->line.
  std::vector<std::uint32_t> lines_;
  // Position from which the scan for a probe that the current report did not
  // contain goes on: every probe before it has been merged in this report.
  std::size_t unmergedCursor_ = 0;
  // Where the next probe of a later report is likely stored: just after the
  // one matched last, as reports list a function's probes in the same order.
  std::size_t searchHint_ = 0;
  std::unique_ptr<LinedirIndex> linedirIndex_;
};

}  // namespace kov
