#include "writers/summary_xml.h"

#include <gtest/gtest.h>

#include <string>

#include "base/text_sink.h"
#include "writers/sample_coverage.h"

namespace kov {
namespace {

std::string summaryOf(Coverage& coverage) {
  StringSink sink;
  writeSummaryXml(coverage, sink);
  return sink.text();
}

// The expected documents hold real tab characters.
TEST(SummaryXmlTest, WholeDocument) {
  auto coverage = testing::sampleCoverage();
  EXPECT_EQ(summaryOf(*coverage), R"(<?xml version="1.0" encoding="ISO-8859-1"?>

<kov_xmlmerge_report>

	<header_info>
		<kovpost_version>5.1.2</kovpost_version>
		<kovxmlmerge_version>3.4</kovxmlmerge_version>
		<copyright>Copyright line one</copyright>
		<copyright>Copyright line two</copyright>
		<xmlfiles>
			<xmlfile>
				<name>a.xml</name>
				<generated>Sun Dec  6 10:00:00 2026</generated>
			</xmlfile>
			<xmlfile>
				<name>/data/a (1)/r.xml</name>
				<generated>Sun Dec  6 12:30:00 2026</generated>
			</xmlfile>
		</xmlfiles>
		<report_generated>Mon Dec  7 11:14:34 2026</report_generated>
		<requested_coverage_view>As instrumented</requested_coverage_view>
		<kovxmlmerge_options>a.xml /data/a (1)/r.xml -nf skip.c -x out?.xml</kovxmlmerge_options>
		<execution_cost_function>clock</execution_cost_function>
		<execution_cost_type>cpu</execution_cost_type>
		<execution_cost_scaling>1000</execution_cost_scaling>
	</header_info>

	<file name="fco.c">
		<file_type>source</file_type>
		<instrumentation_mode>function</instrumentation_mode>
		<function name="init">
			<parameters>(void)</parameters>
			<defined_at_line>2</defined_at_line>
			<call_count>0</call_count>
			<total_execution_cost></total_execution_cost>
			<average_execution_cost></average_execution_cost>
			<max_execution_cost></max_execution_cost>
			<function_summary>
				<ter>100</ter>
				<hits>1</hits>
				<all>1</all>
				<statement_ter>100</statement_ter>
				<statement_hits>0</statement_hits>
				<statement_all>0</statement_all>
				<statement_available>no</statement_available>
			</function_summary>
		</function>
		<file_summary>
			<functions>1</functions>
			<lines>12</lines>
			<ter>100</ter>
			<hits>1</hits>
			<all>1</all>
			<statement_ter>100</statement_ter>
			<statement_hits>0</statement_hits>
			<statement_all>0</statement_all>
			<statement_na_functions>1</statement_na_functions>
		</file_summary>
	</file>

	<file name="main.c">
		<file_type>source</file_type>
		<instrumentation_mode>decision+timing</instrumentation_mode>
		<include name="#include &quot;util.h&quot;" />
		<include name="#include &lt;stdio.h&gt;" />
		<function name="main">
			<parameters>(int argc)</parameters>
			<defined_at_line>5</defined_at_line>
			<call_count>4</call_count>
			<total_execution_cost>-2</total_execution_cost>
			<average_execution_cost>-0.5</average_execution_cost>
			<max_execution_cost>3</max_execution_cost>
			<function_summary>
				<ter>80</ter>
				<hits>4</hits>
				<all>5</all>
				<statement_ter>100</statement_ter>
				<statement_hits>0</statement_hits>
				<statement_all>0</statement_all>
				<statement_available>no</statement_available>
			</function_summary>
		</function>
		<file_summary>
			<functions>1</functions>
			<lines>40</lines>
			<ter>80</ter>
			<hits>4</hits>
			<all>5</all>
			<statement_ter>100</statement_ter>
			<statement_hits>0</statement_hits>
			<statement_all>0</statement_all>
			<statement_na_functions>1</statement_na_functions>
		</file_summary>
	</file>

	<file name="util.h">
		<file_type>header</file_type>
		<instrumentation_mode>decision</instrumentation_mode>
		<function name="operator&amp;">
			<parameters>const A&lt;int&gt; &amp;</parameters>
			<defined_at_line>3</defined_at_line>
			<call_count>0</call_count>
			<total_execution_cost></total_execution_cost>
			<average_execution_cost></average_execution_cost>
			<max_execution_cost></max_execution_cost>
			<function_summary>
				<ter>0</ter>
				<hits>0</hits>
				<all>3</all>
				<statement_ter>100</statement_ter>
				<statement_hits>0</statement_hits>
				<statement_all>0</statement_all>
				<statement_available>no</statement_available>
			</function_summary>
		</function>
		<file_summary>
			<functions>1</functions>
			<lines>0</lines>
			<ter>0</ter>
			<hits>0</hits>
			<all>3</all>
			<statement_ter>100</statement_ter>
			<statement_hits>0</statement_hits>
			<statement_all>0</statement_all>
			<statement_na_functions>1</statement_na_functions>
		</file_summary>
	</file>

	<overall_summary>
		<shown_coverage_views>decision</shown_coverage_views>
		<files>2</files>
		<headers>1</headers>
		<functions>3</functions>
		<lines>52</lines>
		<ter>56</ter>
		<hits>5</hits>
		<all>9</all>
		<statement_ter>100</statement_ter>
		<statement_hits>0</statement_hits>
		<statement_all>0</statement_all>
		<statement_na_functions>3</statement_na_functions>
	</overall_summary>

</kov_xmlmerge_report>
)");
}

// No file chosen, and no report carried execution cost settings.
TEST(SummaryXmlTest, EveryFileExcluded) {
  Coverage coverage("3.4", {"a.xml", "-nf", "a.c"}, {}, {"a.c"},
                    {"Copyright line one", "Copyright line two"});
  coverage.kovpostVersions = {"5.1.2"};
  coverage.inputReportList = {"a.xml (Sun Dec  6 10:00:00 2026)"};
  coverage.coverageViews = {"As instrumented"};
  coverage.reportViews = {"decision"};
  coverage.addFile("a.c", kSourceFile, "a.c", false)->addInstrumentationMode("decision");
  coverage.process(testing::kRunStamp);
  EXPECT_EQ(summaryOf(coverage), R"(<?xml version="1.0" encoding="ISO-8859-1"?>

<kov_xmlmerge_report>

	<header_info>
		<kovpost_version>5.1.2</kovpost_version>
		<kovxmlmerge_version>3.4</kovxmlmerge_version>
		<copyright>Copyright line one</copyright>
		<copyright>Copyright line two</copyright>
		<xmlfiles>
			<xmlfile>
				<name>a.xml</name>
				<generated>Sun Dec  6 10:00:00 2026</generated>
			</xmlfile>
		</xmlfiles>
		<report_generated>Mon Dec  7 11:14:34 2026</report_generated>
		<requested_coverage_view>As instrumented</requested_coverage_view>
		<kovxmlmerge_options>a.xml -nf a.c</kovxmlmerge_options>
		<execution_cost_function></execution_cost_function>
		<execution_cost_type></execution_cost_type>
		<execution_cost_scaling></execution_cost_scaling>
	</header_info>

	<overall_summary>
		<shown_coverage_views></shown_coverage_views>
		<files>0</files>
		<headers>0</headers>
		<functions>0</functions>
		<lines>0</lines>
		<ter>100</ter>
		<hits>0</hits>
		<all>0</all>
		<statement_ter>100</statement_ter>
		<statement_hits>0</statement_hits>
		<statement_all>0</statement_all>
		<statement_na_functions>0</statement_na_functions>
	</overall_summary>

</kov_xmlmerge_report>
)");
}

TEST(SummaryXmlTest, InputReportEntrySplitsAtItsLastParenthesis) {
  auto coverage = testing::sampleCoverage();
  coverage->inputReportList = {"/d/a (1)/r&s.xml (S (2))", "nostamp.xml"};
  std::string text = summaryOf(*coverage);
  EXPECT_NE(text.find("\t\t\t<xmlfile>\n"
                      "\t\t\t\t<name>/d/a (1)/r&amp;s.xml (S</name>\n"
                      "\t\t\t\t<generated>2)</generated>\n"
                      "\t\t\t</xmlfile>\n"
                      "\t\t\t<xmlfile>\n"
                      "\t\t\t\t<name>nostamp.xml</name>\n"
                      "\t\t\t\t<generated></generated>\n"
                      "\t\t\t</xmlfile>\n"),
            std::string::npos)
      << text;
}

// Every element takes its own figure: distinct values catch a swapped field.
TEST(SummaryXmlTest, FiguresComeFromTheirFields) {
  auto coverage = testing::sampleCoverage();
  CoverageFile& file = *coverage->files().at("main.c");
  CoverageFunction& function = *file.firstFunction();
  function.terValue = 11;
  function.hits = 12;
  function.all = 13;
  function.statementTer = 14;
  function.statementHits = 15;
  function.statementAll = 16;
  function.statementAvailable = true;
  function.definitionLine = 17;
  function.callCount = 4294967295u;
  function.totalExecutionCost = 2147483648u;
  function.averageExecutionCost = 0.0;
  function.maxExecutionCost = -18;
  file.functionsWithStatement = 9;
  file.functionsWithoutStatement = 20;
  file.largestLineCount = 21;
  file.terValue = 22;
  file.hits = 23;
  file.all = 24;
  file.statementTer = 25;
  file.statementHits = 26;
  file.statementAll = 27;
  coverage->chosenSourceFiles = 31;
  coverage->chosenHeaderFiles = 32;
  coverage->functions = 33;
  coverage->lines = 34;
  coverage->terValue = 35;
  coverage->hits = 36;
  coverage->all = 37;
  coverage->statementTer = 38;
  coverage->statementHits = 39;
  coverage->statementAll = 40;
  coverage->functionsWithoutStatement = 41;
  std::string text = summaryOf(*coverage);
  EXPECT_NE(text.find("\t\t\t<defined_at_line>17</defined_at_line>\n"
                      "\t\t\t<call_count>4294967295</call_count>\n"
                      "\t\t\t<total_execution_cost>-2147483648</total_execution_cost>\n"
                      "\t\t\t<average_execution_cost>0.0</average_execution_cost>\n"
                      "\t\t\t<max_execution_cost>-18</max_execution_cost>\n"
                      "\t\t\t<function_summary>\n"
                      "\t\t\t\t<ter>11</ter>\n"
                      "\t\t\t\t<hits>12</hits>\n"
                      "\t\t\t\t<all>13</all>\n"
                      "\t\t\t\t<statement_ter>14</statement_ter>\n"
                      "\t\t\t\t<statement_hits>15</statement_hits>\n"
                      "\t\t\t\t<statement_all>16</statement_all>\n"
                      "\t\t\t\t<statement_available>yes</statement_available>\n"
                      "\t\t\t</function_summary>\n"
                      "\t\t</function>\n"
                      "\t\t<file_summary>\n"
                      "\t\t\t<functions>29</functions>\n"
                      "\t\t\t<lines>21</lines>\n"
                      "\t\t\t<ter>22</ter>\n"
                      "\t\t\t<hits>23</hits>\n"
                      "\t\t\t<all>24</all>\n"
                      "\t\t\t<statement_ter>25</statement_ter>\n"
                      "\t\t\t<statement_hits>26</statement_hits>\n"
                      "\t\t\t<statement_all>27</statement_all>\n"
                      "\t\t\t<statement_na_functions>20</statement_na_functions>\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\t\t<files>31</files>\n"
                      "\t\t<headers>32</headers>\n"
                      "\t\t<functions>33</functions>\n"
                      "\t\t<lines>34</lines>\n"
                      "\t\t<ter>35</ter>\n"
                      "\t\t<hits>36</hits>\n"
                      "\t\t<all>37</all>\n"
                      "\t\t<statement_ter>38</statement_ter>\n"
                      "\t\t<statement_hits>39</statement_hits>\n"
                      "\t\t<statement_all>40</statement_all>\n"
                      "\t\t<statement_na_functions>41</statement_na_functions>\n"),
            std::string::npos)
      << text;
}

// Bytes that XML cannot hold become "?" in escaped and unescaped texts alike;
// tab, line feed, carriage return and bytes from 0x7F up pass as stored.
TEST(SummaryXmlTest, BytesXmlCannotHoldBecomeQuestionMarks) {
  auto coverage = testing::sampleCoverage();
  coverage->kovpostVersions = {std::string("5.1") + '\0' + "2"};
  coverage->copyrightLines = {"\x7f (c) Caf\xe9", "one\ttwo\x0c"};
  CoverageFile& file = *coverage->files().at("main.c");
  file.displayName = "m\001a&in.c";
  file.instrumentationMode = "decision\x1f";
  file.extractedHeaderNames = {"u\x0bil.h"};
  file.includeLines = {"#include \"x\r\x0e.h\""};
  std::string text = summaryOf(*coverage);
  for (const char* expected : {
           "\t\t<kovpost_version>5.1?2</kovpost_version>\n",
           "\t\t<copyright>\x7f (c) Caf\xe9</copyright>\n",
           "\t\t<copyright>one\ttwo?</copyright>\n",
           "\t<file name=\"m?a&amp;in.c\">\n",
           "\t\t<instrumentation_mode>decision?</instrumentation_mode>\n",
           "\t\t<include name=\"#include &quot;u?il.h&quot;\" />\n",
           "\t\t<include name=\"#include &quot;x\r?.h&quot;\" />\n",
       }) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected;
  }
}

}  // namespace
}  // namespace kov
