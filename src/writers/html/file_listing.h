// The listing lines of one file, as the listing walk gives them, kept for
// the time its page is written: the page shows them twice (beside the
// source and as the listing shows them), and its function table comes first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "writers/probe_line.h"

namespace kov::html {

/// A decision with MC/DC tables: where its rows stand among the lines.
struct McdcBlock {
  const CoverageProbe* probe = nullptr;  // its `mcdc` probe
  std::string_view decision;             // the decision's text, for the caption
  std::size_t lastRow = 0;               // the index of its last MC/DC row line
  bool underSource = false;              // shown under its line in the source view
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
  /// Whether a line counts in this file's own lines (not in a #line stretch
  /// of another file) and so has a place in the source view.
  bool inOwnLines(const ListingLine& line) const {
    return line.lineFile == file && line.line != 0 && line.kind != ListingLine::Kind::Directive;
  }
  /// The decisions with MC/DC tables, in line order of their last row.
  /// `withSource` places those of the file's own lines under the source.
  std::vector<McdcBlock> mcdcBlocks(bool withSource) const;
};

}  // namespace kov::html
