#include "driver/state_output.h"

#include "base/diagnostic.h"
#include "driver/output_file.h"
#include "writers/merge_state_xml.h"

namespace kov {

StateOutput::StateOutput(const std::string& name, const Coverage& coverage, bool noDriveLetter)
    : name_(name) {
  if (!OutputFile::writesThroughTemporary(name)) {
    // Written directly, the state would reach a pipe even when the run then
    // fails; and a FIFO would be opened before the processing is done.
    writeMergeState(coverage, noDriveLetter, memory_);
    return;
  }
  try {
    file_ = std::make_unique<OutputFile>(name);
  } catch (const DiagnosticError&) {
    openError_ = std::current_exception();
    return;
  }
  writeMergeState(coverage, noDriveLetter, file_->sink());
}

StateOutput::~StateOutput() = default;

void StateOutput::commit() {
  if (openError_) std::rethrow_exception(openError_);
  if (!file_) {
    file_ = std::make_unique<OutputFile>(name_);
    file_->sink() << memory_.text();
  }
  file_->commit();
}

}  // namespace kov
