#include "reader/run_inputs.h"

#include "reader/input_file.h"
#include "reader/merge_state_reader.h"

namespace kov {

PipelineTimes readInputs(const std::vector<std::string>& inputFiles, Coverage& coverage,
                         bool noDriveLetter, const std::vector<std::string>& chosenFiles,
                         const std::vector<std::string>& unchosenFiles, bool secondThread,
                         bool measureTimes) {
  InputFile first(inputFiles.front());
  const std::vector<std::string> more(inputFiles.begin() + 1, inputFiles.end());
  const bool continuesState = isMergeState(first);
  if (continuesState) {
    readMergeState(std::move(first), coverage, noDriveLetter, chosenFiles, unchosenFiles);
  }
  ReportPipeline reading(coverage, noDriveLetter, chosenFiles, unchosenFiles);
  reading.measureTimes(measureTimes);
  if (continuesState) {
    reading.readAll(more, secondThread);
  } else {
    reading.readAll(std::move(first), more, secondThread);
  }
  return reading.times();
}

}  // namespace kov
