// Reading the files of a report: files, functions, probes and summaries, and
// which file each function and probe goes to.
#include <string>

#include "base/diagnostic.h"
#include "model/coverage_common.h"
#include "model/probe_kind.h"
#include "reader/kov_parser.h"
#include "reader/numbers.h"

namespace kov {
namespace {

using tag::Attribute;
using tag::Element;

bool isSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// The second word of a text whose words are separated by white space.
std::string_view secondWord(std::string_view text) {
  std::size_t at = 0;
  for (int word = 0; word < 2; ++word) {
    while (at < text.size() && isSpace(text[at])) ++at;
    const std::size_t start = at;
    while (at < text.size() && !isSpace(text[at])) ++at;
    if (word == 1) return text.substr(start, at - start);
  }
  return {};
}

}  // namespace

void KOVParser::requireCurrentFile() const {
  // The layout gives "<file_type>", which creates the file, before anything
  // that is added to it.
  if (!hasCurrentFile_) notAReport();
}

void KOVParser::addHeaderFile(FileSlot slot, std::string_view key, std::uint32_t fileType,
                              std::string_view headerName) {
  const std::string shown = displayName(headerName, noDriveLetter_);
  out_.addFile(slot, key, fileType, shown, chooser_.isChosen(shown));
  out_.addInstrumentationMode(slot, instrumentationMode_);
}

// A line directive's description reads like `#line 12 "b.h"`: the file name
// between the first two double quotes, the target line as its second word.
void KOVParser::headerOfDirective(std::string_view description, std::string_view& headerName,
                                  std::uint32_t& targetLine) const {
  const std::size_t open = description.find('"');
  const std::size_t close = open == std::string_view::npos ? open : description.find('"', open + 1);
  const std::string_view word = secondWord(description);
  if (close == std::string_view::npos || word.empty()) notAReport();
  headerName = description.substr(open + 1, close - open - 1);
  targetLine = toNumber(word);
}

void KOVParser::readFiles() {
  for (;;) {
    readFileElement();
    if (lineHas(tag::kFile)) {
      const std::string name(attributeValue(Attribute::kName));
      attributes_.clear();
      readFile(fileKey(name, noDriveLetter_), displayName(name, noDriveLetter_));
    } else if (lineHas(tag::kFileEnd)) {
      elements_.clear();
      // The current line lives in the read buffer, which the skip may reuse.
      const bool last = lineHas(tag::kOverallSummaryEnd);
      skipSeparatorLine();
      if (last) return;
      continue;
    } else if (lineHas(tag::kOverallSummary)) {
      readOverallSummary();
    }
    if (lineHas(tag::kOverallSummaryEnd)) return;
  }
}

void KOVParser::readFile(const std::string& key, const std::string& shownName) {
  for (;;) {
    readBodyElement();
    if (lineHas(tag::kFileType)) {
      const std::uint32_t type =
          elementText(Element::kFileType) == "source" ? kSourceFile : kHeaderFile;
      out_.addFile(FileSlot::kCurrent, key, type, shownName, chooser_.isChosen(shownName));
      hasCurrentFile_ = true;
      currentKey_ = key;
    } else if (lineHas(tag::kInstrumentationMode)) {
      requireCurrentFile();
      instrumentationMode_ = elementText(Element::kInstrumentationMode);
      out_.addInstrumentationMode(FileSlot::kCurrent, instrumentationMode_);
    } else if (lineHas(tag::kInclude)) {
      requireCurrentFile();
      out_.addIncludeLine(FileSlot::kCurrent, attributeValue(Attribute::kName));
      clearMaps();
    } else if (lineHas(tag::kProbe)) {
      readDirectiveBetweenFunctions();
    } else if (lineHas(tag::kFunction)) {
      startFunction();
    } else if (lineHas(tag::kFileSummary)) {
      readFileSummary();
    }
    if (lineHas(tag::kFileSummaryEnd)) {
      endFile();
      return;
    }
  }
}

// Everything that belongs to one file ends with it; directive lines left
// unused by a last function must not reach the first function of the next.
void KOVParser::endFile() {
  pendingHeaderName_.clear();
  hasCurrentFile_ = false;
  hasTargetFile_ = false;
  directiveLine_ = 0;
  directiveTargetLine_ = 0;
}

// A line directive between functions sends the following functions to the
// file it names (back to the current file where it names that).
void KOVParser::readDirectiveBetweenFunctions() {
  requireCurrentFile();
  const std::string description(attributeValue(Attribute::kDescr));
  const std::uint32_t line = toNumber(attributeValue(Attribute::kLine));
  clearMaps();
  std::string_view headerName;
  std::uint32_t targetLine = 0;
  headerOfDirective(description, headerName, targetLine);
  directiveLine_ = line;
  directiveTargetLine_ = targetLine;
  targetKey_ = fileKey(headerName, noDriveLetter_);
  hasTargetFile_ = true;
  addHeaderFile(FileSlot::kTarget, targetKey_, kHeaderFile, headerName);
  // Files are found by key, so the same key is the same file.
  if (targetKey_ == currentKey_) {
    pendingHeaderName_.clear();
  } else {
    out_.addExtractedHeaderName(FileSlot::kCurrent, FileSlot::kTarget);
  }
}

void KOVParser::startFunction() {
  requireCurrentFile();
  FunctionRecord record;
  record.name = attributeValue(Attribute::kName);
  clearMaps();
  if (!hasTargetFile_) {
    hasTargetFile_ = true;
    targetKey_ = currentKey_;
    out_.sameFile(FileSlot::kTarget, FileSlot::kCurrent);
  } else if (!pendingHeaderName_.empty()) {
    // A line directive in an earlier body of this file named a header: the
    // following functions are that header's.
    targetKey_ = fileKey(pendingHeaderName_, noDriveLetter_);
    addHeaderFile(FileSlot::kTarget, targetKey_, kHeaderFile, pendingHeaderName_);
    out_.addExtractedHeaderName(FileSlot::kCurrent, FileSlot::kTarget);
  }
  record.startLine = directiveLine_;
  record.headerLine = directiveTargetLine_;
  directiveLine_ = 0;
  directiveTargetLine_ = 0;
  readFunction(record);
}

void KOVParser::readFunction(FunctionRecord& record) {
  for (;;) {
    readTextElement();
    if (lineHas(tag::kParameters)) {
      record.parameters = elementText(Element::kParameters);
    } else if (lineHas(tag::kDefinedAtLine)) {
      record.definitionLine = toNumber(elementText(Element::kDefinedAtLine));
    } else if (lineHas(tag::kCallCount)) {
      record.callCount = toNumber(elementText(Element::kCallCount));
    } else if (lineHas(tag::kTotalExecutionCost)) {
      record.totalExecutionCost =
          static_cast<std::uint32_t>(toSignedNumber(elementText(Element::kTotalExecutionCost)));
    } else if (lineHas(tag::kMaxExecutionCost)) {
      record.maxExecutionCost = toSignedNumber(elementText(Element::kMaxExecutionCost));
    } else if (lineHas(tag::kBody)) {
      elements_.clear();
      out_.addFunction(record);
      readBody(record);
    } else if (lineHas(tag::kFunctionSummary)) {
      readFunctionSummary(record);
    }
    if (lineHas(tag::kFunctionEnd)) {
      elements_.clear();
      return;
    }
  }
}

// The probes go to the body function, the function of the record's identity
// in the target file, or to the part function once a line directive has
// diverted the rest of the body.
void KOVParser::readBody(const FunctionRecord& record) {
  for (;;) {
    const FunctionSlot function = hasHeaderPartFunction_ ? FunctionSlot::kPart : FunctionSlot::kBody;
    readProbeElement(function);
    // A probe of plain lines is in the record stream already.
    if (probeWritten_) continue;
    if (lineHas(tag::kProbe)) {
      if (!probeScanned_) buildProbeRecord();
      if (probe_.typeKeyword == keywordOf(ProbeKind::LinedirInFunction)) {
        const FileSlot header = readDirectiveInBody(record);
        out_.addProbe(FunctionSlot::kBody, probe_, header);
      } else if (hasHeaderPartFunction_) {
        out_.addProbe(FunctionSlot::kPart, probe_, FileSlot::kNoFile);
      } else {
        out_.addProbe(FunctionSlot::kBody, probe_, FileSlot::kNoFile);
      }
    }
    if (lineHas(tag::kBodyEnd)) {
      elements_.clear();
      hasHeaderPart_ = false;
      hasHeaderPartFunction_ = false;
      headerPartLine_ = 0;
      return;
    }
  }
}

void KOVParser::buildProbeRecord() {
  const std::string_view type = attributeValue(Attribute::kType);
  probe_.typeKeyword.assign(type);
  probe_.hasCount1 = hasAttribute(Attribute::kCount1);
  probe_.line = toNumber(attributeValue(Attribute::kLine));
  probe_.counters = {toNumber(attributeValue(Attribute::kCount1)),
                     toNumber(attributeValue(Attribute::kCount2))};
  probe_.statementCount = toNumber(attributeValue(Attribute::kScCount));
  probe_.nesting = toNumber(attributeValue(Attribute::kNesting));
  // The model takes the description over, so it is built with one allocation.
  const std::string_view description = attributeValue(Attribute::kDescr);
  probe_.description.clear();
  if (hasAttribute(Attribute::kEvalNo)) {
    const std::string_view evalNo = attributeValue(Attribute::kEvalNo);
    probe_.description.reserve(evalNo.size() + 2 + description.size());
    probe_.description.append(evalNo).append(": ");
  }
  probe_.description.append(description);
  attributes_.clear();
  probe_.listedLine = probe_.line;
  probe_.headerLine = 0;
}

// A line directive inside a body: where it names another file, the rest of
// the body is that file's code and goes to a line-directive file of its own
// for this function; where it names the function's own file, that ends.
FileSlot KOVParser::readDirectiveInBody(const FunctionRecord& record) {
  std::string_view headerName;
  std::uint32_t targetLine = 0;
  headerOfDirective(probe_.description, headerName, targetLine);
  const std::string headerKey = fileKey(headerName, noDriveLetter_);
  FileSlot headerFile = FileSlot::kTarget;
  if (headerKey != targetKey_) {
    std::string partKey = targetKey_;
    partKey.append("_").append(record.name).append(record.parameters).append("_");
    partKey.append(std::to_string(record.definitionLine)).append("_").append(headerKey);
    pendingHeaderName_.assign(headerName);
    addHeaderFile(FileSlot::kHeaderPart, partKey, kLineDirectiveFile, headerName);
    hasHeaderPart_ = true;
    out_.addLineDirectiveFile(FileSlot::kTarget, FileSlot::kHeaderPart, record.name,
                              record.definitionLine, record.parameters);
    out_.addPartFunction(record);
    hasHeaderPartFunction_ = true;
    if (headerPartLine_ == 0) headerPartLine_ = probe_.line;
    probe_.line = headerPartLine_;
    headerFile = FileSlot::kHeaderPart;
  } else {
    pendingHeaderName_.clear();
    hasHeaderPart_ = false;
    hasHeaderPartFunction_ = false;
    headerPartLine_ = 0;
    probe_.line = targetLine;
  }
  probe_.headerLine = targetLine;
  return headerFile;
}

void KOVParser::readFunctionSummary(const FunctionRecord& record) {
  for (;;) {
    readTextElement();
    if (lineHas(tag::kStatementAvailable)) {
      out_.setStatementAvailability(FileSlot::kTarget, record.name, record.definitionLine,
                                    record.parameters, elementText(Element::kStatementAvailable));
    }
    if (lineHas(tag::kFunctionSummaryEnd)) {
      elements_.clear();
      return;
    }
  }
}

void KOVParser::readFileSummary() {
  for (;;) {
    readTextElement();
    if (lineHas(tag::kLines)) {
      requireCurrentFile();
      out_.addLineCount(FileSlot::kCurrent, toNumber(elementText(Element::kLines)));
    }
    if (lineHas(tag::kFileSummaryEnd)) return;
  }
}

void KOVParser::readOverallSummary() {
  for (;;) {
    readTextElement();
    if (lineHas(tag::kShownCoverageViews)) {
      std::string views(elementText(Element::kShownCoverageViews));
      const std::size_t at = views.find("multicondition");
      if (at != std::string::npos) views[at + 5] = 'C';
      out_.listText(ReportList::kReportViews, views);
    } else if (lineHas(tag::kLines)) {
      out_.listNumber(ReportList::kReportLines, toNumber(elementText(Element::kLines)));
    } else if (lineHas(tag::kMeasurementPoints)) {
      out_.listNumber(ReportList::kReportMeasurementPoints,
                      toNumber(elementText(Element::kMeasurementPoints)));
    }
    if (lineHas(tag::kOverallSummaryEnd)) {
      elements_.clear();
      return;
    }
  }
}

}  // namespace kov
