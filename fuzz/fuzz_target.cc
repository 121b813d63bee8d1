// The fuzz target: arbitrary bytes go through a whole run, as one or two
// input reports and optionally an options file, with every writer (listing,
// summary XML, Cobertura, lcov and SonarQube exports, JSON document, Markdown
// summary) writing into sinks that only count the bytes. Every input must end either in a completed run or in one
// numbered diagnostic; anything else (a crash, a sanitizer report, another
// exception, an internal-error diagnostic, a leaked descriptor) is a finding.
//
// A first part that begins as a merge state is read as one, as a real run
// would; every merged set is also saved as a state, read back and saved
// again, and the two states must be the same bytes. Whatever it is, the
// first part is then read once more as a state on its own.
//
// The input is cut at every line "#KOV-NEXT#" into up to three parts:
//   one part      the report a.xml           command line: a.xml -p - -x -
//   two parts     the reports a.xml, b.xml   command line: a.xml b.xml -p - -x -
//   three parts   a.xml, b.xml, and the options file opts.txt
//                                            command line: @opts.txt
// The command line is parsed like a real one; whatever outputs it names, every
// writer runs.
// Further markers stay part of the options file. The files live in a private
// folder in /dev/shm (or /tmp) for the time of one input; the folder goes at
// the end of the process.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "base/diagnostic.h"
#include "base/text_sink.h"
#include "driver/command_line.h"
#include "driver/ter_gate.h"
#include "driver/usage.h"
#include "fuzz_files.h"
#include "model/coverage.h"
#include "reader/merge_state_reader.h"
#include "reader/run_inputs.h"
#include "writers/cobertura_xml.h"
#include "writers/export_records.h"
#include "writers/json_report.h"
#include "writers/lcov_tracefile.h"
#include "writers/markdown_summary.h"
#include "writers/merge_state_xml.h"
#include "writers/profile_listing.h"
#include "writers/sonar_coverage.h"
#include "writers/summary_xml.h"

namespace {

using kov::fuzz::writeFile;

// A listing grows with the nesting that the reports give (two blanks per
// level, up to 8 GiB for one line), so a small input can ask for a huge but
// correct output. The outputs are counted, not kept, and a run stops being
// interesting once they pass this size.
constexpr std::size_t kOutputLimit = std::size_t{16} << 20;

struct OutputLimitReached {};

class CountingSink : public kov::TextSink {
 protected:
  bool writeOut(std::string_view bytes) override {
    written_ += bytes.size();
    if (written_ > kOutputLimit) throw OutputLimitReached{};
    return true;
  }

 private:
  std::size_t written_ = 0;
};

// Whatever the state holds must come back from it unchanged.
void checkStateRoundTrip(const kov::Coverage& coverage, const kov::RunOptions& options) {
  kov::StringSink first;
  kov::writeMergeState(coverage, options.noDriveLetter, first);
  writeFile("saved-state.xml", first.text());
  kov::Coverage restored(kov::kProgramVersion, options.argumentList, options.chosenFiles,
                         options.unchosenFiles, kov::copyrightLines());
  kov::readMergeState("saved-state.xml", restored, options.noDriveLetter, options.chosenFiles,
                      options.unchosenFiles);
  kov::StringSink second;
  kov::writeMergeState(restored, options.noDriveLetter, second);
  if (first.text() != second.text()) {
    std::fprintf(stderr, "the saved state does not read back as it was written\n");
    std::abort();
  }
}

// The run driver's stages, with every output written into a counting sink.
void runStages(const std::vector<std::string>& arguments) {
  std::ostringstream usage;
  const std::optional<kov::RunOptions> options = kov::parseCommandLine(arguments, usage);
  if (!options) return;
  kov::Coverage coverage(kov::kProgramVersion, options->argumentList, options->chosenFiles,
                         options->unchosenFiles, kov::copyrightLines());
  kov::readInputs(options->inputFiles, coverage, options->noDriveLetter, options->chosenFiles,
                  options->unchosenFiles, false);
  checkStateRoundTrip(coverage, *options);
  coverage.process("Thu Jan  1 00:00:00 2026");
  CountingSink listing;
  kov::writeProfileListing(coverage, listing);
  listing.flush();
  CountingSink summary;
  kov::writeSummaryXml(coverage, summary);
  summary.flush();
  const kov::ExportRecords records = kov::collectExportRecords(coverage, options->exportRoot);
  CountingSink cobertura;
  kov::writeCoberturaXml(coverage, records, cobertura);
  cobertura.flush();
  CountingSink lcov;
  kov::writeLcovTracefile(records, lcov);
  lcov.flush();
  CountingSink sonar;
  kov::writeSonarCoverage(records, sonar);
  sonar.flush();
  CountingSink json;
  kov::writeJsonReport(coverage, options->exportRoot, json);
  json.flush();
  // The summary shows the gates' results, as the driver computes them.
  const auto gate = [](const std::optional<kov::TerMinimum>& minimum, std::uint32_t value) {
    return minimum ? std::optional<kov::GateResult>({minimum->text, !kov::isBelow(value, *minimum)})
                   : std::nullopt;
  };
  const kov::SummaryGates gates{gate(options->minimumTer, coverage.terValue),
                                gate(options->minimumStatementTer, coverage.statementTer)};
  CountingSink markdown;
  kov::writeMarkdownSummary(coverage, gates, options->exportRoot, markdown);
  markdown.flush();
}

// Runs `step`; anything but a completed step or one numbered diagnostic
// (other than an internal error) is a finding.
template <typename Step>
void endsInDiagnosticOrSuccess(Step&& step) {
  try {
    step();
  } catch (const kov::DiagnosticError& error) {
    // An internal error means the program contradicted itself.
    if (std::string_view(error.what()).starts_with("*** kovxmlmerge error 20 (")) {
      std::fprintf(stderr, "internal error: %s\n", error.what());
      std::abort();
    }
  } catch (const OutputLimitReached&) {
  } catch (const std::bad_alloc&) {
    // Error 19 in a real run; the fuzzer's own limits report real excesses.
  } catch (const std::exception& error) {
    std::fprintf(stderr, "exception outside the diagnostics: %s\n", error.what());
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string_view> parts =
      kov::fuzz::splitParts({reinterpret_cast<const char*>(data), size}, 3);
  kov::fuzz::enterFolder();
  // A descriptor left open by the run would take this number.
  const int freeDescriptor = kov::fuzz::lowestFreeDescriptor();

  std::vector<std::string> arguments;
  writeFile("a.xml", parts[0]);
  if (parts.size() >= 2) writeFile("b.xml", parts[1]);
  if (parts.size() == 3) {
    writeFile("opts.txt", parts[2]);
    arguments = {"@opts.txt"};
  } else {
    arguments = {"a.xml"};
    if (parts.size() == 2) arguments.push_back("b.xml");
    arguments.insert(arguments.end(), {"-p", "-", "-x", "-"});
  }

  endsInDiagnosticOrSuccess([&] { runStages(arguments); });
  // Whatever the first part is, it is also read as a state, so that every
  // mutation reaches the state reader and not only those that keep its root.
  endsInDiagnosticOrSuccess([] {
    kov::Coverage coverage(kov::kProgramVersion, {}, {}, {}, {});
    kov::readMergeState("a.xml", coverage, false, {}, {});
  });

  kov::fuzz::leaveFolder();
  if (kov::fuzz::lowestFreeDescriptor() != freeDescriptor) {
    std::fprintf(stderr, "a file descriptor leaked\n");
    std::abort();
  }
  return 0;
}
