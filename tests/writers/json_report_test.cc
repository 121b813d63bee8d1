#include "writers/json_report.h"

#include <gtest/gtest.h>

#include <string>

#include "base/text_sink.h"
#include "model/coverage.h"
#include "writers/probe_builders.h"
#include "writers/profile_listing.h"
#include "writers/sample_coverage.h"

namespace kov {
namespace {

using testing::probeRecord;

std::string jsonOf(Coverage& coverage, std::string_view root = "") {
  StringSink sink;
  writeJsonReport(coverage, root, sink);
  return sink.text();
}

TEST(JsonReportTest, WholeDocument) {
  auto coverage = testing::sampleCoverage();
  EXPECT_EQ(jsonOf(*coverage), R"json({
  "format": "kovxmlmerge-coverage",
  "format_version": 1,
  "tool": {"name":"kovxmlmerge","version":"3.4"},
  "kovpost_version": "5.1.2",
  "run_time_stamp": "Mon Dec  7 11:14:34 2026",
  "coverage_view": "As instrumented",
  "shown_coverage_views": "decision",
  "reports": [
    {"name":"a.xml","generated":"Sun Dec  6 10:00:00 2026"},
    {"name":"/data/a (1)/r.xml","generated":"Sun Dec  6 12:30:00 2026"}
  ],
  "chosen_files": ["*.c","*.h"],
  "unchosen_files": ["skip.c"],
  "summary": {
    "files": 2,
    "headers": 1,
    "functions": 3,
    "lines": 52,
    "ter": {"percent":56,"hits":5,"all":9},
    "statement": {"percent":100,"hits":0,"all":0,"not_available_functions":3}
  },
  "files": [
    {
      "name": "fco.c",
      "shown_name": "fco.c",
      "type": "source",
      "instrumentation_mode": "function",
      "lines": 12,
      "extracted_headers": [],
      "include_lines": [],
      "ter": {"percent":100,"hits":1,"all":1},
      "statement": {"percent":100,"hits":0,"all":0,"not_available_functions":1},
      "functions": [
        {
          "name": "init",
          "parameters": "(void)",
          "definition_line": 2,
          "call_count": 0,
          "execution_cost": null,
          "ter": {"percent":100,"hits":1,"all":1},
          "statement": {"available":false,"percent":null,"hits":null,"all":null},
          "probes": [
            {"line":2,"kind":"function","nesting":0,"description":"init","true_count":1,"hits":1,"all":1,"fully_covered":true}
          ]
        }
      ]
    },
    {
      "name": "main.c",
      "shown_name": "main.c",
      "type": "source",
      "instrumentation_mode": "decision+timing",
      "lines": 40,
      "extracted_headers": ["util.h"],
      "include_lines": ["#include <stdio.h>"],
      "ter": {"percent":80,"hits":4,"all":5},
      "statement": {"percent":100,"hits":0,"all":0,"not_available_functions":1},
      "functions": [
        {
          "name": "main",
          "parameters": "(int argc)",
          "definition_line": 5,
          "call_count": 4,
          "execution_cost": {"total":-2,"average":-0.5,"max":3},
          "ter": {"percent":80,"hits":4,"all":5},
          "statement": {"available":false,"percent":null,"hits":null,"all":null},
          "probes": [
            {"line":5,"kind":"function","nesting":0,"description":"main","true_count":1,"hits":1,"all":1,"fully_covered":true},
            {"line":7,"kind":"if","nesting":1,"description":"if (argc > 1)","true_count":3,"false_count":0,"hits":1,"all":2,"fully_covered":false},
            {"line":9,"kind":"else","nesting":1,"description":"else","hits":0,"all":0,"fully_covered":true},
            {"line":11,"kind":"block_end","nesting":1,"description":"}","hits":0,"all":0,"fully_covered":true},
            {"line":12,"kind":"return","nesting":1,"description":"return 0;","true_count":1,"hits":1,"all":1,"fully_covered":true},
            {"line":13,"kind":"function_end","nesting":0,"description":"}","true_count":1,"hits":1,"all":1,"fully_covered":true}
          ]
        }
      ]
    },
    {
      "name": "util.h",
      "shown_name": "util.h",
      "type": "header",
      "instrumentation_mode": "decision",
      "lines": 0,
      "extracted_headers": [],
      "include_lines": [],
      "ter": {"percent":0,"hits":0,"all":3},
      "statement": {"percent":100,"hits":0,"all":0,"not_available_functions":1},
      "functions": [
        {
          "name": "operator&",
          "parameters": "const A<int> &",
          "definition_line": 3,
          "call_count": 0,
          "execution_cost": null,
          "ter": {"percent":0,"hits":0,"all":3},
          "statement": {"available":false,"percent":null,"hits":null,"all":null},
          "probes": [
            {"line":3,"kind":"function","nesting":0,"description":"operator&","true_count":0,"hits":0,"all":1,"fully_covered":false},
            {"line":4,"kind":"return","nesting":1,"description":"return a;","true_count":0,"hits":0,"all":1,"fully_covered":false},
            {"line":5,"kind":"function_end","nesting":0,"description":"}","true_count":0,"hits":0,"all":1,"fully_covered":false}
          ]
        }
      ]
    }
  ]
}
)json");
}

// Every walk of the listing starts afresh: the document is the same when
// the listing (or another document) was written before it.
TEST(JsonReportTest, SameAfterAnotherWalk) {
  auto first = testing::sampleCoverage();
  const std::string alone = jsonOf(*first);
  auto second = testing::sampleCoverage();
  StringSink listing;
  writeProfileListing(*second, listing);
  EXPECT_EQ(jsonOf(*second), alone);
  EXPECT_EQ(jsonOf(*second), alone);
}

// A processed set of one file "a.c" with one function and the given probe.
std::unique_ptr<Coverage> oneProbe(std::string_view key, std::string_view name, ProbeRecord probe) {
  auto coverage = std::make_unique<Coverage>("3.4", std::vector<std::string>{},
                                             std::vector<std::string>{},
                                             std::vector<std::string>{},
                                             std::vector<std::string>{});
  coverage->coverageViews = {"As instrumented"};
  CoverageFile* file = coverage->addFile(key, kSourceFile, name, true);
  file->addInstrumentationMode("decision");
  file->addFunction("f", 1, "()", FunctionRecord{});
  file->addProbe("f", 1, "()", std::move(probe));
  coverage->process(testing::kRunStamp);
  return coverage;
}

TEST(JsonReportTest, ShownNamesTakeTheRootOff) {
  auto coverage = oneProbe("c:/work/src/a.c", "C:\\Work\\src\\a.c",
                           probeRecord(ProbeKind::Function, 1, 0, "f", 1));
  const std::string json = jsonOf(*coverage, "c:/WORK");
  EXPECT_NE(json.find("\"name\": \"C:\\\\Work\\\\src\\\\a.c\",\n      \"shown_name\": \"src/a.c\""),
            std::string::npos)
      << json;
}

// A description longer than what is put together in place goes in pieces,
// in its place among the members.
TEST(JsonReportTest, LongDescriptionStaysInItsPlace) {
  const std::string description = std::string(100000, 'x') + "\"\xe9";
  auto coverage = oneProbe("a.c", "a.c", probeRecord(ProbeKind::Return, 2, 1, description, 7));
  const std::string expected = "{\"line\":2,\"kind\":\"return\",\"nesting\":1,\"description\":\"" +
                               std::string(100000, 'x') +
                               "\\\"\xc3\xa9\",\"true_count\":7,\"hits\":1,\"all\":1,\"fully_covered\":true}";
  EXPECT_NE(jsonOf(*coverage).find(expected), std::string::npos);
}

}  // namespace
}  // namespace kov
