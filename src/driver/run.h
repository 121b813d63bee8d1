// One run of the program, from the command line to the exit status.
#pragma once

namespace kov {

/// Runs kovxmlmerge with the process's arguments; returns the exit status:
/// 0 success, 1 after the usage text, 2 after a diagnostic, 3 when the
/// outputs are written but a gate fails: the overall TER is below the
/// -min-ter minimum or the overall statement TER below the -min-statement one.
int runKovxmlmerge(int argc, char** argv);

}  // namespace kov
