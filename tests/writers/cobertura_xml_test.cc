#include "writers/cobertura_xml.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <ctime>
#include <optional>
#include <string>

#include "base/text_sink.h"
#include "model/coverage.h"
#include "writers/export_records.h"

namespace kov {
namespace {

TEST(CoberturaRateTest, FourDecimalsNeverRoundedToAnEnd) {
  struct Case {
    std::uint64_t covered;
    std::uint64_t valid;
    const char* rate;
  } cases[] = {
      {0, 0, "1"},        {3, 3, "1"},          {0, 5, "0"},          {1, 2, "0.5"},
      {1, 8, "0.125"},    {6, 7, "0.8571"},     {2, 3, "0.6667"},     {1, 3, "0.3333"},
      {9999, 10000, "0.9999"}, {99999, 100000, "0.9999"},  // 0.99999 would round to 1
      {1, 100000, "0.0001"},   {1, 3000000000u, "0.0001"},  // and 0.0000003 to 0
      {3000000000u, 4000000000u, "0.75"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(coberturaRate(c.covered, c.valid), c.rate) << c.covered << "/" << c.valid;
  }
}

// The stamp is local time; under UTC its seconds are those of the calendar.
class SecondsSince1970Test : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* tz = ::getenv("TZ")) saved_ = tz;
    ::setenv("TZ", "UTC", 1);
    ::tzset();
  }
  void TearDown() override {
    if (saved_) {
      ::setenv("TZ", saved_->c_str(), 1);
    } else {
      ::unsetenv("TZ");
    }
    ::tzset();
  }
  std::optional<std::string> saved_;
};

TEST_F(SecondsSince1970Test, ReadsTheRunTimeStamp) {
  EXPECT_EQ(secondsSince1970("Thu Jan  1 00:00:00 1970"), 0);
  EXPECT_EQ(secondsSince1970("Mon Dec  7 11:14:34 2026"), 1796642074);
  EXPECT_EQ(secondsSince1970("Sat Feb 29 23:59:59 2028"), 1835481599);
  EXPECT_EQ(secondsSince1970(""), 0);
  EXPECT_EQ(secondsSince1970("yesterday"), 0);
}

ExportLine line(std::uint32_t number, std::uint32_t count, std::uint32_t valid = 0,
                std::uint32_t covered = 0) {
  return ExportLine{number, count, valid, covered};
}

// Packages follow the directories in the order of their first record, and
// every level carries the rates of what it holds.
TEST(CoberturaXmlTest, WholeDocument) {
  Coverage coverage("3.4", {"a.xml"}, {}, {}, {"c1", "c2"});
  coverage.runTimeStamp = "garbage";  // no time stamp: 0
  ExportRecords records;
  records.source = "C:\\src\\";
  ExportRecord ab{"a\\b.c", "a/b.c", {}, {line(1, 1), line(2, 0, 2, 1)}, {}, {}};
  ab.functions.push_back(ExportFunction{"f(int x, A<B> &y)", "(int x, A<B> &y)", 1, 1, 0, 2});
  ExportRecord abc{"a\\b\\c.c", "a/b/c.c", {}, {line(4, 0)}, {}, {}};
  ExportRecord ac{"a\\c.c", "a/c.c", {}, {line(7, 3, 4, 3)}, {}, {}};
  ExportRecord top{"top\"s.c", "top\"s\x01.c", {}, {}, {}, {}};
  records.records = {ab, abc, ac, top};

  StringSink sink;
  writeCoberturaXml(coverage, records, sink);
  EXPECT_EQ(sink.text(), R"xml(<?xml version="1.0" encoding="ISO-8859-1"?>
<!DOCTYPE coverage SYSTEM "http://cobertura.sourceforge.net/xml/coverage-04.dtd">
<coverage line-rate="0.5" branch-rate="0.6667" lines-covered="2" lines-valid="4" branches-covered="4" branches-valid="6" complexity="0" version="3.4" timestamp="0">
	<sources>
		<source>C:\src\</source>
	</sources>
	<packages>
		<package name="a" line-rate="0.6667" branch-rate="0.6667" complexity="0">
			<classes>
				<class name="a/b.c" filename="a/b.c" line-rate="0.5" branch-rate="0.5" complexity="0">
					<methods>
						<method name="f(int x, A&lt;B&gt; &amp;y)" signature="(int x, A&lt;B&gt; &amp;y)" line-rate="0.5" branch-rate="0.5" complexity="0">
							<lines>
								<line number="1" hits="1"/>
								<line number="2" hits="0" branch="true" condition-coverage="50% (1/2)"/>
							</lines>
						</method>
					</methods>
					<lines>
						<line number="1" hits="1"/>
						<line number="2" hits="0" branch="true" condition-coverage="50% (1/2)"/>
					</lines>
				</class>
				<class name="a/c.c" filename="a/c.c" line-rate="1" branch-rate="0.75" complexity="0">
					<methods>
					</methods>
					<lines>
						<line number="7" hits="3" branch="true" condition-coverage="75% (3/4)"/>
					</lines>
				</class>
			</classes>
		</package>
		<package name="a/b" line-rate="0" branch-rate="1" complexity="0">
			<classes>
				<class name="a/b/c.c" filename="a/b/c.c" line-rate="0" branch-rate="1" complexity="0">
					<methods>
					</methods>
					<lines>
						<line number="4" hits="0"/>
					</lines>
				</class>
			</classes>
		</package>
		<package name="." line-rate="1" branch-rate="1" complexity="0">
			<classes>
				<class name="top&quot;s?.c" filename="top&quot;s?.c" line-rate="1" branch-rate="1" complexity="0">
					<methods>
					</methods>
					<lines>
					</lines>
				</class>
			</classes>
		</package>
	</packages>
</coverage>
)xml");
}

}  // namespace
}  // namespace kov
