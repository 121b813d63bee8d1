// The HTML report as an output of the run: its directory and its sources.
#pragma once

namespace kov {

class Coverage;
struct ChangedCode;
struct RunOptions;

/// Writes the HTML report into the -html directory, with the sources found
/// as the -src directories and -root say, and the changed code where the run
/// has a diff (else nullptr). Raises error 39 or 24.
void writeHtmlOutput(const RunOptions& options, Coverage& coverage, const ChangedCode* changed);

}  // namespace kov
