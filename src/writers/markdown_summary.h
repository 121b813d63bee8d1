// The Markdown summary (-md), for a person reading a merge request or a CI
// job page: the overall TERs and the gates' results, the files with the most
// uncovered outcomes, the totals and the reports merged. GitHub-flavoured;
// its size is bounded whatever the project's size, well below what a comment
// or a job summary takes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kov {

class Coverage;
class TextSink;

/// The result of one gate.
struct GateResult {
  std::string minimum;  // the minimum as given on the command line
  bool passed = true;
};

/// The gates of the run; absent where not given.
struct SummaryGates {
  std::optional<GateResult> ter;        // -min-ter, on the overall TER
  std::optional<GateResult> statement;  // -min-statement, on the overall statement TER
};

/// The most files the table shows.
inline constexpr std::size_t kSummaryTableRows = 25;
/// The most characters of a name or a time the summary shows.
inline constexpr std::size_t kSummaryNameLimit = 120;

/// Writes the summary of a processed coverage set. `root` is the -root
/// argument (empty where none was given): files are named as in the exports.
void writeMarkdownSummary(const Coverage& coverage, const SummaryGates& gates,
                          std::string_view root, TextSink& out);

}  // namespace kov
