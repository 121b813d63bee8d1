#include "reader/run_inputs.h"

#include "reader/input_file.h"
#include "reader/merge_state_reader.h"
#include "reader/report_pipeline.h"

namespace kov {

void readInputs(const std::vector<std::string>& inputFiles, Coverage& coverage, bool noDriveLetter,
                const std::vector<std::string>& chosenFiles,
                const std::vector<std::string>& unchosenFiles, bool secondThread) {
  InputFile first(inputFiles.front());
  const std::vector<std::string> more(inputFiles.begin() + 1, inputFiles.end());
  const bool continuesState = isMergeState(first);
  if (continuesState) {
    readMergeState(std::move(first), coverage, noDriveLetter, chosenFiles, unchosenFiles);
  }
  ReportPipeline reading(coverage, noDriveLetter, chosenFiles, unchosenFiles);
  if (continuesState) {
    reading.readAll(more, secondThread);
  } else {
    reading.readAll(std::move(first), more, secondThread);
  }
}

}  // namespace kov
