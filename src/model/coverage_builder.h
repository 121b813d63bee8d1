// Replays the record stream of the reports into the merged coverage set: the
// one place where what a report holds becomes calls on the model.
#pragma once

#include <array>
#include <string_view>

#include "model/probe_record.h"
#include "model/record_stream.h"

namespace kov {

class Coverage;
class CoverageFile;
class CoverageFunction;

class CoverageBuilder {
 public:
  explicit CoverageBuilder(Coverage& coverage) : coverage_(coverage) {}

  /// Applies every record of a batch, in order.
  void consume(std::string_view batch);

 private:
  CoverageFile& file(std::uint8_t slot) const;
  CoverageFunction& function(std::uint8_t slot) const;
  void addFile(RecordCursor& in);
  void addFunction(RecordCursor& in);
  void addPartFunction(RecordCursor& in);
  void addProbe(RecordCursor& in);
  void addToList(RecordCursor& in, bool number);

  Coverage& coverage_;
  std::array<CoverageFile*, kFileSlots> files_{};
  std::array<CoverageFunction*, kFunctionSlots> functions_{};
  FunctionRecord function_;  // reused, so that merging allocates nothing
  ProbeRecord probe_;
};

}  // namespace kov
