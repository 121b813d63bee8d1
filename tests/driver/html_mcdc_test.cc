// The MC/DC tables of the HTML report for decisions read from reports: what
// a new test must do, from the MC/DC result the analysis leaves.
#include "writers/html/html_report.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <unistd.h>
#include <vector>

#include "base/text_sink.h"
#include "model/coverage.h"
#include "reader/report_pipeline.h"

namespace kov::html {
namespace {

namespace fs = std::filesystem;

class MemoryOutput : public ReportOutput {
 public:
  TextSink& beginFile(std::string_view name) override {
    name_ = name;
    sink_ = StringSink();
    return sink_;
  }
  void endFile() override { files[name_] = sink_.text(); }
  std::map<std::string, std::string> files;

 private:
  std::string name_;
  StringSink sink_;
};

// One report under the MC/DC view with one decision of two conditions, whose
// evaluations (description, true or false, count) are given.
std::string reportWith(const std::vector<std::tuple<std::string, bool, int>>& evaluations) {
  std::string probes;
  int number = 0;
  for (const auto& [vector, outcome, count] : evaluations) {
    probes += std::string("      <probe type=\"") + (outcome ? "multi_cond_t" : "multi_cond_f") +
              "\" nesting=\"1\" descr=\"" + vector + "\" eval_no=\"" + std::to_string(++number) +
              "\"\n        line=\"3\" sc_count=\"0\" " + (outcome ? "count1" : "count2") + "=\"" +
              std::to_string(count) + "\" />\n";
  }
  return R"xml(<?xml version="1.0" encoding="ISO-8859-1"?>

<kov_xml_report>

<header_info>
  <kovpost_version>8.3</kovpost_version>
  <report_generated>Tue Dec  8 07:30:00 2026</report_generated>
  <requested_coverage_view>Reduced to MC/DC coverage</requested_coverage_view>
  <execution_cost_function>none</execution_cost_function>
  <execution_cost_type>none</execution_cost_type>
  <execution_cost_scaling>1</execution_cost_scaling>
</header_info>

<kovpost_notices>
  <notice>Test run</notice>
</kovpost_notices>

<file name="d.c">
  <file_type>source</file_type>
  <instrumentation_mode>MC/DC</instrumentation_mode>
  <function name="f">
    <parameters>(int a, int b)</parameters>
    <defined_in_file>d.c</defined_in_file>
    <defined_at_line>2</defined_at_line>
    <call_count>1</call_count>
    <total_execution_cost>0</total_execution_cost>
    <average_execution_cost>0</average_execution_cost>
    <max_execution_cost>0</max_execution_cost>
    <body>
      <probe type="function" nesting="0" descr="f"
        line="2" sc_count="0" count1="1" />
      <probe type="if" nesting="1" descr="if (a &amp;&amp; b)"
        line="3" sc_count="0" count1="1" count2="1" />
)xml" + probes + R"xml(      <probe type="mcdc" nesting="1" descr="a &amp;&amp; b"
        line="3" sc_count="0" />
      <probe type="function_end_nr" nesting="0" descr="}"
        line="5" sc_count="0" />
    </body>
    <function_summary>
      <statement_available>yes</statement_available>
    </function_summary>
  </function>
  <file_summary>
    <lines>5</lines>
  </file_summary>
</file>

<overall_summary>
  <shown_coverage_views>MC/DC</shown_coverage_views>
  <lines>5</lines>
  <measurement_points>9</measurement_points>
</overall_summary>
</kov_xml_report>
)xml";
}

// The rows of the independence pairs table, as text.
std::vector<std::string> pairRows(const std::string& report) {
  const fs::path file = fs::temp_directory_path() / ("kov_mcdc_" + std::to_string(::getpid()) + ".xml");
  std::ofstream(file, std::ios::binary) << report;
  Coverage coverage("3.4", {}, {}, {}, {"one", "two"});
  {
    ReportPipeline reading(coverage, false, {}, {});
    reading.readAll({file.string()}, false);
  }
  fs::remove(file);
  coverage.process("Mon Dec  7 11:14:34 2026");
  MemoryOutput output;
  writeHtmlReport(coverage, output, nullptr);
  const std::string& page = output.files["f1.html"];
  std::vector<std::string> rows;
  const std::size_t table = page.find("<table class=\"pairs\">");
  if (table == std::string::npos) return rows;
  const std::string body = page.substr(table, page.find("</table>", table) - table);
  const std::regex row("<tr( class=\"u\")?><td[^>]*>(.*?)</td><td>(.*?)</td><td>(.*?)</td></tr>");
  const std::regex tag("<[^>]*>");
  for (std::sregex_iterator it(body.begin(), body.end(), row), end; it != end; ++it) {
    std::string text = std::string((*it)[1].matched ? "missing " : "") + (*it)[2].str() + " | " +
                       (*it)[3].str() + " | " + (*it)[4].str();
    rows.push_back(std::regex_replace(text, tag, ""));
  }
  return rows;
}

TEST(HtmlMcdcTest, WhatANewTestMustDo) {
  struct Case {
    std::string what;
    std::vector<std::tuple<std::string, bool, int>> evaluations;
    std::vector<std::string> rows;
  } cases[] = {
      {"both pairs shown",
       {{"TT", true, 2}, {"F_", false, 1}, {"TF", false, 1}},
       {"1 | MC/DC (cond 1): 1 + 2 | \xE2\x9C\x93 covered",
        "2 | MC/DC (cond 2): 1 + 3 | \xE2\x9C\x93 covered"}},
      {"one evaluation never ran",
       {{"TT", true, 2}, {"F_", false, 1}, {"TF", false, 0}},
       {"1 | MC/DC (cond 1): 1 + 2 | \xE2\x9C\x93 covered",
        "missing \xE2\x9C\x97 2 | MC/DC (cond 2): 1 - 3 | run TF: it pairs with 1 for condition 2"}},
      {"neither evaluation of a pair ran",
       {{"TT", true, 0}, {"F_", false, 1}, {"TF", false, 0}},
       {"missing \xE2\x9C\x97 1 | MC/DC (cond 1): 1 - 2 | run TT: it pairs with 2 for condition 1",
        "missing \xE2\x9C\x97 2 | MC/DC (cond 2): 1 - 3 | run TT and TF (1 and 3, neither ran): "
        "they pair for condition 2"}},
      {"no false evaluation at all: no pair",
       {{"TT", true, 3}},
       {"missing \xE2\x9C\x97 1 to 2 | (no pair) | no pair can be made from the evaluations the "
        "report lists"}},
  };
  for (const Case& c : cases) EXPECT_EQ(pairRows(reportWith(c.evaluations)), c.rows) << c.what;
}

}  // namespace
}  // namespace kov::html
