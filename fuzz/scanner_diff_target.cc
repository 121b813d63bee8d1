// The differential fuzz target of the reader: the same bytes are read with
// the one-pass probe scanner and with the general rules only, and both must
// give the same record stream (every value the reader took from its element
// and attribute maps ends up in a record) and the same diagnostic, or none.
// A third reading with a small, input-dependent read block moves the block
// ends, where the scanner must hand over to the general path, through the
// probe lines.
//
// The input is cut at every line "#KOV-NEXT#" into up to two reports, read
// one after the other as a run would (a diagnostic ends the reading).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "base/diagnostic.h"
#include "fuzz_files.h"
#include "model/record_stream.h"
#include "reader/kov_parser.h"

namespace {

class CollectingReceiver : public kov::BatchReceiver {
 public:
  void receive(kov::RecordBatch& batch) override {
    records.append(batch.bytes());
    batch.clear();
  }
  std::string records;
};

struct Reading {
  std::string records;
  std::string diagnostic;
  bool outOfMemory = false;
};

Reading read(const std::vector<std::string>& names, bool onePassScan, std::size_t blockSize) {
  Reading result;
  CollectingReceiver receiver;
  kov::RecordWriter writer(receiver);
  kov::KOVParser parser(writer, false, {}, {}, blockSize);
  parser.setOnePassScan(onePassScan);
  try {
    for (const std::string& name : names) parser.parse(name);
  } catch (const kov::DiagnosticError& error) {
    result.diagnostic = error.what();
  } catch (const std::bad_alloc&) {
    result.outOfMemory = true;
  }
  writer.flush();
  result.records = std::move(receiver.records);
  return result;
}

void compare(const Reading& general, const Reading& other, const char* what) {
  if (general.outOfMemory || other.outOfMemory) return;
  if (general.diagnostic != other.diagnostic) {
    std::fprintf(stderr, "%s: diagnostic differs:\n  general: %s\n  scanner: %s\n", what,
                 general.diagnostic.c_str(), other.diagnostic.c_str());
    std::abort();
  }
  if (general.records != other.records) {
    std::size_t at = 0;
    while (at < general.records.size() && at < other.records.size() &&
           general.records[at] == other.records[at]) {
      ++at;
    }
    std::fprintf(stderr, "%s: records differ at byte %zu of %zu/%zu\n", what, at,
                 general.records.size(), other.records.size());
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string_view> parts = kov::fuzz::splitParts(input, 2);
  kov::fuzz::enterFolder();
  // A descriptor left open by a reading would take this number.
  const int freeDescriptor = kov::fuzz::lowestFreeDescriptor();
  std::vector<std::string> names = {"a.xml"};
  kov::fuzz::writeFile("a.xml", parts[0]);
  if (parts.size() == 2) {
    kov::fuzz::writeFile("b.xml", parts[1]);
    names.push_back("b.xml");
  }

  const Reading general = read(names, false, kov::LineReader::kDefaultBlockSize);
  compare(general, read(names, true, kov::LineReader::kDefaultBlockSize), "one-pass scan");
  const std::size_t smallBlock = 16 + size % 200;
  compare(general, read(names, true, smallBlock), "one-pass scan, small blocks");

  kov::fuzz::leaveFolder();
  if (kov::fuzz::lowestFreeDescriptor() != freeDescriptor) {
    std::fprintf(stderr, "a file descriptor leaked\n");
    std::abort();
  }
  return 0;
}
