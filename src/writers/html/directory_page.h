// The pages of the directory tree: one row for each subdirectory and file
// with its TER, statement TER, functions and uncovered outcomes.
#pragma once

#include <cstddef>

namespace kov {

class Coverage;
class CoverageFile;
class TextSink;

namespace html {

class ReportTree;
struct Tally;

/// The table of a directory's subdirectories and files, with its total.
void putEntryTable(TextSink& out, const ReportTree& tree, std::size_t directory);

/// A table row's cells after the name: TER, statement TER, functions and
/// uncovered outcomes of a file or directory tally.
void putTallyCells(TextSink& out, const Tally& tally);

/// The page of the directory `directory` (not the root, which the overview shows).
void writeDirectoryPage(TextSink& out, const Coverage& coverage, const ReportTree& tree,
                        std::size_t directory);

}  // namespace html
}  // namespace kov
