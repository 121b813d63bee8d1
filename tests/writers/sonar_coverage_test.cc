#include "writers/sonar_coverage.h"

#include <gtest/gtest.h>

#include <string>

#include "base/text_sink.h"
#include "writers/export_records.h"

namespace kov {
namespace {

std::string sonarOf(const ExportRecords& records) {
  StringSink sink;
  writeSonarCoverage(records, sink);
  return sink.text();
}

ExportRecord record(std::string shownName, std::vector<ExportLine> lines) {
  ExportRecord made;
  made.shownName = std::move(shownName);
  made.lines = std::move(lines);
  return made;
}

// The expected document holds real tab characters.
TEST(SonarCoverageTest, WholeDocument) {
  ExportRecords records;
  records.records.push_back(record("src/a.c", {{0, 5, 2, 1},  // a line 0: left out
                                               {1, 3, 0, 0},
                                               {2, 0, 0, 0},
                                               {3, 9, 2, 1},
                                               {4, 0, 4, 0},
                                               {4294967295u, 1, 0, 0}}));
  records.records.push_back(record("Caf\xe9 & <Cr\xe8me> \"'\x01\t.c", {}));
  EXPECT_EQ(sonarOf(records), R"(<?xml version="1.0" encoding="UTF-8"?>
<coverage version="1">
	<file path="src/a.c">
		<lineToCover lineNumber="1" covered="true"/>
		<lineToCover lineNumber="2" covered="false"/>
		<lineToCover lineNumber="3" covered="true" branchesToCover="2" coveredBranches="1"/>
		<lineToCover lineNumber="4" covered="false" branchesToCover="4" coveredBranches="0"/>
		<lineToCover lineNumber="4294967295" covered="true"/>
	</file>
	<file path="Caf)" "\xc3\xa9 &amp; &lt;Cr\xc3\xa8me&gt; &quot;&apos;?\t.c"
            R"(">
	</file>
</coverage>
)");
}

TEST(SonarCoverageTest, NoRecords) {
  EXPECT_EQ(sonarOf(ExportRecords{}),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<coverage version=\"1\">\n</coverage>\n");
}

}  // namespace
}  // namespace kov
