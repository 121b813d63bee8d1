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
#include "driver/html_output.h"
#include "driver/output_file.h"
#include "driver/state_lock.h"
#include "driver/state_output.h"
#include "driver/usage.h"
#include "model/coverage.h"
#include "reader/run_inputs.h"
#include "reader/unified_diff.h"
#include "writers/changed_code.h"
#include "writers/cobertura_xml.h"
#include "writers/export_records.h"
#include "writers/json_report.h"
#include "writers/lcov_tracefile.h"
#include "writers/markdown_summary.h"
#include "writers/profile_listing.h"
#include "writers/sonar_coverage.h"
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
const char* threadTimesFile() {
  return std::getenv("KOVXMLMERGE_THREAD_TIMES");
}

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

// A run that saves its state over the state it continues from holds the
// state's lock from before it reads the state until the new one is in place.
// Only the test that shows what the lock prevents runs without it
// (KOVXMLMERGE_TEST_NO_STATE_LOCK=1).
std::optional<StateLock> lockStateIfSavedOver(const RunOptions& options) {
  std::optional<StateLock> lock;
  if (options.stateFileName.empty() ||
      !StateLock::savesOver(options.inputFiles.front(), options.stateFileName)) {
    return lock;
  }
  const char* disabled = std::getenv("KOVXMLMERGE_TEST_NO_STATE_LOCK");
  if (disabled != nullptr && std::string_view(disabled) == "1") return lock;
  std::cout.flush();
  lock.emplace(options.stateFileName, std::cerr);
  return lock;
}

// The outputs written from the export records.
bool wantsExports(const RunOptions& options) {
  return !options.coberturaFileName.empty() || !options.lcovFileName.empty() ||
         !options.sonarFileName.empty();
}

// The exports show the same records, so they are computed once.
void writeExports(const RunOptions& options, const Coverage& coverage,
                  const ExportRecords& records) {
  if (!options.coberturaFileName.empty()) {
    writeOutput(options.coberturaFileName,
                [&](TextSink& sink) { writeCoberturaXml(coverage, records, sink); });
  }
  if (!options.lcovFileName.empty()) {
    writeOutput(options.lcovFileName, [&](TextSink& sink) { writeLcovTracefile(records, sink); });
  }
  if (!options.sonarFileName.empty()) {
    writeOutput(options.sonarFileName, [&](TextSink& sink) { writeSonarCoverage(records, sink); });
  }
}

// A gate's result, where the gate is given: `value` is the overall figure it
// looks at.
std::optional<GateResult> gateResult(const std::optional<TerMinimum>& minimum,
                                     std::uint32_t value) {
  if (!minimum) return std::nullopt;
  return GateResult{minimum->text, !isBelow(value, *minimum)};
}

// A change whose lines hold no outcome the TER counts has nothing to fall
// short with: its gate passes.
SummaryGates gatesOf(const RunOptions& options, const Coverage& coverage,
                     const std::optional<ChangedCode>& changed) {
  SummaryGates gates{gateResult(options.minimumTer, coverage.terValue),
                     gateResult(options.minimumStatementTer, coverage.statementTer),
                     {}};
  if (changed) {
    gates.changed = gateResult(options.minimumDiffTer, changed->measured() ? changed->ter : 100);
  }
  return gates;
}

// The gates, checked once every output is written: a CI job fails on the
// status while its dashboards still get the outputs. Each gate that fails
// prints its line.
bool passesGates(const SummaryGates& gates, const Coverage& coverage,
                 const std::optional<ChangedCode>& changed) {
  bool passed = true;
  if (gates.ter && !gates.ter->passed) {
    printDiagnostic(
        composeLine(diag::kTerBelowMinimum, std::to_string(coverage.terValue), gates.ter->minimum)
            .c_str());
    passed = false;
  }
  if (gates.statement && !gates.statement->passed) {
    printDiagnostic(composeLine(diag::kStatementTerBelowMinimum,
                                std::to_string(coverage.statementTer), gates.statement->minimum)
                        .c_str());
    passed = false;
  }
  if (gates.changed && !changed->measured()) {
    // Not a failure, but a gate that passes without a figure says why.
    std::cout.flush();
    std::cerr << "Changed code holds no outcome the TER counts: minimum " << gates.changed->minimum
              << " passed." << std::endl;
    std::cerr.clear();
  } else if (gates.changed && !gates.changed->passed) {
    printDiagnostic(composeLine(diag::kDiffTerBelowMinimum, std::to_string(changed->ter),
                                gates.changed->minimum)
                        .c_str());
    passed = false;
  }
  return passed;
}

int runStages(const std::vector<std::string>& arguments) {
  const double wallStart = wallSeconds();
  std::optional<RunOptions> options = parseCommandLine(arguments, std::cout);
  if (!options) return 1;

  const std::optional<StateLock> stateLock = lockStateIfSavedOver(*options);
  // The diff is read before any report, so that a diff that cannot be used
  // ends the run before the long part of it.
  std::optional<ChangeSet> change;
  if (options->diffFileName) change = readUnifiedDiff(*options->diffFileName);

  Coverage coverage(kProgramVersion, options->argumentList, options->chosenFiles,
                    options->unchosenFiles, copyrightLines());
  // A merge state stands first, in the place of the reports it was made
  // from; the reports after it are read as if those had just been read.
  const PipelineTimes times =
      readInputs(options->inputFiles, coverage, options->noDriveLetter, options->chosenFiles,
                 options->unchosenFiles, readOnSecondThread(), threadTimesFile() != nullptr);
  std::optional<StateOutput> state;
  if (!options->stateFileName.empty()) {
    state.emplace(options->stateFileName, coverage, options->noDriveLetter);
  }
  coverage.process();
  // The export records, and the changed code of a diff, are collected on
  // other threads while the listing and the summary XML are written: all of
  // them only read the processed set. On one thread they are collected when
  // the outputs need them.
  const std::launch launch = readOnSecondThread() ? std::launch::async : std::launch::deferred;
  std::future<ExportRecords> records;
  if (wantsExports(*options)) {
    records =
        std::async(launch, [&] { return collectExportRecords(coverage, options->exportRoot); });
  }
  std::future<ChangedCode> measured;
  if (change) {
    measured = std::async(
        launch, [&] { return measureChangedCode(coverage, options->exportRoot, *change); });
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
  std::optional<ChangedCode> changed;
  if (measured.valid()) changed = measured.get();
  if (!options->jsonFileName.empty()) {
    writeOutput(options->jsonFileName, [&](TextSink& sink) {
      writeJsonReport(coverage, options->exportRoot, sink, changed ? &*changed : nullptr);
    });
  }
  const SummaryGates gates = gatesOf(*options, coverage, changed);
  if (!options->markdownFileName.empty()) {
    writeOutput(options->markdownFileName, [&](TextSink& sink) {
      writeMarkdownSummary(coverage, gates, options->exportRoot, sink,
                           changed ? &*changed : nullptr);
    });
  }
  if (!options->htmlDirectory.empty()) {
    writeHtmlOutput(*options, coverage, changed ? &*changed : nullptr);
  }
  // A run that fails a gate saves no state, like any other failed run.
  if (!passesGates(gates, coverage, changed)) return 3;
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
