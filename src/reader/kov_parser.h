// The report reader: reads one coverage report after the other, line by line,
// and writes its files, functions and probes as a stream of records for the
// merged coverage set. It relies on the line layout that kovpost writes, not
// on XML parsing, and holds no object of the model.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/coverage_common.h"
#include "model/probe_record.h"
#include "model/record_stream.h"
#include "reader/element_scanner.h"
#include "reader/file_names.h"
#include "reader/line_reader.h"

namespace kov {

class KOVParser : public CoverageCommon {
 public:
  /// `chosenFiles` and `unchosenFiles` are the -f and -nf names.
  /// `blockSize` is the line reader's (tests make it small to move the
  /// block ends around).
  KOVParser(RecordWriter& out, bool noDriveLetter, std::vector<std::string> chosenFiles,
            std::vector<std::string> unchosenFiles,
            std::size_t blockSize = LineReader::kDefaultBlockSize);
  ~KOVParser() override;

  /// Reads one report and writes its records, ending with the end of the
  /// report; every failure is raised as a diagnostic.
  void parse(const std::string& fileName) { parse(InputFile(fileName)); }
  /// The same for a report opened already, from its start.
  void parse(InputFile report);

  /// Whether the probe lines of the plain layout are scanned in one pass
  /// (the default) or all go through the general rules, which give the same
  /// records and diagnostics.
  void setOnePassScan(bool enabled) { onePassScan_ = enabled; }

 private:
  enum class LineMode { kElement, kContinuation };

  // Lines and elements (kov_parser_lines.cc).
  std::string_view readLine(LineMode mode);
  void skipSeparatorLine() {
    attributes_.keep();  // the skip may move the bytes the values refer to
    lines_.skipSeparator();
  }
  void readTextElement();
  void readFileElement();
  void readBodyElement();
  void readProbeElement(FunctionSlot function);
  bool scanProbeLines(FunctionSlot function);
  void readProbeLines(std::string_view firstLine);
  void readStartTag(std::string_view line, bool closeAsEmpty);
  void parseAttributes(std::string_view tag, std::string_view attributeText);
  void storeElement(std::string_view tag, std::string_view text);
  /// Whether `text` (a tag text: "<" and no other "<") stands anywhere in
  /// the current line.
  bool lineHas(std::string_view text) const {
    // Where the line's only "<" is its first byte, the text can stand only
    // at its front.
    if (lineOpensOnce_) return currentLine_.starts_with(text);
    return currentLine_.find(text) != std::string_view::npos;
  }
  void setCurrentLine(std::string_view line) {
    currentLine_ = line;
    lineOpensOnce_ = !line.empty() && line.front() == '<' &&
                     line.find('<', 1) == std::string_view::npos;
  }
  std::string_view elementText(tag::Element element) const { return elements_.value(element); }
  std::string_view attributeValue(tag::Attribute name) const { return attributes_.value(name); }
  bool hasAttribute(tag::Attribute name) const { return attributes_.has(name); }
  void clearMaps();
  [[noreturn]] void notAReport() const;

  // Report header (kov_parser.cc).
  void readHeader();
  void readNotices();

  // Files, functions and probes (kov_parser_files.cc).
  void readFiles();
  void readFile(const std::string& key, const std::string& shownName);
  void endFile();
  void requireCurrentFile() const;
  void addHeaderFile(FileSlot slot, std::string_view key, std::uint32_t fileType,
                     std::string_view headerName);
  void readDirectiveBetweenFunctions();
  void startFunction();
  void readFunction(FunctionRecord& record);
  void readBody(const FunctionRecord& record);
  void buildProbeRecord();
  FileSlot readDirectiveInBody(const FunctionRecord& record);
  void readFunctionSummary(const FunctionRecord& record);
  void readFileSummary();
  void readOverallSummary();
  void headerOfDirective(std::string_view description, std::string_view& headerName,
                         std::uint32_t& targetLine) const;

  RecordWriter& out_;
  bool noDriveLetter_;
  bool onePassScan_ = true;
  FileChooser chooser_;

  // Lexical state.
  LineReader lines_;
  std::string_view currentLine_;  // the tag or line read last; lasts until the next read
  bool lineOpensOnce_ = false;    // its only "<" is its first byte
  ElementMap elements_{tag::kElementTags};
  AttributeMap attributes_{tag::kAttributeNames};
  std::string joined_;  // a probe's two lines, or a start tag with " />"
  std::string decoded_;  // a description with entities, decoded
  bool probeScanned_ = false;  // the last probe element was read in one pass
  bool probeWritten_ = false;  // ... and went into the record stream at once

  // State of the files of a report. The files themselves are the consumer's:
  // the reader knows which slots are filled and the key of each file.
  bool hasCurrentFile_ = false;
  std::string currentKey_;
  bool hasTargetFile_ = false;
  std::string targetKey_;
  bool hasHeaderPart_ = false;
  bool hasHeaderPartFunction_ = false;  // the "N.A." function of the header part
  std::uint32_t headerPartLine_ = 0;
  std::string pendingHeaderName_;
  std::string instrumentationMode_;
  std::uint32_t directiveLine_ = 0;
  std::uint32_t directiveTargetLine_ = 0;
  ProbeRecord probe_;  // refilled for every probe
};

}  // namespace kov
