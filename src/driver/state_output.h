// The -m output. The merge state is taken from the set as read, before the
// processing step changes it, but it reaches its name only once the whole
// run has succeeded: a failed run leaves whatever state was there before,
// from which the next run can still continue.
#pragma once

#include <exception>
#include <memory>
#include <string>

#include "base/text_sink.h"

namespace kov {

class Coverage;
class OutputFile;

class StateOutput {
 public:
  /// Writes the state of `coverage` (not processed yet) beside its target
  /// or, for a stream or device, into memory. A target that cannot be
  /// opened is reported by commit(), in the order of the outputs.
  StateOutput(const std::string& name, const Coverage& coverage, bool noDriveLetter);
  ~StateOutput();

  /// Puts the state in place; raises error 24 where it cannot.
  void commit();

 private:
  std::string name_;
  std::unique_ptr<OutputFile> file_;  // null while the state waits in memory
  std::exception_ptr openError_;
  StringSink memory_;
};

}  // namespace kov
