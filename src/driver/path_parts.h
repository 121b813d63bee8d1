// The parts of an output's path, for the files and directories written
// beside it (the directory that holds it: directoryOf in base/disk_flush.h).
#pragma once

#include <string>

namespace kov {

/// The last part of `name`.
std::string baseNameOf(const std::string& name);

}  // namespace kov
