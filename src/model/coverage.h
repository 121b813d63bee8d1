// The merged coverage set: the registry of files, the header values of every
// report, the processing step and the totals that both outputs print.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/coverage_common.h"
#include "model/coverage_file.h"

namespace kov {

class Coverage : public CoverageCommon {
 public:
  Coverage(std::string programVersion, std::vector<std::string> argumentList,
           std::vector<std::string> chosenFiles, std::vector<std::string> unchosenFiles,
           std::vector<std::string> copyrightLines);
  ~Coverage() override;

  /// The file of that key; created with the given type, display name and
  /// chosen flag where the registry has none (the first call fixes them).
  CoverageFile* addFile(std::string_view key, std::uint32_t fileType, std::string_view name,
                        bool chosen);
  /// The processing step: view in force, per-file steps, totals and texts.
  /// Takes the run time stamp from the local time.
  void process();
  /// The same with a given run time stamp.
  void process(std::string runTimeStamp);

  /// The files by key (byte-wise order).
  const std::map<std::string, std::unique_ptr<CoverageFile>, std::less<>>& files() const {
    return files_;
  }
  /// Whether the view in force is the MC/DC view.
  bool mcdcView() const;

  std::string programVersion;
  std::string optionsText;
  std::string runTimeStamp;
  std::string requestedCoverageView;
  std::uint32_t chosenSourceFiles = 0;
  std::uint32_t chosenHeaderFiles = 0;
  std::uint32_t chosenFiles = 0;
  std::uint32_t functions = 0;
  std::uint32_t lines = 0;
  std::uint32_t hits = 0;
  std::uint32_t all = 0;
  std::uint32_t terValue = 100;
  std::uint32_t statementHits = 0;
  std::uint32_t statementAll = 0;
  std::uint32_t statementTer = 100;
  std::uint32_t functionsWithStatement = 0;
  std::uint32_t functionsWithoutStatement = 0;
  std::string statementTerText;
  std::vector<std::string> kovpostVersions;
  std::vector<std::string> copyrightLines;
  std::vector<std::string> inputReportList;
  std::vector<std::string> chosenFileNames;
  std::vector<std::string> unchosenFileNames;
  std::vector<std::string> costFunctions;
  std::vector<std::string> costTypes;
  std::vector<std::string> coverageViews;
  std::vector<std::string> reportViews;
  std::vector<std::string> notices;
  std::string shownCoverageViewsText;
  std::vector<std::uint32_t> costScalings;
  std::vector<std::uint32_t> reportLines;
  std::vector<std::uint32_t> reportMeasurementPoints;

 private:
  void addTotals();

  std::map<std::string, std::unique_ptr<CoverageFile>, std::less<>> files_;
};

/// The local time in the form of asctime without its line end.
std::string currentTimeStamp();

}  // namespace kov
