#include "driver/command_line.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/diagnostic.h"
#include "driver/usage.h"

namespace kov {
namespace {

// Reads a whole file; false when it cannot be opened or read (a directory).
bool readWholeFile(const std::string& name, std::string& contents) {
  int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buffer[1 << 16];
  bool ok = true;
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      ok = false;
      break;
    }
    if (got == 0) break;
    contents.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return ok;
}

bool canOpenForReading(const std::string& name) {
  // Opening a FIFO waits for its writer, and closing it unread can kill that
  // writer (SIGPIPE) or drop what it wrote: a FIFO is only asked whether it
  // may be read, and opened once, by the reader.
  struct stat info;
  if (::stat(name.c_str(), &info) == 0 && S_ISFIFO(info.st_mode)) {
    return ::access(name.c_str(), R_OK) == 0;
  }
  int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

void checkInputName(const std::string& argument) {
  if (!canOpenForReading(argument)) raise(diag::kInputMissing, argument);
  std::size_t dot = argument.rfind('.');
  if (dot == std::string::npos) raise(diag::kExtensionMissing, argument);
  std::string extension = argument.substr(dot);
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (extension != ".xml") raise(diag::kExtensionNotAllowed, argument);
}

bool wantsAnyOutput(const RunOptions& options) {
  for (const std::string* name :
       {&options.profileFileName, &options.xmlFileName, &options.coberturaFileName,
        &options.lcovFileName, &options.stateFileName, &options.jsonFileName,
        &options.sonarFileName, &options.markdownFileName}) {
    if (!name->empty()) return true;
  }
  return false;
}

std::vector<std::string> expandOptionsFiles(const std::vector<std::string>& arguments) {
  std::vector<std::string> expanded;
  for (const std::string& argument : arguments) {
    if (!argument.empty() && argument.front() == '@') {
      std::string name = argument.substr(1);
      if (name.empty()) raise(diag::kAtWithoutName);
      for (std::string& token : readOptionsFile(name)) expanded.push_back(std::move(token));
    } else {
      expanded.push_back(argument);
    }
  }
  return expanded;
}

}  // namespace

void splitFileList(const std::string& argument, std::vector<std::string>& names) {
  std::string_view rest = argument;
  while (!rest.empty()) {
    std::size_t semicolon = rest.find(';');
    if (semicolon == std::string_view::npos) {
      names.emplace_back(rest);
      return;
    }
    names.emplace_back(rest.substr(0, semicolon));
    rest.remove_prefix(semicolon + 1);
  }
}

std::vector<std::string> readOptionsFile(const std::string& name) {
  std::string contents;
  if (!readWholeFile(name, contents)) raise(diag::kOptionsFileMissing, name);
  std::vector<std::string> tokens;
  std::string token;
  bool quoting = false;
  auto endToken = [&] {
    if (!token.empty()) tokens.push_back(std::move(token));
    token.clear();
  };
  for (char c : contents) {
    switch (c) {
      case ' ':
        if (quoting) {
          token += ' ';
        } else {
          endToken();
        }
        break;
      case '\t':
      case '\n':
      case '\r':
        endToken();  // whatever the quoting flag says
        break;
      case '"':
        quoting = !quoting;
        break;
      default:
        token += c;
        break;
    }
  }
  endToken();
  return tokens;
}

std::optional<RunOptions> parseCommandLine(const std::vector<std::string>& arguments,
                                           std::ostream& usageOut) {
  if (arguments.empty()) {
    printUsage(usageOut);
    return std::nullopt;
  }
  RunOptions options;
  options.argumentList = expandOptionsFiles(arguments);

  const std::vector<std::string>& list = options.argumentList;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const std::string& argument = list[i];
    bool hasNext = i + 1 < list.size();
    if (argument == "-p") {
      if (!hasNext) raise(diag::kProfileWithoutName);
      options.profileFileName = list[++i];
    } else if (argument == "-x") {
      if (!hasNext) raise(diag::kXmlWithoutName);
      options.xmlFileName = list[++i];
    } else if (argument == "-ndl") {
      options.noDriveLetter = true;
    } else if (argument == "-f") {
      if (!hasNext) raise(diag::kChosenWithoutNames);
      splitFileList(list[++i], options.chosenFiles);
    } else if (argument == "-nf") {
      if (!hasNext) raise(diag::kUnchosenWithoutNames);
      splitFileList(list[++i], options.unchosenFiles);
    } else if (argument == "-cobertura") {
      if (!hasNext) raise(diag::kCoberturaWithoutName);
      options.coberturaFileName = list[++i];
    } else if (argument == "-lcov") {
      if (!hasNext) raise(diag::kLcovWithoutName);
      options.lcovFileName = list[++i];
    } else if (argument == "-root") {
      if (!hasNext) raise(diag::kRootWithoutName);
      options.exportRoot = list[++i];
    } else if (argument == "-min-ter") {
      if (!hasNext) raise(diag::kMinimumTerWithoutValue);
      options.minimumTer = parseTerMinimum(list[++i]);
      if (!options.minimumTer) raise(diag::kMinimumTerNotDecimal, list[i]);
    } else if (argument == "-m") {
      if (!hasNext) raise(diag::kStateWithoutName);
      options.stateFileName = list[++i];
    } else if (argument == "-json") {
      if (!hasNext) raise(diag::kJsonWithoutName);
      options.jsonFileName = list[++i];
    } else if (argument == "-sonar") {
      if (!hasNext) raise(diag::kSonarWithoutName);
      options.sonarFileName = list[++i];
    } else if (argument == "-md") {
      if (!hasNext) raise(diag::kMarkdownWithoutName);
      options.markdownFileName = list[++i];
    } else if (argument == "-min-statement") {
      if (!hasNext) raise(diag::kMinimumStatementWithoutValue);
      options.minimumStatementTer = parseTerMinimum(list[++i]);
      if (!options.minimumStatementTer) raise(diag::kMinimumStatementNotDecimal, list[i]);
    } else if (argument == "-h") {
      printUsage(usageOut);
      return std::nullopt;
    } else if (argument.empty() || argument.front() == '-') {
      // An explicit empty argument names neither an option nor a file.
      raise(diag::kUnknownOption, argument);
    } else {
      checkInputName(argument);
      options.inputFiles.push_back(argument);
    }
  }
  if (options.inputFiles.empty()) raise(diag::kNoInput);
  if (!wantsAnyOutput(options)) raise(diag::kOutputMissing);
  return options;
}

}  // namespace kov
