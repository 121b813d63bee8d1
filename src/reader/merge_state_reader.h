// Reading a merge state back into an empty merged coverage set, so that a run
// continues from it as if it had read the reports the state was made from.
#pragma once

#include <string>
#include <vector>

#include "reader/input_file.h"

namespace kov {

class Coverage;

/// Whether the input begins as a merge state does (its root element); false
/// for a report and for anything that cannot be read. What it reads of the
/// input's start stays with the input for the reader that takes it over.
bool isMergeState(InputFile& input);

/// Loads the state in `fileName` into `coverage`, which holds nothing yet.
/// The flag and names are the run's -ndl, -f and -nf: every file's chosen
/// flag comes from its display name and this run's names. Raises error 33
/// for another format version, 35 where the state was saved with another
/// -ndl setting and 34 for a state that is cut short, damaged or edited.
void readMergeState(InputFile state, Coverage& coverage, bool noDriveLetter,
                    const std::vector<std::string>& chosenFiles,
                    const std::vector<std::string>& unchosenFiles);
/// The same for a state not opened yet.
inline void readMergeState(const std::string& fileName, Coverage& coverage, bool noDriveLetter,
                           const std::vector<std::string>& chosenFiles,
                           const std::vector<std::string>& unchosenFiles) {
  readMergeState(InputFile(fileName), coverage, noDriveLetter, chosenFiles, unchosenFiles);
}

}  // namespace kov
