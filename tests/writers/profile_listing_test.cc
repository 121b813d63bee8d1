#include "writers/profile_listing.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "base/text_sink.h"
#include "writers/sample_coverage.h"

namespace kov {
namespace {

std::string listingOf(Coverage& coverage) {
  StringSink sink;
  writeProfileListing(coverage, sink);
  return sink.text();
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// Source, header and function coverage only files; the excluded file and the
// line-directive file get no section. A pending part left on main.c by the
// processing must not produce a "#line" line.
TEST(ProfileListingTest, WholeListing) {
  auto coverage = testing::sampleCoverage();
  coverage->files().at("main.c")->pendingPart = coverage->files().at("gen.y").get();
  EXPECT_EQ(listingOf(*coverage),
            R"(*****************************************************************************
*           KOV++, Test Coverage Analyzer for C/C++, Version 5.1.2          *
*                                                                           *
*             EXECUTION PROFILE LISTING (MERGED by kovxmlmerge v3.4)        *
*                                                                           *
*                    Copyright line one                                     *
*             Copyright line two                                            *
*****************************************************************************


XML file(s) used      : a.xml (Sun Dec  6 10:00:00 2026)
                      : /data/a (1)/r.xml (Sun Dec  6 12:30:00 2026)
Chosen file(s)        : *.c
                      : *.h
Unchosen file(s)      : skip.c
Listing produced at   : Mon Dec  7 11:14:34 2026
Coverage view         : As instrumented



MONITORED SOURCE FILE : fco.c
INSTRUMENTATION MODE  : function

 HITS/TRUE      FALSE    LINE DESCRIPTION
=============================================================================

         1                  2 init

***TER 100 % (  1/  1) of FILE fco.c
       100 % (  0/  0) statement (N.A. for 1 functions)
-----------------------------------------------------------------------------



MONITORED SOURCE FILE : main.c
INSTRUMENTATION MODE  : decision+timing

 HITS/TRUE      FALSE    LINE DESCRIPTION
=============================================================================

#include "util.h"
#include <stdio.h>
         1                  5 main
         3          0 -     7   if (argc > 1)
                            9   else
                           11   }
         1                 12   return 0;
         1                 13 }

***TER  80 % (  4/  5) of FUNCTION main()
       N.A. statement
-----------------------------------------------------------------------------


***TER  80 % (  4/  5) of FILE main.c
       100 % (  0/  0) statement (N.A. for 1 functions)
-----------------------------------------------------------------------------



MONITORED HEADER FILE : util.h
INSTRUMENTATION MODE  : decision

 HITS/TRUE      FALSE    LINE DESCRIPTION
=============================================================================

         0            -     3 operator&
         0            -     4   return a;
         0            -     5 }

***TER   0 % (  0/  3) of FUNCTION operator&()
       N.A. statement
-----------------------------------------------------------------------------


***TER   0 % (  0/  3) of FILE util.h
       100 % (  0/  0) statement (N.A. for 1 functions)
-----------------------------------------------------------------------------



SUMMARY
=======

Source files       : 2
Headers extracted  : 1
Functions          : 3
Source lines       : 52
TER                : 56 % (5/9) decision
TER                : 100 % (0/0) statement (N.A. for 3 functions)
)");
  for (const auto& [key, file] : coverage->files()) {
    if (key != "gen.y" && key != "skip.c") {
      EXPECT_TRUE(file->firstFunction()->listed) << key;
    }
  }
}

TEST(ProfileListingTest, EveryFileExcluded) {
  Coverage coverage("3.4", {"a.xml", "-f", "none.c", "-p", "-"}, {"none.c"}, {},
                    {"Copyright line one", "Copyright line two"});
  coverage.kovpostVersions = {"5.1.2"};
  coverage.inputReportList = {"a.xml (Sun Dec  6 10:00:00 2026)"};
  coverage.coverageViews = {"Reduced to MC/DC coverage"};
  coverage.reportViews = {"MC/DC"};
  coverage.addFile("a.c", kSourceFile, "a.c", false)->addInstrumentationMode("mcdc");
  coverage.process(testing::kRunStamp);
  EXPECT_EQ(listingOf(coverage),
            R"(*****************************************************************************
*           KOV++, Test Coverage Analyzer for C/C++, Version 5.1.2          *
*                                                                           *
*             EXECUTION PROFILE LISTING (MERGED by kovxmlmerge v3.4)        *
*                                                                           *
*                    Copyright line one                                     *
*             Copyright line two                                            *
*****************************************************************************


XML file(s) used      : a.xml (Sun Dec  6 10:00:00 2026)
Chosen file(s)        : none.c
Listing produced at   : Mon Dec  7 11:14:34 2026
Coverage view         : Reduced to MC/DC coverage



SUMMARY
=======

Source files       : 0
Headers extracted  : 0
Functions          : 0
Source lines       : 0
TER                : 100 % (0/0)
TER                : 100 % (0/0) statement
)");
}

TEST(ProfileListingTest, HeaderEdges) {
  Coverage coverage("3.4", {"a.xml"}, {}, {}, {"Copyright line one", "Copyright line two"});
  // A text of 76 characters gets no padding: the "*" stands right behind it.
  coverage.kovpostVersions = {"5.1.2-build-007"};
  coverage.coverageViews = {"As instrumented"};
  coverage.process(testing::kRunStamp);
  std::vector<std::string> lines = linesOf(listingOf(coverage));
  ASSERT_GT(lines.size(), 13u);
  EXPECT_EQ(lines[1],
            "*           KOV++, Test Coverage Analyzer for C/C++, Version 5.1.2-build-007*");
  // No report carried a generation stamp: the line stays with an empty text.
  EXPECT_EQ(lines[10], "XML file(s) used      : ");
  EXPECT_EQ(lines[11], "Listing produced at   : Mon Dec  7 11:14:34 2026");
}

}  // namespace
}  // namespace kov
