// The report reader: reads one coverage report after the other, line by line,
// and feeds its files, functions and probes into the merged coverage set.
#pragma once

#include <string>
#include <vector>

#include "model/coverage_common.h"

namespace kov {

class Coverage;

class KOVParser : public CoverageCommon {
 public:
  /// `chosenFiles` and `unchosenFiles` are the -f and -nf names.
  KOVParser(Coverage& coverage, bool noDriveLetter, std::vector<std::string> chosenFiles,
            std::vector<std::string> unchosenFiles);
  ~KOVParser() override;

  /// Reads one report into the merged coverage set; every failure is raised
  /// as a diagnostic.
  void parse(const std::string& fileName);

 private:
  Coverage& coverage_;
  bool noDriveLetter_;
  std::vector<std::string> chosenKeys_;
  std::vector<std::string> unchosenKeys_;
};

}  // namespace kov
