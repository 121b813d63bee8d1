// Matching a later report's probe while it is still a record, and the lookup
// of probe keywords.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/diagnostic.h"
#include "model/coverage_function.h"
#include "model/coverage_probe.h"
#include "model_builders.h"

namespace kov {
namespace {

using testing::probe;

TEST(ProbeKeywordLookup, AKeywordWithOneByteChangedIsUnknown) {
  for (std::uint32_t k = 1; k <= 51; ++k) {
    std::string keyword(keywordOf(static_cast<ProbeKind>(k)));
    // Change a byte that is neither the first, the middle nor the last one.
    for (std::size_t at = 1; at + 1 < keyword.size(); ++at) {
      if (at == keyword.size() / 2) continue;
      std::string changed = keyword;
      changed[at] = changed[at] == 'x' ? 'y' : 'x';
      EXPECT_THROW(probeKindOf(changed), DiagnosticError) << changed;
    }
  }
}

ProbeRecord withParent(ProbeRecord record, const std::string& parent) {
  record.parentDescription = parent;
  return record;
}

TEST(ProbeRecordMatch, AgreesWithMatchingABuiltProbe) {
  const CoverageProbe stored(withParent(probe("sub_cond", 3, 1, 0, 2, "a", 1), "if (a)"));
  const ProbeRecord fresh[] = {
      withParent(probe("sub_cond", 3, 0, 1, 2, "a", 1), "if (a)"),
      withParent(probe("sub_cond", 3, 0, 1, 2, "a", 1), "if (b)"),
      probe("sub_cond", 3, 0, 1, 2, "a", 1),
      probe("sub_cond", 4, 0, 1, 2, "a", 1),
      probe("sub_cond", 3, 0, 1, 2, "a", 2),
  };
  for (const ProbeRecord& record : fresh) {
    EXPECT_EQ(CoverageProbe::isSameProbe(stored, record),
              CoverageProbe::isSameProbe(stored, CoverageProbe(ProbeRecord(record))))
        << record.line << " " << record.parentDescription;
  }
  EXPECT_TRUE(CoverageProbe::isSameProbe(CoverageProbe(probe("mcdc", 3, 0, 0, 0, "a+ && b-")),
                                         probe("mcdc", 3, 0, 0, 0, "a- && b+")));
}

TEST(ProbeRecordMatch, MergingARecordEqualsMergingItsProbe) {
  ProbeRecord second = probe("const_if", 7, 0, 4, 5);
  second.listedLine = 9;
  second.headerLine = 2;
  CoverageProbe byRecord(probe("const_if", 7, 3, 0, 4));
  CoverageProbe byProbe(probe("const_if", 7, 3, 0, 4));
  byRecord.mergeFrom(second);
  byProbe.mergeFrom(CoverageProbe(std::move(second)));
  EXPECT_EQ(byRecord.counters, byProbe.counters);
  EXPECT_EQ(byRecord.counterLayout, byProbe.counterLayout);
  EXPECT_EQ(byRecord.shownLine, 9u);
  EXPECT_EQ(byRecord.lowestHeaderLine, byProbe.lowestHeaderLine);
  EXPECT_EQ(byRecord.statementCountText(), "4, 5");
  EXPECT_EQ(byRecord.statementCountText(), byProbe.statementCountText());
  EXPECT_EQ(byRecord.hits, byProbe.hits);
}

// The statement counts are kept as runs of equal values; the text still
// lists every report's count in merge order.
TEST(ProbeRecordMatch, StatementCountsOfManyReportsKeepTheirOrder) {
  CoverageProbe a(probe("case", 1, 0, 0, 7));
  const std::uint32_t later[] = {7, 9, 9, 7, 9, 7, 7};
  for (std::uint32_t count : later) a.mergeFrom(probe("case", 1, 0, 0, count));
  EXPECT_EQ(a.statementCountText(), "7, 7, 9, 9, 7, 9, 7, 7");

  CoverageProbe b(probe("case", 1, 0, 0, 3));
  for (int i = 0; i < 3; ++i) b.mergeFrom(probe("case", 1, 0, 0, 3));
  b.mergeFrom(probe("case", 1, 0, 0, 4));
  for (int i = 0; i < 2; ++i) b.mergeFrom(probe("case", 1, 0, 0, 4));
  EXPECT_EQ(b.statementCountText(), "3, 3, 3, 3, 4, 4, 4");
  EXPECT_EQ(b.reportCount(), 7u);
}

// The search starts where the previous probe matched; a report that lists
// the probes in another order must still find each one's twin.
TEST(ProbeRecordMatch, FindsTwinsInAnyOrder) {
  auto occurrence = [](std::uint32_t calls) {
    std::vector<ProbeRecord> report{probe("function", 10, calls)};
    for (std::uint32_t line = 11; line < 40; ++line) {
      report.push_back(probe("if", line, calls, line, line - 10));
      report.push_back(probe("return", line, calls, 0, line - 10, "return"));
    }
    return report;
  };
  CoverageFunction function("f", 10, "()", testing::function(nullptr, "f", 10));
  for (ProbeRecord record : occurrence(1)) function.addProbe(std::move(record));
  std::vector<ProbeRecord> later = occurrence(2);
  std::reverse(later.begin() + 1, later.end());
  for (ProbeRecord record : later) function.addProbe(std::move(record));

  ASSERT_EQ(function.probes().size(), 59u);  // nothing stored twice
  for (const auto& stored : function.probes()) {
    EXPECT_EQ(stored->mergeCount, 1u) << stored->line;
    EXPECT_EQ(stored->counters[0], 3u) << stored->line;
    if (stored->kind == ProbeKind::If) {
      EXPECT_EQ(stored->counters[1], 2 * stored->line);
    }
  }
}

}  // namespace
}  // namespace kov
