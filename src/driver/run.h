// One run of the program, from the command line to the exit status.
#pragma once

namespace kov {

/// Runs kovxmlmerge with the process's arguments; returns the exit status:
/// 0 success, 1 after the usage text, 2 after a diagnostic.
int runKovxmlmerge(int argc, char** argv);

}  // namespace kov
