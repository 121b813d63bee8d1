#include "writers/html/source_view.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <unordered_set>

#include "base/text_sink.h"
#include "model/coverage_probe.h"
#include "writers/html/changed_marks.h"
#include "writers/html/file_listing.h"
#include "writers/html/mcdc_table.h"
#include "writers/html/page.h"

namespace kov::html {
namespace {

using Cells = ListingLine::Cells;

void putCount(TextSink& out, std::uint32_t count, bool covered) {
  // The outcome that never occurred is what makes a probe not fully covered.
  if (!covered && count == 0) {
    out << "<b>0</b>";
  } else {
    out.putUnsigned(count);
  }
}

// A listing line beside its source line: its counts and its marker.
void putChip(TextSink& out, const ListingLine& line) {
  if (line.kind != ListingLine::Kind::Probe) return;
  if (line.cells != Cells::None) {
    out << "<span class=\"c\">";
    if (line.cells != Cells::False) putCount(out, line.trueCount, line.covered);
    if (line.cells != Cells::True) {
      out << '|';
      putCount(out, line.falseCount, line.covered);
    }
    out << "</span>";
  }
  if (line.marker == '+') out << "<span class=\"mk r\">+</span>";
  if (line.marker == '-') out << "<span class=\"mk nr\">-</span>";
}

// The probes whose lines the MC/DC tables under the source show in full:
// they get no chip of their own.
std::unordered_set<const CoverageProbe*> shownInTables(const std::vector<McdcBlock>& blocks) {
  std::unordered_set<const CoverageProbe*> probes;
  for (const McdcBlock& block : blocks) {
    probes.insert(block.probe);
    for (const McdcEvaluation& evaluation : block.probe->mcdcRows()->evaluations) {
      probes.insert(evaluation.probe);
    }
  }
  return probes;
}

class SourceTable {
 public:
  SourceTable(TextSink& out, const FileListing& listing, const std::vector<McdcBlock>& blocks,
              const ChangedRecord* changed)
      : out_(out), listing_(listing), skipped_(shownInTables(blocks)), changed_(changed) {
    for (std::size_t i = 0; i < listing.lines.size(); ++i) {
      if (inOwnLines(listing.lines[i], *listing.file)) own_.push_back(i);
    }
    std::stable_sort(own_.begin(), own_.end(), [&](std::size_t a, std::size_t b) {
      return listing.lines[a].line < listing.lines[b].line;
    });
    for (const McdcBlock& block : blocks) blocks_.push_back(&block);
    std::stable_sort(blocks_.begin(), blocks_.end(), [&](const McdcBlock* a, const McdcBlock* b) {
      return a->line < b->line;
    });
  }

  void write(const SourceLines& source) {
    for (std::size_t number = 1; number <= source.count(); ++number) {
      putRow(number, source.line(number), source.charset());
    }
    // Lines past the end of the source (it is not the one the reports saw).
    while (nextOwn_ < own_.size()) {
      putRow(listing_.lines[own_[nextOwn_]].line, {}, Charset::Latin1);
    }
    while (nextBlock_ < blocks_.size()) putBlocks(blocks_[nextBlock_]->line);
  }

 private:

  void putRow(std::size_t number, std::string_view text, Charset charset) {
    const std::size_t first = nextOwn_;
    while (nextOwn_ < own_.size() && listing_.lines[own_[nextOwn_]].line <= number) ++nextOwn_;
    bool covered = true;
    for (std::size_t i = first; i < nextOwn_; ++i) {
      covered = covered && listing_.lines[own_[i]].covered;
    }
    // Most lines of a source have no probe: the row is put together in
    // place, the line's text escaped straight into it.
    constexpr std::string_view kMissing = "<span class=\"m\">\xE2\x9C\x97</span> ";
    constexpr std::size_t kLongText = 4096;
    const bool longText = text.size() > kLongText;
    const bool changed = ChangedMarks::isChanged(changed_, static_cast<std::uint32_t>(number));
    char* at = out_.reserveSpace(96 + kMissing.size() + kChangedMark.size() +
                                 (longText ? 0 : escapedSizeLimit(text.size())));
    const auto put = [&at](std::string_view piece) {
      at = copyInPlace(at, piece);
    };
    if (changed) {
      put(covered ? std::string_view("<tr class=\"ch\" id=\"L")
                  : std::string_view("<tr class=\"u ch\" id=\"L"));
    } else {
      put(covered ? std::string_view("<tr id=\"L") : std::string_view("<tr class=\"u\" id=\"L"));
    }
    char* digits = at;
    at = std::to_chars(at, at + 20, number).ptr;
    const std::string_view shown(digits, static_cast<std::size_t>(at - digits));
    put("\"><td>");
    if (!covered) put(kMissing);
    if (changed) put(kChangedMark);
    put(shown);
    put("<td>");
    if (first == nextOwn_) {
      put("<td>");
      if (longText) {
        out_.commitSpace(at);
        putText(out_, text, charset);
        at = out_.reserveSpace(8);
      } else {
        at = escapeText(at, text, charset);
      }
      put("</td>\n");
      out_.commitSpace(at);
    } else {
      out_.commitSpace(at);
      for (std::size_t i = first; i < nextOwn_; ++i) {
        const ListingLine& line = listing_.lines[own_[i]];
        if (skipped_.count(line.probe) == 0) putChip(out_, line);
      }
      out_ << "<td>";
      putText(out_, text, charset);
      out_ << "</td>";
      out_.endLine();
    }
    putBlocks(number);
  }

  void putBlocks(std::size_t number) {
    const std::size_t first = nextBlock_;
    while (nextBlock_ < blocks_.size() && blocks_[nextBlock_]->line <= number) ++nextBlock_;
    if (first == nextBlock_) return;
    bool incomplete = false;
    for (std::size_t i = first; i < nextBlock_; ++i) {
      incomplete = incomplete || mcdcIncomplete(*blocks_[i]->probe);
    }
    out_ << (incomplete ? "<tr class=\"x u\">" : "<tr class=\"x\">") << "<td colspan=\"3\">";
    out_.endLine();
    for (std::size_t i = first; i < nextBlock_; ++i) {
      putMcdcTables(out_, *blocks_[i]->probe, blocks_[i]->decision, blocks_[i]->line);
    }
    out_ << "</td></tr>";
    out_.endLine();
  }

  TextSink& out_;
  const FileListing& listing_;
  std::unordered_set<const CoverageProbe*> skipped_;
  std::vector<std::size_t> own_;  // indices of the lines in the file's own lines, by line
  std::vector<const McdcBlock*> blocks_;
  const ChangedRecord* changed_;
  std::size_t nextOwn_ = 0;
  std::size_t nextBlock_ = 0;
};

}  // namespace

SourceLines::SourceLines(std::string_view text) {
  if (isValidUtf8(text)) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  } else {
    charset_ = Charset::Latin1;
  }
  // Line ends are found with memchr, which looks at many bytes at a time. A
  // line feed ends a line; so does a carriage return, on its own or before a
  // line feed (the two then end one line).
  const char* at = text.data();
  const char* const end = at + text.size();
  while (at < end) {
    const char* feed = static_cast<const char*>(std::memchr(at, '\n', end - at));
    const char* stop = feed != nullptr ? feed : end;
    bool ended = false;  // a carriage return ended the line just before `stop`
    while (const char* ret = static_cast<const char*>(std::memchr(at, '\r', stop - at))) {
      lines_.emplace_back(at, static_cast<std::size_t>(ret - at));
      at = ret + 1;
      ended = at == stop;
      if (ended) break;
    }
    if (!ended && (feed != nullptr || at < end)) {
      lines_.emplace_back(at, static_cast<std::size_t>(stop - at));
    }
    at = feed != nullptr ? feed + 1 : end;
  }
}

void putSourceView(TextSink& out, const FileListing& listing, const SourceLines& source,
                   const std::vector<McdcBlock>& blocks, const ChangedRecord* changed) {
  out << "<div class=\"scroll\"><table class=\"source\">";
  out.endLine();
  putHeadRow(out, {"#Line", "Probes", "Source"});
  out << "<tbody>";
  out.endLine();
  SourceTable table(out, listing, blocks, changed);
  table.write(source);
  out << "</tbody>\n</table></div>";
  out.endLine();
}

}  // namespace kov::html
