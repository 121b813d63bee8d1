#include "writers/listing_walk.h"

#include "model/coverage.h"
#include "model/coverage_view.h"

namespace kov {
namespace {

void walkFunction(CoverageFunction& function, ListingContext& context, ListingVisitor& visitor) {
  context.function = &function;
  visitor.beginFunction(function);
  for (const auto& probe : function.probes()) walkProbeLines(*probe, context, visitor);
  visitor.endFunction(function);
  function.listed = true;
  context.function = nullptr;
}

void walkFile(CoverageFile& file, bool mcdcView, ListingVisitor& visitor) {
  ListingContext context;
  context.mcdcView = mcdcView;
  context.file = &file;
  // A pending part left behind by the statement analysis is no directive of
  // the listing: every file section starts with none.
  file.pendingPart = nullptr;
  visitor.beginFile(file);
  for (const auto& function : file.functions()) walkFunction(*function, context, visitor);
  visitor.endFile(file);
}

}  // namespace

bool isListedFile(const CoverageFile& file) {
  return file.chosen && (file.fileType == kSourceFile || file.fileType == kHeaderFile);
}

void walkListing(Coverage& coverage, ListingVisitor& visitor) {
  for (const auto& [key, file] : coverage.files()) {
    for (const auto& function : file->functions()) function->listed = false;
  }
  const bool mcdcView = coverage.requestedCoverageView == kViewMcdc;
  for (const auto& [key, file] : coverage.files()) {
    if (isListedFile(*file)) walkFile(*file, mcdcView, visitor);
  }
}

}  // namespace kov
