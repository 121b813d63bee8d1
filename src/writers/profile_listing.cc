#include "writers/profile_listing.h"

#include <string>
#include <string_view>
#include <vector>

#include "base/text_sink.h"
#include "model/coverage.h"
#include "writers/listing_walk.h"

namespace kov {
namespace {

constexpr std::size_t kBoxWidth = 77;
constexpr std::string_view kContinuation = "                      : ";

void putLine(TextSink& out, std::string_view text) {
  out << text;
  out.endLine();
}

void putRule(TextSink& out, char c) {
  for (std::size_t i = 0; i < kBoxWidth; ++i) out << c;
  out.endLine();
}

void putEmptyLines(TextSink& out, int count) {
  for (int i = 0; i < count; ++i) out.endLine();
}

// The entry at `index`, or an empty text where the list is shorter: the driver
// and the reader always fill these lists, a hand-built set may not.
std::string_view entryOf(const std::vector<std::string>& list, std::size_t index) {
  return index < list.size() ? std::string_view{list[index]} : std::string_view{};
}

// Pads `head` + `text` with blanks to 76 characters and closes the box with
// "*"; a longer text pushes the "*" out.
void putBoxedLine(TextSink& out, std::string_view head, std::string_view text) {
  std::string line;
  line.append(head).append(text);
  if (line.size() < kBoxWidth - 1) line.append(kBoxWidth - 1 - line.size(), ' ');
  line.push_back('*');
  putLine(out, line);
}

void writeBanner(const Coverage& coverage, TextSink& out) {
  const std::string blankBoxLine = "*" + std::string(kBoxWidth - 2, ' ') + "*";
  putRule(out, '*');
  putBoxedLine(out, "*           KOV++, Test Coverage Analyzer for C/C++, Version ",
               entryOf(coverage.kovpostVersions, 0));
  putLine(out, blankBoxLine);
  putBoxedLine(out, "*             EXECUTION PROFILE LISTING (MERGED by kovxmlmerge v",
               coverage.programVersion + ")");
  putLine(out, blankBoxLine);
  putBoxedLine(out, "*                    ", entryOf(coverage.copyrightLines, 0));
  putBoxedLine(out, "*             ", entryOf(coverage.copyrightLines, 1));
  putRule(out, '*');
  putEmptyLines(out, 2);
}

// A labelled value list: the first entry behind the label, every further one
// on a continuation line. An empty list still gives the label line.
void putList(TextSink& out, std::string_view label, const std::vector<std::string>& entries) {
  out << label << entryOf(entries, 0);
  out.endLine();
  for (std::size_t i = 1; i < entries.size(); ++i) {
    out << kContinuation << entries[i];
    out.endLine();
  }
}

void writeRunHeader(const Coverage& coverage, TextSink& out) {
  putList(out, "XML file(s) used      : ", coverage.inputReportList);
  if (!coverage.chosenFileNames.empty()) {
    putList(out, "Chosen file(s)        : ", coverage.chosenFileNames);
  }
  if (!coverage.unchosenFileNames.empty()) {
    putList(out, "Unchosen file(s)      : ", coverage.unchosenFileNames);
  }
  out << "Listing produced at   : " << coverage.runTimeStamp;
  out.endLine();
  out << "Coverage view         : " << coverage.requestedCoverageView;
  out.endLine();
  putEmptyLines(out, 3);
}

// The file sections: each line as the listing writes it, with the heads
// and TER lines of files and functions around them.
class TextListing : public ListingVisitor {
 public:
  explicit TextListing(TextSink& out) : out_(out) {}

  void beginFile(const CoverageFile& file) override {
    file_ = &file;
    out_ << (file.fileType == kHeaderFile ? "MONITORED HEADER FILE : "
                                          : "MONITORED SOURCE FILE : ")
         << file.displayName;
    out_.endLine();
    out_ << "INSTRUMENTATION MODE  : " << file.instrumentationMode;
    out_.endLine();
    out_.endLine();
    putLine(out_, " HITS/TRUE      FALSE    LINE DESCRIPTION");
    putRule(out_, '=');
    out_.endLine();
    for (const std::string& header : file.extractedHeaderNames) {
      out_ << "#include \"" << header << '"';
      out_.endLine();
    }
    for (const std::string& include : file.includeLines) putLine(out_, include);
  }

  void line(const ListingLine& line) override { writeListingLine(line, out_); }

  void endFunction(const CoverageFunction& function) override {
    if (file_->functionCoverageOnly) return;
    out_.endLine();
    out_ << "***TER " << function.terText << " of FUNCTION " << function.name << "()";
    out_.endLine();
    out_ << "       " << function.statementTerText;
    out_.endLine();
    putRule(out_, '-');
    out_.endLine();
  }

  void endFile(const CoverageFile& file) override {
    out_.endLine();
    out_ << "***TER " << file.terText << " of FILE " << file.displayName;
    out_.endLine();
    out_ << "       " << file.statementTerText;
    out_.endLine();
    putRule(out_, '-');
    putEmptyLines(out_, 3);
    file_ = nullptr;
  }

 private:
  TextSink& out_;
  const CoverageFile* file_ = nullptr;
};

void writeSummary(const Coverage& coverage, TextSink& out) {
  putLine(out, "SUMMARY");
  putLine(out, "=======");
  out.endLine();
  if (coverage.chosenFiles == 0) {
    // Every file excluded: fixed figures, whatever the totals hold.
    for (std::string_view line : {
             "Source files       : 0",
             "Headers extracted  : 0",
             "Functions          : 0",
             "Source lines       : 0",
             "TER                : 100 % (0/0)",
             "TER                : 100 % (0/0) statement",
         }) {
      putLine(out, line);
    }
    return;
  }
  out << "Source files       : ";
  out.putUnsigned(coverage.chosenSourceFiles).endLine();
  out << "Headers extracted  : ";
  out.putUnsigned(coverage.chosenHeaderFiles).endLine();
  out << "Functions          : ";
  out.putUnsigned(coverage.functions).endLine();
  out << "Source lines       : ";
  out.putUnsigned(coverage.lines).endLine();
  out << "TER                : ";
  out.putUnsigned(coverage.terValue) << " % (";
  out.putUnsigned(coverage.hits) << "/";
  out.putUnsigned(coverage.all) << ") " << coverage.shownCoverageViewsText;
  out.endLine();
  out << "TER                : " << coverage.statementTerText;
  out.endLine();
}

}  // namespace

void writeProfileListing(Coverage& coverage, TextSink& out) {
  writeBanner(coverage, out);
  writeRunHeader(coverage, out);
  TextListing sections(out);
  walkListing(coverage, sections);
  writeSummary(coverage, out);
}

}  // namespace kov
