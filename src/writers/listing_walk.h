// The walk through the processed set in the order of the profile listing:
// the files it shows, their functions, and every listing line. The text
// listing is one visitor of this walk; every other output that shows the
// listing's lines (the HTML report, the JSON document) is another, so all of
// them show the same lines.
#pragma once

#include "writers/probe_line.h"

namespace kov {

class Coverage;

/// Receives the walk: files in key order, functions in file order, lines.
class ListingVisitor : public ListingLineSink {
 public:
  /// A file section begins.
  virtual void beginFile(const CoverageFile& file) { (void)file; }
  /// A function's lines begin.
  virtual void beginFunction(const CoverageFunction& function) { (void)function; }
  /// A function's lines are done.
  virtual void endFunction(const CoverageFunction& function) { (void)function; }
  /// A file section is done.
  virtual void endFile(const CoverageFile& file) { (void)file; }
};

/// Whether the listing shows a file: a chosen source or header file.
bool isListedFile(const CoverageFile& file);

/// Walks the listing of a processed set. Each walk starts afresh: it clears
/// the functions' `listed` flags first and sets them as it goes, so any
/// number of walks produce the same lines.
void walkListing(Coverage& coverage, ListingVisitor& visitor);

}  // namespace kov
