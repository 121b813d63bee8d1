#include "driver/html_output.h"

#include "driver/output_directory.h"
#include "driver/run_options.h"
#include "model/coverage_file.h"
#include "reader/source_lookup.h"
#include "writers/export_names.h"
#include "writers/html/html_report.h"

namespace kov {
namespace {

// The report's sources: the shown name as it stands, then under each -src
// directory the name without the -root directory (as the exports show it).
class SourceFiles : public html::SourceProvider {
 public:
  SourceFiles(const RunOptions& options)
      : lookup_(options.sourceDirectories), root_(options.exportRoot) {}

  html::SourceStatus readSource(const CoverageFile& file, std::string& text) override {
    switch (lookup_.read(file.displayName, root_.shownName(file.displayName), text)) {
      case SourceLookup::Result::Found:
        return html::SourceStatus::Found;
      case SourceLookup::Result::TooLarge:
        return html::SourceStatus::TooLarge;
      case SourceLookup::Result::NotFound:
        break;
    }
    return html::SourceStatus::NotFound;
  }

 private:
  SourceLookup lookup_;
  ExportRoot root_;
};

}  // namespace

void writeHtmlOutput(const RunOptions& options, Coverage& coverage, const ChangedCode* changed) {
  OutputDirectory directory(options.htmlDirectory);
  SourceFiles sources(options);
  html::writeHtmlReport(coverage, directory, &sources, changed);
  directory.commit();
}

}  // namespace kov
