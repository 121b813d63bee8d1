#include "driver/run.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <iostream>
#include <new>
#include <optional>
#include <string_view>
#include <thread>

#include "base/diagnostic.h"
#include "base/thread_clock.h"
#include "driver/command_line.h"
#include "driver/output_file.h"
#include "driver/state_output.h"
#include "driver/usage.h"
#include "model/coverage.h"
#include "reader/merge_state_reader.h"
#include "reader/report_pipeline.h"
#include "writers/cobertura_xml.h"
#include "writers/export_records.h"
#include "writers/lcov_tracefile.h"
#include "writers/profile_listing.h"
#include "writers/summary_xml.h"

namespace kov {
namespace {

template <typename Writer>
void writeOutput(const std::string& name, Writer&& writer) {
  OutputFile output(name);
  writer(output.sink());
  output.commit();
}

// Reading runs on a second thread where the machine has a second core.
// KOVXMLMERGE_THREADS=1 keeps everything on one thread, =2 asks for the
// second thread whatever the machine; the outputs are the same either way.
bool readOnSecondThread() {
  const char* setting = std::getenv("KOVXMLMERGE_THREADS");
  if (setting != nullptr && std::string_view(setting) == "1") return false;
  if (setting != nullptr && std::string_view(setting) == "2") return true;
  return std::thread::hardware_concurrency() != 1;
}

// KOVXMLMERGE_THREAD_TIMES names a file to which a run appends one line of
// where its time went (the benchmarks read it); nothing else changes.
const char* threadTimesFile() { return std::getenv("KOVXMLMERGE_THREAD_TIMES"); }

void appendThreadTimes(const char* fileName, const PipelineTimes& times, double wallStart) {
  std::FILE* file = std::fopen(fileName, "a");
  if (file == nullptr) return;
  std::fprintf(file,
               "threads=%d reading_cpu=%.4f reading_wait=%.4f merging_cpu=%.4f merging_wait=%.4f "
               "main_cpu=%.4f wall=%.4f\n",
               times.secondThread ? 2 : 1, times.readingCpu, times.readingWait, times.mergingCpu,
               times.mergingWait, threadCpuSeconds(), wallSeconds() - wallStart);
  std::fclose(file);
}

void printDiagnostic(const char* line) {
  std::cout.flush();
  std::cerr << line << std::endl;
  std::cerr.clear();  // a failure to print the message changes nothing
}

bool wantsExports(const RunOptions& options) {
  return !options.coberturaFileName.empty() || !options.lcovFileName.empty();
}

// Both exports show the same records, so they are computed once.
void writeExports(const RunOptions& options, const Coverage& coverage,
                  const ExportRecords& records) {
  if (!options.coberturaFileName.empty()) {
    writeOutput(options.coberturaFileName,
                [&](TextSink& sink) { writeCoberturaXml(coverage, records, sink); });
  }
  if (!options.lcovFileName.empty()) {
    writeOutput(options.lcovFileName, [&](TextSink& sink) { writeLcovTracefile(records, sink); });
  }
}

// The -min-ter gate, checked once every output is written: a CI job fails on
// the status while its dashboards still get the outputs.
bool passesGate(const RunOptions& options, const Coverage& coverage) {
  if (!options.minimumTer || !isBelow(coverage.terValue, *options.minimumTer)) return true;
  printDiagnostic(composeLine(diag::kTerBelowMinimum, std::to_string(coverage.terValue),
                              options.minimumTer->text)
                      .c_str());
  return false;
}

int runStages(const std::vector<std::string>& arguments) {
  const double wallStart = wallSeconds();
  std::optional<RunOptions> options = parseCommandLine(arguments, std::cout);
  if (!options) return 1;
  PipelineTimes times;

  Coverage coverage(kProgramVersion, options->argumentList, options->chosenFiles,
                    options->unchosenFiles, copyrightLines());
  {
    // A merge state stands first, in the place of the reports it was made
    // from; the reports after it are read as if those had just been read.
    std::vector<std::string> reports = options->inputFiles;
    if (isMergeState(reports.front())) {
      readMergeState(reports.front(), coverage, options->noDriveLetter, options->chosenFiles,
                     options->unchosenFiles);
      reports.erase(reports.begin());
    }
    ReportPipeline reading(coverage, options->noDriveLetter, options->chosenFiles,
                           options->unchosenFiles);
    reading.measureTimes(threadTimesFile() != nullptr);
    reading.readAll(reports, readOnSecondThread());
    times = reading.times();
  }
  std::optional<StateOutput> state;
  if (!options->stateFileName.empty()) {
    state.emplace(options->stateFileName, coverage, options->noDriveLetter);
  }
  coverage.process();

  // The export records are collected on a second thread while the listing
  // and the summary XML are written: all of them only read the processed
  // set. On one thread they are collected when the exports need them.
  std::future<ExportRecords> records;
  if (wantsExports(*options)) {
    records = std::async(readOnSecondThread() ? std::launch::async : std::launch::deferred,
                         [&] { return collectExportRecords(coverage, options->exportRoot); });
  }

  // All inputs are read and processed before the first output is opened, so
  // a bad input never touches an existing output file.
  if (!options->profileFileName.empty()) {
    writeOutput(options->profileFileName,
                [&](TextSink& sink) { writeProfileListing(coverage, sink); });
  }
  if (!options->xmlFileName.empty()) {
    writeOutput(options->xmlFileName, [&](TextSink& sink) { writeSummaryXml(coverage, sink); });
  }
  if (records.valid()) writeExports(*options, coverage, records.get());
  // A run that fails its gate saves no state, like any other failed run.
  if (!passesGate(*options, coverage)) return 3;
  if (state) state->commit();
  if (const char* fileName = threadTimesFile()) appendThreadTimes(fileName, times, wallStart);
  return 0;
}

}  // namespace

int runKovxmlmerge(int argc, char** argv) {
  // A closed pipe on an output, or a write past the file-size limit, is a
  // failed write, reported like any other.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  try {
    try {
      return runStages(arguments);
    } catch (const std::bad_alloc&) {
      raise(diag::kOutOfMemory);
    } catch (const DiagnosticError&) {
      throw;
    } catch (const std::exception&) {
      raise(diag::kInternalError);
    }
  } catch (const DiagnosticError& error) {
    printDiagnostic(error.what());
    return 2;
  }
}

}  // namespace kov
