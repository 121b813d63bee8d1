#include "writers/html/html_report.h"

#include <memory>
#include <string>

#include "base/text_sink.h"
#include "model/coverage.h"
#include "writers/html/assets.h"
#include "writers/html/changed_marks.h"
#include "writers/html/changed_page.h"
#include "writers/html/directory_page.h"
#include "writers/html/file_listing.h"
#include "writers/html/file_page.h"
#include "writers/html/overview.h"
#include "writers/html/probe_view.h"
#include "writers/html/report_tree.h"
#include "writers/listing_walk.h"

namespace kov::html {
namespace {

// Writes the page of each file as the listing walk goes. A page that shows
// its source needs every line before the first is shown, so its lines are
// kept until the file is done; any other page is written line by line.
class FilePages : public ListingVisitor {
 public:
  FilePages(const Coverage& coverage, const ReportTree& tree, ReportOutput& output,
            SourceProvider* sources, const ChangedMarks& marks)
      : coverage_(coverage), tree_(tree), output_(output), sources_(sources), marks_(marks) {}

  void beginFile(const CoverageFile& file) override {
    page_ = tree_.pageOf(&file);
    if (page_ == nullptr) return;
    source_.clear();
    status_ = sources_ != nullptr ? sources_->readSource(file, source_) : SourceStatus::NotFound;
    listing_.clear();
    listing_.file = &file;
    if (status_ == SourceStatus::Found) return;
    out_ = &output_.beginFile(page_->pageName);
    putFilePageHead(*out_, coverage_, tree_, file, status_, {}, nullptr, marks_);
    view_ = std::make_unique<ProbeView>(*out_, file, false, coverage_.mcdcView(), &marks_);
  }
  void beginFunction(const CoverageFunction& function) override {
    if (view_) {
      view_->beginFunction(function);
    } else if (page_ != nullptr) {
      listing_.functions.push_back({&function, listing_.lines.size(), 0});
    }
  }
  void line(const ListingLine& line) override {
    if (view_) {
      view_->line(line);
    } else if (page_ != nullptr) {
      listing_.lines.push_back(line);
    }
  }
  void endFunction(const CoverageFunction& function) override {
    if (view_) {
      view_->endFunction(function);
    } else if (page_ != nullptr) {
      listing_.functions.back().count = listing_.lines.size() - listing_.functions.back().first;
    }
  }
  void endFile(const CoverageFile& file) override {
    if (page_ == nullptr) return;
    if (!view_) {
      out_ = &output_.beginFile(page_->pageName);
      putFilePageHead(*out_, coverage_, tree_, file, status_, source_, &listing_, marks_);
      ProbeView view(*out_, file, true, coverage_.mcdcView(), &marks_);
      for (const FileListing::Function& entry : listing_.functions) {
        view.beginFunction(*entry.function);
        for (std::size_t i = entry.first; i < entry.first + entry.count; ++i) {
          view.line(listing_.lines[i]);
        }
        view.endFunction(*entry.function);
      }
    }
    putFilePageTail(*out_, coverage_);
    output_.endFile();
    view_.reset();
    out_ = nullptr;
    page_ = nullptr;
    listing_.clear();
    // A large source is not kept for the next page.
    if (source_.capacity() > (std::size_t{1} << 20)) std::string().swap(source_);
  }

 private:
  const Coverage& coverage_;
  const ReportTree& tree_;
  ReportOutput& output_;
  SourceProvider* sources_;
  const ChangedMarks& marks_;
  const FilePage* page_ = nullptr;
  SourceStatus status_ = SourceStatus::NotFound;
  TextSink* out_ = nullptr;
  std::unique_ptr<ProbeView> view_;  // while a page is written line by line
  FileListing listing_;
  std::string source_;
};

}  // namespace

void writeHtmlReport(Coverage& coverage, ReportOutput& output, SourceProvider* sources,
                     const ChangedCode* changed) {
  for (const Asset& asset : reportAssets()) {
    output.beginFile(asset.name) << asset.bytes;
    output.endFile();
  }
  const ReportTree tree(coverage);
  const ChangedMarks marks(changed);
  FilePages pages(coverage, tree, output, sources, marks);
  walkListing(coverage, pages);
  for (std::size_t i = 1; i < tree.directories().size(); ++i) {
    writeDirectoryPage(output.beginFile(tree.directories()[i].pageName), coverage, tree, i);
    output.endFile();
  }
  if (changed != nullptr) {
    writeChangedPage(output.beginFile(kChangedPageName), coverage, tree, marks);
    output.endFile();
  }
  writeOverview(output.beginFile("index.html"), coverage, tree, marks);
  output.endFile();
  output.beginFile(kMarkerFileName) << kMarkerText;
  output.endFile();
}

}  // namespace kov::html
