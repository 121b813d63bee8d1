// The lexical layer of the reader: lines, text elements, start tags, probe
// elements over two lines, and the element and attribute maps.
#include "base/diagnostic.h"
#include "reader/kov_parser.h"
#include "model/probe_kind.h"
#include "reader/line_cleaner.h"
#include "reader/probe_line_scanner.h"
#include "reader/xml_text.h"

namespace kov {

static_assert(LineReader::kPadding >= kScanPadding, "the scanner reads ahead into the padding");

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
  setCurrentLine(tag);
  std::string* slot = elements_.claim(tag);
  if (slot == nullptr) return;
  if (tag == tag::kParameters) {
    unescapeXmlInto(*slot, text);
  } else {
    slot->assign(text);
  }
}

void KOVParser::parseAttributes(std::string_view tag, std::string_view attributeText) {
  setCurrentLine(tag);
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

// A probe's two lines in a plain layout, read in one pass from the line
// reader's buffer. The attribute map must be empty, as it is after every
// probe: a value left in it would win over the probe's own. A probe goes
// straight from the buffer into the record stream, for `function`; only a
// line directive, which the reader works on further, is built as a record.
bool KOVParser::scanProbeLines(FunctionSlot function) {
  static constexpr std::string_view kLinedirInFunction = "linedir_in_function";
  if (!attributes_.empty()) return false;
  ScannedProbe scanned;
  const std::size_t length = scanProbeElement(lines_.buffered(), scanned);
  if (length == 0) return false;
  std::string_view description = scanned.description;
  if (scanned.descriptionHasEntity) {
    unescapeXmlInto(decoded_, scanned.description);
    description = decoded_;
  }
  probeWritten_ = scanned.type != kLinedirInFunction;
  if (probeWritten_) {
    PackedProbe fixed;
    fixed.function = static_cast<std::uint8_t>(function);
    fixed.hasCount1 = scanned.hasCount1 ? 1 : 0;
    fixed.line = scanned.line;
    fixed.listedLine = scanned.line;
    fixed.counters[0] = scanned.count1;
    fixed.counters[1] = scanned.count2;
    fixed.nesting = scanned.nesting;
    fixed.statementCount = scanned.statementCount;
    out_.addProbe(fixed, scanned.type, scanned.hasEvalNo, scanned.evalNo, description);
  } else {
    probe_.typeKeyword.assign(scanned.type);
    probe_.hasCount1 = scanned.hasCount1;
    probe_.nesting = scanned.nesting;
    probe_.line = scanned.line;
    probe_.listedLine = scanned.line;
    probe_.headerLine = 0;
    probe_.counters = {scanned.count1, scanned.count2};
    probe_.statementCount = scanned.statementCount;
    probe_.description.clear();
    if (scanned.hasEvalNo) probe_.description.assign(scanned.evalNo).append(": ");
    probe_.description.append(description);
  }
  // The views above are into the buffer: they are used up before it moves.
  lines_.consume(length);
  currentLine_ = tag::kProbe;
  lineOpensOnce_ = true;
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
