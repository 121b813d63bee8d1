#include "driver/run.h"

#include <csignal>
#include <iostream>
#include <new>

#include "base/diagnostic.h"
#include "driver/command_line.h"
#include "driver/output_file.h"
#include "driver/usage.h"
#include "model/coverage.h"
#include "reader/kov_parser.h"
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

void printDiagnostic(const char* line) {
  std::cout.flush();
  std::cerr << line << std::endl;
  std::cerr.clear();  // a failure to print the message changes nothing
}

int runStages(const std::vector<std::string>& arguments) {
  std::optional<RunOptions> options = parseCommandLine(arguments, std::cout);
  if (!options) return 1;

  Coverage coverage(kProgramVersion, options->argumentList, options->chosenFiles,
                    options->unchosenFiles, copyrightLines());
  {
    KOVParser parser(coverage, options->noDriveLetter, options->chosenFiles,
                     options->unchosenFiles);
    for (const std::string& input : options->inputFiles) parser.parse(input);
  }
  coverage.process();

  // All inputs are read and processed before the first output is opened, so
  // a bad input never touches an existing output file.
  if (!options->profileFileName.empty()) {
    writeOutput(options->profileFileName,
                [&](TextSink& sink) { writeProfileListing(coverage, sink); });
  }
  if (!options->xmlFileName.empty()) {
    writeOutput(options->xmlFileName, [&](TextSink& sink) { writeSummaryXml(coverage, sink); });
  }
  return 0;
}

}  // namespace

int runKovxmlmerge(int argc, char** argv) {
  // A closed pipe on an output is a failed write, reported like any other.
  std::signal(SIGPIPE, SIG_IGN);
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
