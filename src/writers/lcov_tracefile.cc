#include "writers/lcov_tracefile.h"

#include <cstdint>
#include <string_view>

#include "base/text_sink.h"
#include "writers/export_names.h"
#include "writers/export_records.h"
#include "writers/line_batch.h"

namespace kov {
namespace {

constexpr bool kFunctionName = true;
constexpr bool kFileName = false;

void putCountLine(TextSink& out, std::string_view tag, std::uint64_t value) {
  out << tag;
  out.putUnsigned(value).endLine();
}

void writeFunctions(const ExportRecord& record, TextSink& out) {
  std::uint64_t hit = 0;
  for (const ExportFunction& function : record.functions) {
    out << "FN:";
    out.putUnsigned(function.line) << ',';
    putLcovText(out, function.name, kFunctionName);
    out.endLine();
  }
  for (const ExportFunction& function : record.functions) {
    out << "FNDA:";
    out.putUnsigned(function.count) << ',';
    putLcovText(out, function.name, kFunctionName);
    out.endLine();
    if (function.count > 0) ++hit;
  }
  putCountLine(out, "FNF:", record.functions.size());
  putCountLine(out, "FNH:", hit);
}

void writeBranches(const ExportRecord& record, TextSink& out) {
  std::uint64_t hit = 0;
  std::size_t next = 0;
  LineBatch batch(out);
  for (const ExportLine& line : record.lines) {
    for (std::uint32_t i = 0; i < line.branchesValid; ++i) {
      const ExportBranch& branch = record.branches[next++];
      batch.beginLine();
      batch.put("BRDA:");
      batch.putNumber(line.number);
      batch.put(",");
      batch.putNumber(branch.block);
      batch.put(",");
      batch.putNumber(branch.branch);
      batch.put(",");
      batch.putNumber(branch.taken);  // a number, 0 too: never "-"
      batch.endLine();
      if (branch.taken > 0) ++hit;
    }
  }
  batch.flush();
  putCountLine(out, "BRF:", record.branches.size());
  putCountLine(out, "BRH:", hit);
}

void writeLines(const ExportRecord& record, TextSink& out) {
  std::uint64_t hit = 0;
  LineBatch batch(out);
  for (const ExportLine& line : record.lines) {
    batch.beginLine();
    batch.put("DA:");
    batch.putNumber(line.number);
    batch.put(",");
    batch.putNumber(line.count);
    batch.endLine();
    if (line.count > 0) ++hit;
  }
  batch.flush();
  putCountLine(out, "LF:", record.lines.size());
  putCountLine(out, "LH:", hit);
}

}  // namespace

void writeLcovTracefile(const ExportRecords& records, TextSink& out) {
  for (const ExportRecord& record : records.records) {
    out << "TN:";  // no test name: lcov merges the sections of every run alike
    out.endLine();
    out << "SF:";
    putLcovText(out, record.shownName, kFileName);
    out.endLine();
    writeFunctions(record, out);
    writeBranches(record, out);
    writeLines(record, out);
    out << "end_of_record";
    out.endLine();
  }
}

}  // namespace kov
