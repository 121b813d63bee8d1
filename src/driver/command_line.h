// The command line and options files.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "driver/run_options.h"

namespace kov {

/// Expands options files, checks the options and input names and returns the
/// run options. Returns nothing after printing the usage text to `usageOut`
/// (no arguments, or -h). Raises the diagnostic of the first wrong argument.
std::optional<RunOptions> parseCommandLine(const std::vector<std::string>& arguments,
                                           std::ostream& usageOut);

/// The tokens of an options file, in file order; raises error 11 when the file
/// cannot be opened or read.
std::vector<std::string> readOptionsFile(const std::string& name);

/// Splits a -f/-nf argument at ";" onto `names` (a trailing ";" adds nothing).
void splitFileList(const std::string& argument, std::vector<std::string>& names);

}  // namespace kov
