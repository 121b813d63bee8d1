// The probe view of a file page: every function as the listing shows it,
// line by line as the listing walk produces them, with the MC/DC tables of a
// decision after its rows and the function's TER lines. It is written while
// the walk goes on, so that a page without a source view needs no copy of
// its lines.
#pragma once

#include <cstddef>
#include <string_view>
#include "writers/html/mcdc_table.h"
#include "writers/probe_line.h"

namespace kov {

class TextSink;

namespace html {

class ProbeView {
 public:
  /// `sourceShown`: the page shows the source view, which holds the MC/DC
  /// tables of the decisions in the file's own lines. `mcdcView`: the view
  /// in force is the MC/DC view.
  ProbeView(TextSink& out, const CoverageFile& file, bool sourceShown, bool mcdcView);

  void beginFunction(const CoverageFunction& function);
  void line(const ListingLine& line) {
    if (pending_ != nullptr && line.probe != pending_) putPendingTables();
    putRow(line);
    if (mcdcView_) followDecisions(line);  // only the MC/DC view has MC/DC tables
  }
  void endFunction(const CoverageFunction& function);

 private:
  void putRow(const ListingLine& line);
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
};

}  // namespace html
}  // namespace kov
