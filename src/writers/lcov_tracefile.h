// The lcov tracefile export (-lcov), the format of genhtml, Codecov,
// Coveralls and editor plugins.
#pragma once

namespace kov {

class TextSink;
struct ExportRecords;

/// Writes one tracefile section per record: TN, SF, FN/FNDA/FNF/FNH,
/// BRDA/BRF/BRH, DA/LF/LH, end_of_record, each list in line order.
void writeLcovTracefile(const ExportRecords& records, TextSink& out);

}  // namespace kov
