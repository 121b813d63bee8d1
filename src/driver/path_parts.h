// The parts of an output's path, for the files and directories written
// beside it.
#pragma once

#include <string>

namespace kov {

/// The directory of `name`: "." where it has none, "/" at the root.
std::string directoryOf(const std::string& name);

/// The last part of `name`.
std::string baseNameOf(const std::string& name);

}  // namespace kov
