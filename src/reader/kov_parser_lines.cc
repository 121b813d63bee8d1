// The lexical layer of the reader: lines, text elements, start tags, probe
// elements over two lines, and the element and attribute maps.
#include "base/diagnostic.h"
#include "reader/kov_parser.h"
#include "model/probe_kind.h"
#include "reader/line_cleaner.h"
#include "reader/probe_line_scanner.h"
#include "reader/xml_text.h"

namespace kov {

void KOVParser::notAReport() const {
  raise(diag::kNotReportLine, lines_.fileName());
}

void KOVParser::clearMaps() {
  elements_.clear();
  attributes_.clear();
}

std::string_view KOVParser::readLine(LineMode mode) {
  // Attribute values still refer to the line read last, which this read
  // may overwrite.
  attributes_.keep();
  const std::string_view raw = lines_.nextLine();
  const CleanedLine line =
      mode == LineMode::kElement ? cleanElementLine(raw) : cleanContinuationLine(raw);
  if (line.fault == LineFault::kNotReport) notAReport();
  if (line.fault == LineFault::kTooLong) raise(diag::kLineTooLong);
  return line.text;
}

void KOVParser::storeElement(std::string_view tag, std::string_view text) {
  currentLine_ = tag;
  std::string* slot = elements_.claim(tag);
  if (slot == nullptr) return;
  if (tag == tag::kParameters) {
    unescapeXmlInto(*slot, text);
  } else {
    slot->assign(text);
  }
}

void KOVParser::parseAttributes(std::string_view tag, std::string_view attributeText) {
  currentLine_ = tag;
  if (!parseAttributeText(attributeText, attributes_)) notAReport();
}

void KOVParser::readTextElement() {
  const TextElement element = splitTextElement(readLine(LineMode::kElement));
  storeElement(element.tag, element.text);
}

// A start tag whose line ends with ">" gets " />" in place of that ">", so
// that its last value ends the attribute text the way an empty element does.
void KOVParser::readStartTag(std::string_view line, bool closeAsEmpty) {
  const std::optional<StartTag> start = splitStartTag(line);
  if (!start) notAReport();
  std::string_view attributeText = start->attributes;
  if (closeAsEmpty) {
    const std::size_t close = attributeText.rfind('>');
    if (close != std::string_view::npos) {
      joined_.assign(attributeText.substr(0, close));
      joined_.append(" />");
      joined_.append(attributeText.substr(close + 1));
      attributeText = joined_;
    }
  }
  parseAttributes(start->tag, attributeText);
}

void KOVParser::readProbeLines(std::string_view firstLine) {
  // The first line lives in the reader's buffer, which the next read reuses.
  joined_.assign(firstLine);
  joined_.push_back(' ');
  joined_.append(readLine(LineMode::kContinuation));
  const std::optional<StartTag> start = splitStartTag(joined_);
  if (!start) notAReport();
  parseAttributes(start->tag, start->attributes);
}

// The plain layout of a probe's two lines, read in one pass from the line
// reader's buffer. The attribute map must be empty, as it is after every
// probe: a value left in it would win over the probe's own. A probe goes
// straight from the buffer into the record stream, for `function`; only a
// line directive, which the reader works on further, is built as a record.
bool KOVParser::scanProbeLines(FunctionSlot function) {
  if (!attributes_.empty()) return false;
  ScannedProbe scanned;
  const std::size_t length = scanProbeElement(lines_.buffered(), scanned);
  if (length == 0) return false;
  probe_.hasCount1 = scanned.hasCount1;
  probe_.nesting = scanned.nesting;
  probe_.line = scanned.line;
  probe_.listedLine = scanned.line;
  probe_.headerLine = 0;
  probe_.counters = {scanned.count1, scanned.count2};
  probe_.statementCount = scanned.statementCount;
  std::string_view description = scanned.description;
  if (scanned.descriptionHasEntity) {
    unescapeXmlInto(decoded_, scanned.description);
    description = decoded_;
  }
  const std::string_view evalNo = scanned.hasEvalNo ? scanned.evalNo : std::string_view();
  const std::string_view separator = scanned.hasEvalNo ? ": " : "";
  if (scanned.type == keywordOf(ProbeKind::LinedirInFunction)) {
    probe_.typeKeyword.assign(scanned.type);
    probe_.description.assign(evalNo).append(separator).append(description);
    probeWritten_ = false;
  } else {
    const std::string_view pieces[3] = {evalNo, separator, description};
    out_.addProbe(function, probe_, scanned.type, pieces);
    probeWritten_ = true;
  }
  // The views above are into the buffer: they are used up before it moves.
  lines_.consume(length);
  currentLine_ = tag::kProbe;
  probeScanned_ = true;
  return true;
}

void KOVParser::readFileElement() {
  const std::string_view line = readLine(LineMode::kElement);
  if (line.find(tag::kFile) == std::string_view::npos) {
    storeElement(line, {});
  } else {
    readStartTag(line, true);
  }
}

void KOVParser::readBodyElement() {
  const std::string_view line = readLine(LineMode::kElement);
  if (line.find(tag::kProbe) != std::string_view::npos) {
    readProbeLines(line);
  } else if (line.find(tag::kInclude) != std::string_view::npos) {
    readStartTag(line, false);
  } else if (line.find(tag::kFunction) != std::string_view::npos) {
    readStartTag(line, true);
  } else {
    const TextElement element = splitTextElement(line);
    storeElement(element.tag, element.text);
  }
}

void KOVParser::readProbeElement(FunctionSlot function) {
  probeScanned_ = false;
  probeWritten_ = false;
  if (onePassScan_ && scanProbeLines(function)) return;
  const std::string_view line = readLine(LineMode::kElement);
  // Only the first line of a probe element lacks a ">"; every other line of
  // a body (its closing tags) is taken whole as its tag.
  // A cleaned line that holds a ">" ends with its last one.
  if (!line.empty() && line.back() == '>') {
    storeElement(line, {});
  } else {
    readProbeLines(line);
  }
}

}  // namespace kov
