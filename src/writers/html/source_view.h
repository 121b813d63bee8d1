// The source view of a file page: the source text, each line with its
// probes beside it (counts, the reachability markers, a mark where a probe is
// not fully covered) and the MC/DC tables of a decision under its line.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "writers/html/html_text.h"

namespace kov {

class TextSink;
struct ChangedRecord;

namespace html {

struct FileListing;
struct McdcBlock;

/// A source file's text cut into lines (at LF, CR LF or a lone CR). Valid
/// UTF-8 is shown as UTF-8 (a byte order mark dropped), anything else as
/// ISO-8859-1.
class SourceLines {
 public:
  /// `text` must outlive the lines.
  explicit SourceLines(std::string_view text);

  std::size_t count() const { return lines_.size(); }
  /// Line `number`, counted from 1 (at most count()).
  std::string_view line(std::size_t number) const { return lines_[number - 1]; }
  Charset charset() const { return charset_; }

 private:
  std::vector<std::string_view> lines_;
  Charset charset_ = Charset::Utf8;
};

/// Writes the source view table; `blocks` are the file's decisions with
/// MC/DC tables (those placed under the source are shown here). `changed`,
/// where a diff changed the file, marks the lines it adds.
void putSourceView(TextSink& out, const FileListing& listing, const SourceLines& source,
                   const std::vector<McdcBlock>& blocks, const ChangedRecord* changed = nullptr);

}  // namespace html
}  // namespace kov
