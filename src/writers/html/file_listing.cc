#include "writers/html/file_listing.h"

#include <unordered_map>

#include "model/coverage_function.h"
#include "model/coverage_probe.h"
#include "writers/html/mcdc_table.h"

namespace kov::html {
namespace {

// The decision a block of MC/DC rows belongs to: the probe line with both
// counts on the same line just before its evaluations; else the text of the
// `mcdc` probe itself.
std::string_view decisionOf(const std::vector<ListingLine>& lines, std::size_t firstRow,
                            const CoverageProbe& mcdc) {
  const ListingLine& row = lines[firstRow];
  for (std::size_t i = firstRow; i-- > 0;) {
    const ListingLine& line = lines[i];
    if (line.lineFile != row.lineFile || line.line != row.line) break;
    if (line.kind == ListingLine::Kind::Probe && line.cells == ListingLine::Cells::TrueFalse) {
      return line.text;
    }
  }
  return mcdc.description;
}

}  // namespace

void FileListing::clear() {
  file = nullptr;
  lines.clear();
  functions.clear();
}

std::vector<McdcBlock> FileListing::mcdcBlocks(bool withSource) const {
  // A decision without any pair has no MC/DC row in the listing; its tables
  // stand after its last evaluation instead.
  std::unordered_map<const CoverageProbe*, const CoverageProbe*> withoutRows;
  for (const Function& entry : functions) {
    for (const auto& probe : entry.function->probes()) {
      const McdcRows* rows = probe->mcdcRows();
      if (rows != nullptr && rows->rows.empty() && !rows->evaluations.empty()) {
        withoutRows.emplace(rows->evaluations.back().probe, probe.get());
      }
    }
  }
  std::vector<McdcBlock> blocks;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const ListingLine& line = lines[i];
    McdcBlock block;
    if (line.kind == ListingLine::Kind::McdcRow && line.row == 0) {
      block.probe = line.probe;
    } else if (line.kind == ListingLine::Kind::Probe && !withoutRows.empty()) {
      auto found = withoutRows.find(line.probe);
      if (found != withoutRows.end()) block.probe = found->second;
    }
    if (block.probe == nullptr || !hasMcdcTables(*block.probe)) continue;
    block.decision = decisionOf(lines, i, *block.probe);
    block.lastRow = i;
    while (block.lastRow + 1 < lines.size() && lines[block.lastRow + 1].probe == block.probe) {
      ++block.lastRow;
    }
    block.underSource = withSource && inOwnLines(line);
    blocks.push_back(block);
  }
  return blocks;
}

}  // namespace kov::html
