// Reading one report: the checks of its head, its header values and notices.
#include "reader/kov_parser.h"

#include "base/diagnostic.h"
#include "base/merge_state_format.h"
#include "reader/numbers.h"

namespace kov {
namespace {

// Versions 8.2 and 8.3 and everything written like them (8.2.1, 8.3.5).
bool isMergeableVersion(std::string_view version) {
  return version.size() >= 3 && version[0] == '8' && (version[2] == '2' || version[2] == '3');
}

}  // namespace

KOVParser::KOVParser(RecordWriter& out, bool noDriveLetter, std::vector<std::string> chosenFiles,
                     std::vector<std::string> unchosenFiles, std::size_t blockSize)
    : out_(out),
      noDriveLetter_(noDriveLetter),
      chooser_(noDriveLetter, chosenFiles, unchosenFiles),
      lines_(blockSize) {}

KOVParser::~KOVParser() = default;

void KOVParser::parse(InputFile report) {
  // Closes the file and forgets its name also when a diagnostic is raised.
  struct CloseAtEnd {
    LineReader& lines;
    ~CloseAtEnd() { lines.close(); }
  } closeAtEnd{lines_};
  lines_.open(std::move(report));
  const std::string& fileName = lines_.fileName();
  clearMaps();
  endFile();
  hasHeaderPart_ = false;
  hasHeaderPartFunction_ = false;
  headerPartLine_ = 0;

  readLine(LineMode::kElement);  // the XML declaration
  skipSeparatorLine();
  const std::string_view root = readLine(LineMode::kElement);
  if (root.find(tag::kRoot) == std::string_view::npos) {
    // A saved merge can only stand first: it replaces the reports it was
    // made from, which must come before any other.
    if (root.substr(0, state::kRootElement.size()) == state::kRootElement) {
      raise(diag::kStateNotFirst, fileName);
    }
    raise(diag::kNotReportRoot, fileName);
  }
  skipSeparatorLine();
  if (readLine(LineMode::kElement).find(tag::kHeaderInfo) == std::string_view::npos) {
    raise(diag::kHeaderMissing, fileName);
  }
  readHeader();
  skipSeparatorLine();
  readNotices();
  skipSeparatorLine();
  readFiles();
  out_.endReport();
}

void KOVParser::readHeader() {
  using tag::Element;
  for (;;) {
    readTextElement();
    if (lineHas(tag::kKovpostVersion)) {
      const std::string_view version = elementText(Element::kKovpostVersion);
      if (!isMergeableVersion(version)) raise(diag::kOldKovpost, version);
      out_.listText(ReportList::kKovpostVersions, version);
    } else if (lineHas(tag::kReportGenerated)) {
      std::string entry = lines_.fileName();
      entry.append(" (").append(elementText(Element::kReportGenerated)).append(")");
      out_.listText(ReportList::kInputReports, entry);
    } else if (lineHas(tag::kRequestedCoverageView)) {
      out_.listText(ReportList::kCoverageViews, elementText(Element::kRequestedCoverageView));
    } else if (lineHas(tag::kCostFunction)) {
      out_.listText(ReportList::kCostFunctions, elementText(Element::kCostFunction));
    } else if (lineHas(tag::kCostType)) {
      out_.listText(ReportList::kCostTypes, elementText(Element::kCostType));
    } else if (lineHas(tag::kCostScaling)) {
      out_.listNumber(ReportList::kCostScalings, toNumber(elementText(Element::kCostScaling)));
    }
    if (lineHas(tag::kHeaderInfoEnd)) {
      elements_.clear();
      return;
    }
  }
}

void KOVParser::readNotices() {
  for (;;) {
    readTextElement();
    if (lineHas(tag::kNotice)) {
      std::string notice(elementText(tag::Element::kNotice));
      elements_.clear();
      out_.listText(ReportList::kNotices, notice);
    }
    if (lineHas(tag::kNoticesEnd)) {
      elements_.clear();
      return;
    }
  }
}

}  // namespace kov
