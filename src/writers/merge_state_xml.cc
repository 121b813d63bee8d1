#include "writers/merge_state_xml.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/line_checksum.h"
#include "base/merge_state_format.h"
#include "base/text_sink.h"
#include "model/coverage.h"
#include "model/coverage_file.h"
#include "model/coverage_function.h"
#include "model/coverage_probe.h"
#include "model/probe_kind.h"

namespace kov {
namespace {

// Builds one line at a time: the checksum covers exactly the bytes of each
// line, as the reader sees them.
class StateLines {
 public:
  explicit StateLines(TextSink& out) : out_(out) {}

  StateLines& operator<<(std::string_view text) {
    line_.append(text);
    return *this;
  }
  StateLines& number(std::uint64_t value) {
    appendUnsigned(line_, value);
    return *this;
  }
  // Text as XML holds it, so that every byte comes back as it was: the
  // markup characters as entities, the control bytes that XML allows as
  // character references, and those it does not allow at all as references
  // to the private-use characters U+E000 to U+E01F.
  StateLines& text(std::string_view value) {
    for (char c : value) {
      const auto byte = static_cast<unsigned char>(c);
      switch (c) {
        case '&': line_ += "&amp;"; break;
        case '<': line_ += "&lt;"; break;
        case '>': line_ += "&gt;"; break;
        case '"': line_ += "&quot;"; break;
        case '\t': line_ += "&#9;"; break;
        case '\n': line_ += "&#10;"; break;
        case '\r': line_ += "&#13;"; break;
        default:
          if (byte < 0x20) {
            static constexpr char kHex[] = "0123456789abcdef";
            line_ += "&#xe0";
            line_ += kHex[byte >> 4];
            line_ += kHex[byte & 15];
            line_ += ';';
          } else {
            line_ += c;
          }
      }
    }
    return *this;
  }
  StateLines& attribute(std::string_view name, std::string_view value) {
    line_ += ' ';
    line_ += name;
    line_ += "=\"";
    text(value);
    line_ += '"';
    return *this;
  }
  StateLines& attribute(std::string_view name, std::uint64_t value) {
    line_ += ' ';
    line_ += name;
    line_ += "=\"";
    appendUnsigned(line_, value);
    line_ += '"';
    return *this;
  }
  // An attribute that the reader takes as 0 where it is missing.
  StateLines& unlessZero(std::string_view name, std::uint64_t value) {
    return value == 0 ? *this : attribute(name, value);
  }
  void end() {
    checksum_.addLine(line_);
    out_ << line_;
    out_.endLine();
    line_.clear();
  }
  // The last line stands outside the checksum it carries.
  void endUnchecked() {
    out_ << line_;
    out_.endLine();
    line_.clear();
  }
  std::uint64_t checksum() const { return checksum_.value(); }

 private:
  TextSink& out_;
  std::string line_;
  LineChecksum checksum_;
};

// A list of the reports' values, with a run of equal neighbours as one item:
// fifty runs of one program give one item for most lists.
template <typename Value, typename Put>
void writeList(StateLines& out, std::string_view name, const std::vector<Value>& values, Put put) {
  (out << "<list").attribute("name", name) << ">";
  out.end();
  for (std::size_t i = 0; i < values.size();) {
    std::size_t j = i + 1;
    while (j < values.size() && values[j] == values[i]) ++j;
    out << "<item";
    if (j - i > 1) out.attribute("count", j - i);
    out << ">";
    put(values[i]);
    out << "</item>";
    out.end();
    i = j;
  }
  out << "</list>";
  out.end();
}

void writeLists(StateLines& out, const Coverage& coverage) {
  auto texts = [&](std::string_view name, const std::vector<std::string>& values) {
    writeList(out, name, values, [&](const std::string& value) { out.text(value); });
  };
  auto numbers = [&](std::string_view name, const std::vector<std::uint32_t>& values) {
    writeList(out, name, values, [&](std::uint32_t value) { out.number(value); });
  };
  const auto& names = state::kListNames;
  texts(names[0], coverage.kovpostVersions);
  texts(names[1], coverage.inputReportList);
  texts(names[2], coverage.coverageViews);
  texts(names[3], coverage.costFunctions);
  texts(names[4], coverage.costTypes);
  numbers(names[5], coverage.costScalings);
  texts(names[6], coverage.notices);
  texts(names[7], coverage.reportViews);
  numbers(names[8], coverage.reportLines);
  numbers(names[9], coverage.reportMeasurementPoints);
}

void textLines(StateLines& out, std::string_view tag, const std::vector<std::string>& values) {
  for (const std::string& value : values) {
    (out << "<" << tag << ">").text(value) << "</" << tag << ">";
    out.end();
  }
}

class StateWriter {
 public:
  StateWriter(const Coverage& coverage, TextSink& sink) : coverage_(coverage), out_(sink) {}

  void write(bool noDriveLetter) {
    out_ << state::kDeclaration;
    out_.end();
    out_.end();
    (out_ << state::kRootElement)
        .attribute("format", state::kFormatVersion)
        .attribute("ndl", noDriveLetter ? "yes" : "no")
        << ">";
    out_.end();
    writeLists(out_, coverage_);

    // Every file first, so that a function or probe can name any file by
    // its position, whatever the order of the keys.
    for (const auto& [key, file] : coverage_.files()) {
      fileIndex_.emplace(file.get(), fileIndex_.size());
      writeFile(*file);
    }
    std::uint64_t index = 0;
    for (const auto& [key, file] : coverage_.files()) {
      if (!file->functions().empty()) {
        (out_ << "<functions").attribute("file", index) << ">";
        out_.end();
        for (const auto& function : file->functions()) writeFunction(*file, *function);
        out_ << "</functions>";
        out_.end();
      }
      ++index;
    }

    (out_ << "<end")
        .attribute("files", fileIndex_.size())
        .attribute("functions", functions_)
        .attribute("probes", probes_);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string checksum(16, '0');
    std::uint64_t value = out_.checksum();
    for (int i = 15; i >= 0; --i, value >>= 4) checksum[static_cast<std::size_t>(i)] = kHex[value & 15];
    out_.attribute("checksum", checksum) << "/>";
    out_.endUnchecked();
    out_ << state::kRootEnd;
    out_.endUnchecked();
  }

 private:
  void writeFile(const CoverageFile& file) {
    (out_ << "<file")
        .attribute("key", file.name)
        .attribute("type", file.fileType)
        .attribute("name", file.displayName)
        .unlessZero("line_count", file.largestLineCount)
        << ">";
    out_.end();
    textLines(out_, "mode", file.instrumentationModes);
    textLines(out_, "include", file.includeLines);
    textLines(out_, "extracted_header", file.extractedHeaderNames);
    textLines(out_, "linedir_file", file.lineDirectiveFileNames);
    out_ << "</file>";
    out_.end();
  }

  void writeFunction(const CoverageFile& file, const CoverageFunction& function) {
    ++functions_;
    (out_ << "<function")
        .attribute("name", function.name)
        .attribute("line", function.definitionLine)
        .attribute("parameters", function.parameters)
        .unlessZero("merges", function.reportMerges)
        .unlessZero("start_line", function.shownLine)
        .unlessZero("header_line", function.lowestHeaderLine)
        .unlessZero("calls", function.callCount)
        .unlessZero("total_cost", function.totalExecutionCost)
        .unlessZero("max_cost", static_cast<std::uint32_t>(function.maxExecutionCost));
    if (!function.statementAvailable) out_.attribute("statement", "no");
    // Where a function came from is mostly the function itself.
    if (function.originFile != &file) out_.attribute("origin_file", fileIndex_.at(function.originFile));
    if (!function.hasIdentity(function.originName, function.originLine, function.originParameters)) {
      out_.attribute("origin_name", function.originName)
          .attribute("origin_line", function.originLine)
          .attribute("origin_parameters", function.originParameters);
    }
    if (!function.lastDescription.empty()) out_.attribute("last", function.lastDescription);
    out_ << ">";
    out_.end();
    textLines(out_, "linedir_file", function.lineDirectiveFileNames);
    for (const auto& probe : function.probes()) writeProbe(*probe);
    out_ << "</function>";
    out_.end();
  }

  // One short line per probe, with the values most probes share left out,
  // so that the state of a program stays below the size of one report.
  void writeProbe(const CoverageProbe& probe) {
    ++probes_;
    out_ << "<p";
    out_.attribute("k", static_cast<std::uint32_t>(probe.kind));
    if (probe.counterLayout != counterLayoutOf(probe.kind, true)) {
      out_.attribute("y", static_cast<std::uint32_t>(probe.counterLayout));
    }
    out_.attribute("l", probe.line);
    if (probe.shownLine != probe.line) out_.attribute("s", probe.shownLine);
    out_.unlessZero("h", probe.lowestHeaderLine)
        .unlessZero("n", probe.nesting)
        .unlessZero("sc", probe.statementCount)
        .unlessZero("a", probe.counters[0])
        .unlessZero("b", probe.counters[1])
        .unlessZero("m", probe.mergeCount);
    if (probe.headerFile != nullptr) out_.attribute("f", fileIndex_.at(probe.headerFile));
    if (const auto* runs = probe.statementCountRuns()) {
      std::string text;
      for (const auto& run : *runs) {
        if (!text.empty()) text += ' ';
        appendUnsigned(text, run.count);
        text += ':';
        appendUnsigned(text, run.reports);
      }
      out_.attribute("r", text);
    }
    if (!probe.parentDescription().empty()) out_.attribute("pd", probe.parentDescription());
    out_.attribute("d", probe.description) << "/>";
    out_.end();
  }

  const Coverage& coverage_;
  StateLines out_;
  std::unordered_map<const CoverageFile*, std::uint64_t> fileIndex_;
  std::uint64_t functions_ = 0;
  std::uint64_t probes_ = 0;
};

}  // namespace

void writeMergeState(const Coverage& coverage, bool noDriveLetter, TextSink& out) {
  StateWriter(coverage, out).write(noDriveLetter);
}

}  // namespace kov
