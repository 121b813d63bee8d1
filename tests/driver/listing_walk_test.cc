// The listing's lines are produced by one walk that every output showing
// them shares; these tests hold the walk to the text listing of real reports.
#include "writers/listing_walk.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/text_sink.h"
#include "model/coverage.h"
#include "reader/report_pipeline.h"
#include "writers/profile_listing.h"

namespace kov {
namespace {

namespace fs = std::filesystem;

const fs::path kRepository = fs::path(__FILE__).parent_path().parent_path().parent_path();

std::unique_ptr<Coverage> mergedExample(const char* folder) {
  auto coverage = std::make_unique<Coverage>("3.4", std::vector<std::string>{},
                                             std::vector<std::string>{},
                                             std::vector<std::string>{},
                                             std::vector<std::string>{"one", "two"});
  {
    ReportPipeline reading(*coverage, false, {}, {});
    const fs::path dir = kRepository / "examples" / folder;
    reading.readAll({(dir / "run1.xml").string(), (dir / "run2.xml").string()}, false);
  }
  coverage->process("Mon Dec  7 11:14:34 2026");
  return coverage;
}

std::string listingOf(Coverage& coverage) {
  StringSink sink;
  writeProfileListing(coverage, sink);
  return sink.text();
}

// Collects every line of a walk as the text listing writes it, and the file
// each line counts in.
class Recorder : public ListingVisitor {
 public:
  void line(const ListingLine& line) override {
    writeListingLine(line, text);
    files.push_back(line.lineFile ? line.lineFile->displayName : "?");
  }
  StringSink text;
  std::vector<std::string> files;
};

TEST(ListingWalkTest, EveryWalkGivesTheSameLines) {
  for (const char* folder : {"basic", "mcdc"}) {
    auto coverage = mergedExample(folder);
    const std::string first = listingOf(*coverage);
    Recorder walked;
    walkListing(*coverage, walked);
    // A walk after the listing (which marks what it has written) and a
    // listing after that walk still show every stretch in place.
    EXPECT_EQ(listingOf(*coverage), first) << folder;
    const std::string& lines = walked.text.text();
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(first.find(lines.substr(0, lines.find('\n'))), std::string::npos) << folder;
    Recorder again;
    walkListing(*coverage, again);
    EXPECT_EQ(again.text.text(), lines) << folder;
  }
}

TEST(ListingWalkTest, StretchLinesCountInTheFileTheirDirectiveNames) {
  auto coverage = mergedExample("basic");
  Recorder walked;
  walkListing(*coverage, walked);
  std::vector<std::string> lines;
  const std::string& text = walked.text.text();
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  ASSERT_EQ(lines.size(), walked.files.size());
  std::vector<std::string> inStretch;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (walked.files[i] == "src/ops.def") inStretch.push_back(lines[i]);
  }
  EXPECT_EQ(inStretch, (std::vector<std::string>{
                           "         4                  1     case OP_INC",
                           "         4                  1     return v + 1",
                           "        40                  2     case OP_DBL",
                           "        40                  2     return v * 2",
                       }));
}

}  // namespace
}  // namespace kov
