#include "writers/html/file_listing.h"

#include "writers/html/mcdc_table.h"

namespace kov::html {

void FileListing::clear() {
  file = nullptr;
  lines.clear();
  functions.clear();
}

std::vector<McdcBlock> FileListing::sourceBlocks(bool mcdcView) const {
  std::vector<McdcBlock> blocks;
  McdcTracker decisions;
  for (const Function& entry : functions) {
    decisions.beginFunction(*entry.function, mcdcView);
    for (std::size_t i = entry.first; i < entry.first + entry.count; ++i) {
      const ListingLine& line = lines[i];
      const CoverageProbe* decision = decisions.decisionAt(line);
      if (decision != nullptr && inOwnLines(line, *file)) {
        blocks.push_back({decision, decisions.decisionText(line, *decision), line.line});
      }
    }
  }
  return blocks;
}

}  // namespace kov::html
