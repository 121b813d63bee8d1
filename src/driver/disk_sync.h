// Durability of the outputs: what is written reaches the disk before it
// takes the place of what was there, so that a crash of the machine leaves
// either the old output or the new one.
#pragma once

#include <string>

namespace kov {

/// Flushes everything written on the file system that holds the open file
/// or directory `fd` (one call for a whole new directory of files, far
/// cheaper than one flush per file). False on failure.
bool syncFileSystem(int fd);

/// Flushes the entries of the directory `path` (a rename into it). False on failure.
bool syncDirectory(const std::string& path);

}  // namespace kov
