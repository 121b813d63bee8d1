// The HTML report as an output of the run: its directory and its sources.
#pragma once

namespace kov {

class Coverage;
struct RunOptions;

/// Writes the HTML report into the -html directory, with the sources found
/// as the -src directories and -root say. Raises error 39 or 24.
void writeHtmlOutput(const RunOptions& options, Coverage& coverage);

}  // namespace kov
