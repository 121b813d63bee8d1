// The walk over a function's construct tree: it counts the statements of the
// function and of its reached code, and decides which block ends and jump
// targets are reached. It also hands those decisions out as markers.
#pragma once

#include <cstdint>

#include "model/statement_tree.h"

namespace kov {

/// Statement hits and all of one function.
struct StatementFigures {
  std::uint32_t hits = 0;
  std::uint32_t all = 0;
};

/// Walks the tree once, iteratively, setting the reached flags of its nodes.
/// (0, 0) where the tree is not valid or has no root, or where the walk meets
/// a break without a target or a try without a handler. The figures are
/// summed wide and clamped at the end: all >= 0, hits in [0, all].
StatementFigures walkStatementTree(StatementTree& tree);

/// Hands out the reached flags of the marker nodes (function_end(_nr),
/// block_end, lambda_end(_nr), case, default, label) in tree order.
class StatementMarkerCursor {
 public:
  /// Starts on the root.
  explicit StatementMarkerCursor(const StatementTree& tree);
  /// The reached flag of the next marker node; 0 when there is none left or
  /// the tree is not valid.
  std::uint8_t next();

 private:
  const StatementTree& tree_;
  std::int32_t cursor_;
};

}  // namespace kov
