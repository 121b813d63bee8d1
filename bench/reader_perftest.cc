// The reader's hot path: one probe element's attribute text, numbers, and a
// whole report read into a fresh and into an already filled coverage set.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "model/coverage.h"
#include "reader/element_scanner.h"
#include "reader/report_pipeline.h"
#include "reader/numbers.h"

namespace kov {
namespace {

constexpr std::string_view kProbeAttributes =
    R"x(type="if" nesting="1" descr="if (x &gt; 0 &amp;&amp; y)" line="1234" sc_count="17" count1="42" count2="0" />)x";

void BM_ParseAttributeText(benchmark::State& state) {
  AttributeMap attributes(tag::kAttributeNames);
  for (auto _ : state) {
    attributes.clear();
    benchmark::DoNotOptimize(parseAttributeText(kProbeAttributes, attributes));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kProbeAttributes.size()));
}
BENCHMARK(BM_ParseAttributeText);

void BM_ToNumber(benchmark::State& state) {
  const std::string_view values[] = {"0", "7", "1234", "4294967295", "0x1F"};
  for (auto _ : state) {
    for (std::string_view value : values) benchmark::DoNotOptimize(toNumber(value));
  }
}
BENCHMARK(BM_ToNumber);

// A report of `functions` functions of 40 probes each, in kovpost's layout.
std::string writeReport(int functions) {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n\n<kov_xml_report>\n\n<header_info>\n"
      "  <kovpost_version>8.3</kovpost_version>\n"
      "  <report_generated>Mon Dec  7 09:12:05 2026</report_generated>\n"
      "  <requested_coverage_view>As instrumented</requested_coverage_view>\n"
      "</header_info>\n\n<kovpost_notices>\n</kovpost_notices>\n\n"
      "<file name=\"src/a.c\">\n  <file_type>source</file_type>\n"
      "  <instrumentation_mode>decision</instrumentation_mode>\n";
  for (int f = 0; f < functions; ++f) {
    const int line = 10 + f * 50;
    text +=
        "  <function name=\"f" + std::to_string(f) + "\">\n    <parameters>(int x)</parameters>\n";
    text += "    <defined_at_line>" + std::to_string(line) + "</defined_at_line>\n";
    text += "    <call_count>3</call_count>\n    <body>\n";
    text += "      <probe type=\"function\" nesting=\"0\" descr=\"f\"\n        line=\"" +
            std::to_string(line) + "\" sc_count=\"0\" count1=\"3\" />\n";
    for (int p = 1; p < 39; ++p) {
      text += "      <probe type=\"if\" nesting=\"1\" descr=\"if (x &gt; " + std::to_string(p) +
              ")\"\n        line=\"" + std::to_string(line + p) + "\" sc_count=\"" +
              std::to_string(p) + "\" count1=\"1\" count2=\"2\" />\n";
    }
    text += "      <probe type=\"function_end\" nesting=\"0\" descr=\"}\"\n        line=\"" +
            std::to_string(line + 39) + "\" sc_count=\"40\" count1=\"3\" />\n";
    text += "    </body>\n  </function>\n";
  }
  text +=
      "  <file_summary>\n    <lines>9</lines>\n  </file_summary>\n</file>\n\n"
      "<overall_summary>\n</overall_summary>\n</kov_xml_report>\n";
  return text;
}

class ReportFile {
 public:
  explicit ReportFile(int functions)
      : path_("/tmp/kov_perftest_" + std::to_string(::getpid()) + ".xml") {
    const std::string text = writeReport(functions);
    std::ofstream(path_, std::ios::binary) << text;
    size_ = text.size();
  }
  ~ReportFile() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }
  std::size_t size() const { return size_; }

 private:
  std::string path_;
  std::size_t size_ = 0;
};

std::unique_ptr<Coverage> newCoverage() {
  return std::make_unique<Coverage>("3.4", std::vector<std::string>{}, std::vector<std::string>{},
                                    std::vector<std::string>{}, std::vector<std::string>{});
}

// The first report builds every function and probe.
void BM_ReadFirstReport(benchmark::State& state) {
  const ReportFile report(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    const auto coverage = newCoverage();
    ReportPipeline parser(*coverage, false, {}, {});
    parser.parse(report.path());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * report.size()));
}
BENCHMARK(BM_ReadFirstReport)->Arg(1000)->Unit(benchmark::kMillisecond);

// Every later report only finds and merges: the common case of a large run.
void BM_MergeLaterReport(benchmark::State& state) {
  const ReportFile report(static_cast<int>(state.range(0)));
  const auto coverage = newCoverage();
  ReportPipeline parser(*coverage, false, {}, {});
  parser.parse(report.path());
  for (auto _ : state) parser.parse(report.path());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * report.size()));
}
BENCHMARK(BM_MergeLaterReport)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kov
