// The listing lines of one file, as the listing walk gives them, kept for
// the time its page is written where the page shows its source: the source
// view needs every line before the first is shown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "writers/probe_line.h"

namespace kov::html {

/// Whether a line counts in the file's own lines (not in a #line stretch of
/// another file) and so has a place in the source view of `file`.
inline bool inOwnLines(const ListingLine& line, const CoverageFile& file) {
  return line.lineFile == &file && line.line != 0 && line.kind != ListingLine::Kind::Directive;
}

/// A decision whose MC/DC tables stand under its line in the source view.
struct McdcBlock {
  const CoverageProbe* probe = nullptr;  // its `mcdc` probe
  std::string_view decision;             // the decision's text, for the caption
  std::uint32_t line = 0;                // its line
};

/// One file's lines.
struct FileListing {
  struct Function {
    const CoverageFunction* function = nullptr;
    std::size_t first = 0;  // its lines: lines[first, first + count)
    std::size_t count = 0;
  };

  const CoverageFile* file = nullptr;
  std::vector<ListingLine> lines;
  std::vector<Function> functions;

  /// Empties the listing for the next file.
  void clear();
  /// The decisions with MC/DC tables in the file's own lines, in the order
  /// of their lines in the listing. `mcdcView`: the view in force is MC/DC.
  std::vector<McdcBlock> sourceBlocks(bool mcdcView) const;
};

}  // namespace kov::html
