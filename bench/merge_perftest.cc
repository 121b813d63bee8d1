// The merge of a later report's probes into a stored function: matching by
// line, kind, nesting and description, then summing the counters.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "model/coverage_function.h"

namespace kov {
namespace {

ProbeRecord probeAt(ProbeKind kind, std::uint32_t line, std::uint32_t statements) {
  ProbeRecord record;
  record.kind = kind;
  record.counterLayout = counterLayoutOf(kind, true);
  record.line = line;
  record.listedLine = line;
  record.counters = {1, 2};
  record.statementCount = statements;
  record.nesting = 1;
  record.description = "if (value_" + std::to_string(line) + " > limit)";
  return record;
}

// One occurrence of a function of `probes` probes, in report order.
std::vector<ProbeRecord> occurrence(std::uint32_t probes) {
  std::vector<ProbeRecord> records;
  records.push_back(probeAt(ProbeKind::Function, 10, 0));
  for (std::uint32_t i = 1; i < probes; ++i) records.push_back(probeAt(ProbeKind::If, 10 + i, i));
  return records;
}

void BM_MergeFunctionOccurrence(benchmark::State& state) {
  const auto probes = static_cast<std::uint32_t>(state.range(0));
  const std::vector<ProbeRecord> records = occurrence(probes);
  CoverageFunction function("f", 10, "(int)", FunctionRecord{});
  for (ProbeRecord record : records) function.addProbe(std::move(record));
  std::vector<ProbeRecord> copies;
  for (auto _ : state) {
    state.PauseTiming();
    copies = records;
    state.ResumeTiming();
    for (ProbeRecord& record : copies) function.addProbe(std::move(record));
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * probes));
}
// Time per probe must stay flat as the function grows.
BENCHMARK(BM_MergeFunctionOccurrence)->Arg(100)->Arg(10000)->Arg(100000);

}  // namespace
}  // namespace kov
