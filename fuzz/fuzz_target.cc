// The fuzz target: arbitrary bytes go through a whole run, as one or two
// input reports and optionally an options file, with all four writers (listing,
// summary XML, Cobertura and lcov exports) writing into sinks that only count
// the bytes. Every input must end either in a completed run or in one
// numbered diagnostic; anything else (a crash, a sanitizer report, another
// exception, an internal-error diagnostic, a leaked descriptor) is a finding.
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
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

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
#include "driver/usage.h"
#include "model/coverage.h"
#include "reader/kov_parser.h"
#include "writers/cobertura_xml.h"
#include "writers/export_records.h"
#include "writers/lcov_tracefile.h"
#include "writers/profile_listing.h"
#include "writers/summary_xml.h"

// Present where a sanitizer is linked in (the fuzzer), absent in the plain
// replay build.
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

namespace {

constexpr std::string_view kMarker = "#KOV-NEXT#\n";

std::string g_folder;
int g_callerFolder = -1;  // the working folder of the caller, which reads its corpus from there

void removeFiles() {
  for (const char* name : {"a.xml", "b.xml", "opts.txt"}) {
    ::unlink((g_folder + "/" + name).c_str());
  }
}

void removeFolder() {
  removeFiles();
  ::rmdir(g_folder.c_str());
}

int lowestFreeDescriptor() {
  int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (fd >= 0) ::close(fd);
  return fd;
}

void setUp() {
  for (const char* base : {"/dev/shm", "/tmp"}) {
    std::string pattern = std::string(base) + "/kovfuzz.XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) {
      g_folder = pattern;
      break;
    }
  }
  if (g_folder.empty()) std::abort();
  // The folder goes at the end of the process, also where a finding ends it.
  std::atexit(removeFolder);
  if (__sanitizer_set_death_callback != nullptr) __sanitizer_set_death_callback(removeFolder);
  g_callerFolder = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (g_callerFolder < 0) std::abort();
}

void writeFile(const char* name, std::string_view bytes) {
  FILE* file = std::fopen(name, "wb");
  if (file == nullptr) std::abort();
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
    std::abort();
  }
  if (std::fclose(file) != 0) std::abort();
}

std::vector<std::string_view> splitParts(std::string_view input) {
  std::vector<std::string_view> parts;
  while (parts.size() < 2) {
    const std::size_t at = input.find(kMarker);
    if (at == std::string_view::npos) break;
    parts.push_back(input.substr(0, at));
    input.remove_prefix(at + kMarker.size());
  }
  parts.push_back(input);
  return parts;
}

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

// The run driver's stages, with every output written into a counting sink.
void runStages(const std::vector<std::string>& arguments) {
  std::ostringstream usage;
  const std::optional<kov::RunOptions> options = kov::parseCommandLine(arguments, usage);
  if (!options) return;
  kov::Coverage coverage(kov::kProgramVersion, options->argumentList, options->chosenFiles,
                         options->unchosenFiles, kov::copyrightLines());
  {
    kov::KOVParser parser(coverage, options->noDriveLetter, options->chosenFiles,
                          options->unchosenFiles);
    for (const std::string& input : options->inputFiles) parser.parse(input);
  }
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
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (g_folder.empty()) setUp();
  const std::vector<std::string_view> parts =
      splitParts({reinterpret_cast<const char*>(data), size});
  // A descriptor left open by the run would take this number.
  const int freeDescriptor = lowestFreeDescriptor();
  // Input names on the command line and in options files are relative to the
  // private folder for the time of one input.
  if (::chdir(g_folder.c_str()) != 0) std::abort();

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

  try {
    runStages(arguments);
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

  if (::fchdir(g_callerFolder) != 0) std::abort();
  removeFiles();
  if (lowestFreeDescriptor() != freeDescriptor) {
    std::fprintf(stderr, "a file descriptor leaked\n");
    std::abort();
  }
  return 0;
}
