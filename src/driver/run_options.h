// What the command line asks for.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "driver/ter_gate.h"

namespace kov {

struct RunOptions {
  std::vector<std::string> argumentList;  // every argument after options-file expansion
  std::vector<std::string> inputFiles;    // in command-line order; never empty after parsing
  std::string profileFileName;            // -p; empty when not given
  std::string xmlFileName;                // -x; empty when not given
  std::vector<std::string> chosenFiles;   // all -f names
  std::vector<std::string> unchosenFiles; // all -nf names
  bool noDriveLetter = false;             // -ndl
  std::string coberturaFileName;          // -cobertura; empty when not given
  std::string lcovFileName;               // -lcov; empty when not given
  std::string exportRoot;                 // -root; empty when not given
  std::optional<TerMinimum> minimumTer;   // -min-ter
  std::string stateFileName;              // -m; empty when not given
  std::string jsonFileName;               // -json; empty when not given
  std::string sonarFileName;              // -sonar; empty when not given
  std::string markdownFileName;           // -md; empty when not given
  std::optional<TerMinimum> minimumStatementTer;  // -min-statement
};

}  // namespace kov
