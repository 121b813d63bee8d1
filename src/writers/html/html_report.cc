#include "writers/html/html_report.h"

#include <string>

#include "base/text_sink.h"
#include "model/coverage.h"
#include "writers/html/assets.h"
#include "writers/html/directory_page.h"
#include "writers/html/file_listing.h"
#include "writers/html/file_page.h"
#include "writers/html/overview.h"
#include "writers/html/report_tree.h"
#include "writers/listing_walk.h"

namespace kov::html {
namespace {

// Collects the lines of each file from the listing walk and writes its page
// when the file is done.
class FilePages : public ListingVisitor {
 public:
  FilePages(const Coverage& coverage, const ReportTree& tree, ReportOutput& output,
            SourceProvider* sources)
      : coverage_(coverage), tree_(tree), output_(output), sources_(sources) {}

  void beginFile(const CoverageFile& file) override {
    listing_.clear();
    listing_.file = &file;
  }
  void beginFunction(const CoverageFunction& function) override {
    listing_.functions.push_back({&function, listing_.lines.size(), 0});
  }
  void line(const ListingLine& line) override { listing_.lines.push_back(line); }
  void endFunction(const CoverageFunction&) override {
    FileListing::Function& entry = listing_.functions.back();
    entry.count = listing_.lines.size() - entry.first;
  }
  void endFile(const CoverageFile& file) override {
    const FilePage* page = tree_.pageOf(&file);
    if (page == nullptr) return;
    source_.clear();
    SourceStatus status =
        sources_ != nullptr ? sources_->readSource(file, source_) : SourceStatus::NotFound;
    TextSink& out = output_.beginFile(page->pageName);
    writeFilePage(out, coverage_, tree_, listing_, status, source_);
    output_.endFile();
    listing_.clear();
    // A large source is not kept for the next page.
    if (source_.capacity() > (std::size_t{1} << 20)) std::string().swap(source_);
  }

 private:
  const Coverage& coverage_;
  const ReportTree& tree_;
  ReportOutput& output_;
  SourceProvider* sources_;
  FileListing listing_;
  std::string source_;
};

}  // namespace

void writeHtmlReport(Coverage& coverage, ReportOutput& output, SourceProvider* sources) {
  for (const Asset& asset : reportAssets()) {
    output.beginFile(asset.name) << asset.bytes;
    output.endFile();
  }
  const ReportTree tree(coverage);
  FilePages pages(coverage, tree, output, sources);
  walkListing(coverage, pages);
  for (std::size_t i = 1; i < tree.directories().size(); ++i) {
    writeDirectoryPage(output.beginFile(tree.directories()[i].pageName), coverage, tree, i);
    output.endFile();
  }
  writeOverview(output.beginFile("index.html"), coverage, tree);
  output.endFile();
  output.beginFile(kMarkerFileName) << kMarkerText;
  output.endFile();
}

}  // namespace kov::html
