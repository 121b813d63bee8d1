// What a change adds, file by file: the new-side numbers of the lines a
// unified diff adds. Read from a diff by the reader, measured against the
// coverage by the writers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kov {

/// One file of a change.
struct ChangedFile {
  std::string path;                  // the new side's path as the diff names it, prefix taken off
  std::vector<std::uint32_t> lines;  // the added lines' new-side numbers, ascending, each once
};

/// Every file of a change that adds lines, in the order the diff first names them.
struct ChangeSet {
  std::vector<ChangedFile> files;
};

}  // namespace kov
