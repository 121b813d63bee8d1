// The probe view of a file page: every function as the listing shows it,
// line by line as the listing walk produces them, with the MC/DC tables of a
// decision after its rows and the function's TER lines. It is written while
// the walk goes on, so that a page without a source view needs no copy of
// its lines.
#pragma once

#include <cstddef>
#include <string_view>
#include <unordered_set>

#include "writers/html/mcdc_table.h"
#include "writers/probe_line.h"

namespace kov {

class TextSink;
struct ChangedRecord;

namespace html {

class ChangedMarks;

class ProbeView {
 public:
  /// `sourceShown`: the page shows the source view, which holds the MC/DC
  /// tables of the decisions in the file's own lines. `mcdcView`: the view
  /// in force is the MC/DC view.
  /// `marks` tells the lines a diff changed (and the anchors of those with
  /// uncovered outcomes); nullptr where the run has no diff.
  ProbeView(TextSink& out, const CoverageFile& file, bool sourceShown, bool mcdcView,
            const ChangedMarks* marks = nullptr);

  void beginFunction(const CoverageFunction& function);
  void line(const ListingLine& line) {
    if (pending_ != nullptr && line.probe != pending_) putPendingTables();
    putRow(line);
    if (mcdcView_) followDecisions(line);  // only the MC/DC view has MC/DC tables
  }
  void endFunction(const CoverageFunction& function);

 private:
  void putRow(const ListingLine& line);
  // Whether the change adds the row's line; `anchor` is set to the number
  // of the row's changed-line anchor, 0 where it carries none.
  bool changedRow(const ListingLine& line, std::size_t& anchor);
  void followDecisions(const ListingLine& line);
  void putPendingTables();

  TextSink& out_;
  const CoverageFile& file_;
  bool sourceShown_;
  bool mcdcView_;
  std::size_t functions_ = 0;
  McdcTracker decisions_;
  // The decision whose MC/DC tables follow its last row, once a line of
  // another probe comes: its `mcdc` probe, text and line.
  const CoverageProbe* pending_ = nullptr;
  std::string_view pendingDecision_;
  std::uint32_t pendingLine_ = 0;
  const ChangedMarks* marks_;
  // The changed record of the file the last row counted in.
  const CoverageFile* recordFile_ = nullptr;
  const ChangedRecord* record_ = nullptr;
  std::unordered_set<std::size_t> anchored_;  // anchors already on the page
};

}  // namespace html
}  // namespace kov
