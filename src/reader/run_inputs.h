// The inputs of one run, read in command-line order into the merged set.
#pragma once

#include <string>
#include <vector>

#include "reader/report_pipeline.h"

namespace kov {

class Coverage;

/// Reads `inputFiles` into `coverage`, which holds nothing yet: a merge state
/// standing first is loaded in the place of the reports it was made from,
/// every other input is read as a report (with `secondThread`, on a thread of
/// its own). The flag and names are the run's -ndl, -f and -nf. The first
/// input is opened once and read once: what is read to recognise a state
/// goes on to the reader that takes the input, so that a pipe works too.
/// Returns where the time of reading the reports went, measured only with
/// `measureTimes`.
PipelineTimes readInputs(const std::vector<std::string>& inputFiles, Coverage& coverage,
                         bool noDriveLetter, const std::vector<std::string>& chosenFiles,
                         const std::vector<std::string>& unchosenFiles, bool secondThread,
                         bool measureTimes = false);

}  // namespace kov
