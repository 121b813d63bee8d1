#include "reader/merge_state_reader.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "base/diagnostic.h"
#include "base/line_checksum.h"
#include "base/merge_state_format.h"
#include "model/coverage.h"
#include "model/coverage_file.h"
#include "model/coverage_function.h"
#include "model/coverage_probe.h"
#include "model/file_type.h"
#include "model/probe_kind.h"
#include "model/probe_record.h"
#include "reader/file_names.h"
#include "reader/line_reader.h"

namespace kov {
namespace {

// More entries than this in one per-report list is no state that runs have
// written: refused before the lists take the memory.
constexpr std::uint64_t kMaximumListEntries = std::uint64_t{1} << 22;

struct Damaged {};  // thrown inside the reader; becomes error 34 with the line

// One line of the state, read from left to right. The reader accepts the
// layout the writer produces and nothing else: an attribute out of its place
// is as damaged as a missing one.
class Cursor {
 public:
  explicit Cursor(std::string_view line) : rest_(line) {}

  bool take(std::string_view literal) {
    if (rest_.substr(0, literal.size()) != literal) return false;
    rest_.remove_prefix(literal.size());
    return true;
  }
  // Whether the line is the closing tag `literal`; a line that only begins
  // with it is damage.
  bool closes(std::string_view literal) {
    if (!take(literal)) return false;
    expectEnd("");
    return true;
  }
  void expect(std::string_view literal) {
    if (!take(literal)) throw Damaged{};
  }
  void expectEnd(std::string_view literal) {
    if (rest_ != literal) throw Damaged{};
    rest_ = {};
  }
  // The raw value of ` name="...."` where it stands next.
  bool attribute(std::string_view name, std::string_view& value) {
    if (rest_.size() < name.size() + 3 || rest_[0] != ' ' ||
        rest_.substr(1, name.size()) != name || rest_[name.size() + 1] != '=' ||
        rest_[name.size() + 2] != '"') {
      return false;
    }
    rest_.remove_prefix(name.size() + 3);
    const std::size_t quote = rest_.find('"');
    if (quote == std::string_view::npos) throw Damaged{};
    value = rest_.substr(0, quote);
    rest_.remove_prefix(quote + 1);
    return true;
  }
  std::string_view required(std::string_view name) {
    std::string_view value;
    if (!attribute(name, value)) throw Damaged{};
    return value;
  }
  std::uint32_t number(std::string_view name, std::uint32_t absent = 0) {
    std::string_view value;
    return attribute(name, value) ? toNumber(value) : absent;
  }
  std::uint32_t requiredNumber(std::string_view name) { return toNumber(required(name)); }
  // The text up to "</tag>" at the end of the line.
  std::string_view textUntilEnd(std::string_view closeTag) {
    if (rest_.size() < closeTag.size() || rest_.substr(rest_.size() - closeTag.size()) != closeTag) {
      throw Damaged{};
    }
    std::string_view text = rest_.substr(0, rest_.size() - closeTag.size());
    rest_ = {};
    return text;
  }

  // Decimal as the writer writes it: digits only, no leading zero.
  static std::uint32_t toNumber(std::string_view text) {
    if (text.empty() || text.size() > 10 || (text[0] == '0' && text.size() > 1)) throw Damaged{};
    std::uint64_t value = 0;
    for (char c : text) {
      if (c < '0' || c > '9') throw Damaged{};
      value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > 0xffffffffULL) throw Damaged{};
    return static_cast<std::uint32_t>(value);
  }

 private:
  std::string_view rest_;
};

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Undoes the writer's escaping; any other reference is damage.
void decodeInto(std::string& out, std::string_view text) {
  out.clear();
  const char* amp = static_cast<const char*>(std::memchr(text.data(), '&', text.size()));
  if (amp == nullptr) {
    out.assign(text);
    return;
  }
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '<') throw Damaged{};
    if (c != '&') {
      out += c;
      ++i;
      continue;
    }
    static constexpr struct {
      std::string_view entity;
      char byte;
    } kEntities[] = {{"&amp;", '&'},  {"&lt;", '<'},  {"&gt;", '>'},  {"&quot;", '"'},
                     {"&#9;", '\t'}, {"&#10;", '\n'}, {"&#13;", '\r'}};
    const std::string_view rest = text.substr(i);
    bool known = false;
    for (const auto& [entity, byte] : kEntities) {
      if (rest.substr(0, entity.size()) == entity) {
        out += byte;
        i += entity.size();
        known = true;
        break;
      }
    }
    if (known) continue;
    // "&#xe0HH;": a control byte that XML cannot hold as such.
    if (rest.size() < 8 || rest.substr(0, 5) != "&#xe0" || rest[7] != ';' ||
        hexDigit(rest[5]) < 0 || hexDigit(rest[5]) > 1 || hexDigit(rest[6]) < 0) {
      throw Damaged{};
    }
    out += static_cast<char>(hexDigit(rest[5]) * 16 + hexDigit(rest[6]));
    i += 8;
  }
}

std::string decoded(std::string_view text) {
  std::string out;
  decodeInto(out, text);
  return out;
}

bool isValidLayout(ProbeKind kind, CounterLayout layout) {
  if (layout == counterLayoutOf(kind, true) || layout == counterLayoutOf(kind, false)) return true;
  return isConstCondition(kind) &&
         (layout == CounterLayout::ConstTrue || layout == CounterLayout::ConstFalse);
}

class StateReader {
 public:
  StateReader(InputFile state, Coverage& coverage, bool noDriveLetter,
              const std::vector<std::string>& chosenFiles,
              const std::vector<std::string>& unchosenFiles)
      : state_(std::move(state)),
        fileName_(state_.fileName()),
        coverage_(coverage),
        noDriveLetter_(noDriveLetter),
        chooser_(noDriveLetter, chosenFiles, unchosenFiles) {}

  void read() {
    // Closes the file also when a diagnostic is raised.
    struct CloseAtEnd {
      LineReader& lines;
      ~CloseAtEnd() { lines.close(); }
    } closeAtEnd{lines_};
    lines_.open(std::move(state_));
    try {
      readRoot();
      readLists();
      readFiles();
      readFunctions();
      readEnd();
    } catch (const Damaged&) {
      damaged();
    }
  }

 private:
  [[noreturn]] void damaged() const {
    raise(diag::kStateDamaged, fileName_ + ", line " + std::to_string(lineNumber_));
  }

  std::string_view next() {
    ++lineNumber_;
    if (lines_.atEnd()) throw Damaged{};
    line_ = lines_.nextLine();
    checksumBefore_ = checksum_.value();
    checksum_.addLine(line_);
    return line_;
  }

  void readRoot() {
    if (next() != state::kDeclaration || !next().empty()) throw Damaged{};
    Cursor root(next());
    root.expect(state::kRootElement);
    if (root.required("format") != state::kFormatVersion) {
      raise(diag::kStateVersion, fileName_);
    }
    const std::string_view ndl = root.required("ndl");
    if (ndl != "yes" && ndl != "no") throw Damaged{};
    root.expectEnd(">");
    if ((ndl == "yes") != noDriveLetter_) raise(diag::kStateNdlMismatch, fileName_);
  }

  void readLists() {
    for (std::size_t list = 0; list < state::kListNames.size(); ++list) {
      Cursor start(next());
      start.expect("<list");
      if (start.required("name") != state::kListNames[list]) throw Damaged{};
      start.expectEnd(">");
      std::uint64_t entries = 0;
      for (;;) {
        Cursor item(next());
        if (item.closes("</list>")) break;
        item.expect("<item");
        const std::uint32_t count = item.number("count", 1);
        item.expect(">");
        entries += count;
        if (count == 0 || entries > kMaximumListEntries) throw Damaged{};
        addToList(list, item.textUntilEnd("</item>"), count);
      }
    }
  }

  void addToList(std::size_t list, std::string_view raw, std::uint32_t count) {
    std::vector<std::string>* texts = nullptr;
    std::vector<std::uint32_t>* numbers = nullptr;
    switch (list) {
      case 0: texts = &coverage_.kovpostVersions; break;
      case 1: texts = &coverage_.inputReportList; break;
      case 2: texts = &coverage_.coverageViews; break;
      case 3: texts = &coverage_.costFunctions; break;
      case 4: texts = &coverage_.costTypes; break;
      case 5: numbers = &coverage_.costScalings; break;
      case 6: texts = &coverage_.notices; break;
      case 7: texts = &coverage_.reportViews; break;
      case 8: numbers = &coverage_.reportLines; break;
      default: numbers = &coverage_.reportMeasurementPoints; break;
    }
    if (texts != nullptr) {
      texts->insert(texts->end(), count, decoded(raw));
    } else {
      numbers->insert(numbers->end(), count, Cursor::toNumber(raw));
    }
  }

  void readFiles() {
    for (;;) {
      Cursor start(next());
      if (!start.take("<file")) return;
      std::string key = decoded(start.required("key"));
      const std::uint32_t type = start.requiredNumber("type");
      std::string name = decoded(start.required("name"));
      const std::uint32_t lineCount = start.number("line_count");
      start.expectEnd(">");
      if (type != kSourceFile && type != kHeaderFile && type != kLineDirectiveFile) throw Damaged{};
      // The registry is ordered by key; a state lists it in that order, so
      // a key out of order or twice does not hold together.
      if (!files_.empty() && !(files_.back()->name < key)) throw Damaged{};
      CoverageFile* file = coverage_.addFile(key, type, name, chooser_.isChosen(name));
      file->largestLineCount = lineCount;
      files_.push_back(file);
      readFileTexts(*file);
    }
  }

  void readFileTexts(CoverageFile& file) {
    static constexpr struct {
      std::string_view open;
      std::string_view close;
      std::vector<std::string> CoverageFile::*list;
    } kTexts[] = {
        {"<mode>", "</mode>", &CoverageFile::instrumentationModes},
        {"<include>", "</include>", &CoverageFile::includeLines},
        {"<extracted_header>", "</extracted_header>", &CoverageFile::extractedHeaderNames},
        {"<linedir_file>", "</linedir_file>", &CoverageFile::lineDirectiveFileNames},
    };
    std::size_t kind = 0;
    for (;;) {
      Cursor line(next());
      if (line.closes("</file>")) return;
      while (kind < std::size(kTexts) && !line.take(kTexts[kind].open)) ++kind;
      if (kind == std::size(kTexts)) throw Damaged{};
      (file.*kTexts[kind].list).push_back(decoded(line.textUntilEnd(kTexts[kind].close)));
    }
  }

  CoverageFile* fileAt(std::uint32_t index) const {
    if (index >= files_.size()) throw Damaged{};
    return files_[index];
  }

  void readFunctions() {
    std::uint64_t lastFile = 0;
    bool any = false;
    for (;;) {
      Cursor start(line_);  // the line that ended the files
      if (!start.take("<functions")) return;
      const std::uint32_t index = start.requiredNumber("file");
      start.expectEnd(">");
      if (any && index <= lastFile) throw Damaged{};
      any = true;
      lastFile = index;
      CoverageFile& file = *fileAt(index);
      bool empty = true;
      for (;;) {
        Cursor line(next());
        if (line.closes("</functions>")) break;
        line.expect("<function");
        readFunction(file, line);
        empty = false;
      }
      if (empty) throw Damaged{};
      next();
    }
  }

  void readFunction(CoverageFile& file, Cursor& line) {
    FunctionRecord record;
    std::string name = decoded(line.required("name"));
    const std::uint32_t definitionLine = line.requiredNumber("line");
    std::string parameters = decoded(line.required("parameters"));
    const std::uint32_t merges = line.number("merges");
    record.startLine = line.number("start_line");
    record.headerLine = line.number("header_line");
    record.callCount = line.number("calls");
    record.totalExecutionCost = line.number("total_cost");
    record.maxExecutionCost = static_cast<std::int32_t>(line.number("max_cost"));
    std::string_view value;
    bool statementAvailable = true;
    if (line.attribute("statement", value)) {
      if (value != "no") throw Damaged{};
      statementAvailable = false;
    }
    record.originFile = line.attribute("origin_file", value) ? fileAt(Cursor::toNumber(value)) : &file;
    if (line.attribute("origin_name", value)) {
      record.name = decoded(value);
      record.definitionLine = line.requiredNumber("origin_line");
      record.parameters = decoded(line.required("origin_parameters"));
    } else {
      record.name = name;
      record.definitionLine = definitionLine;
      record.parameters = parameters;
    }
    std::string last;
    if (line.attribute("last", value)) decodeInto(last, value);
    line.expectEnd(">");

    auto function = std::make_unique<CoverageFunction>(std::move(name), definitionLine,
                                                       std::move(parameters), record);
    function->reportMerges = merges;
    function->statementAvailable = statementAvailable;
    function->lastDescription = std::move(last);
    CoverageFunction* stored = file.restoreFunction(std::move(function));
    if (stored == nullptr) throw Damaged{};
    ++functions_;

    Cursor body(next());
    while (body.take("<linedir_file>")) {
      stored->lineDirectiveFileNames.push_back(decoded(body.textUntilEnd("</linedir_file>")));
      body = Cursor(next());
    }
    while (body.take("<p")) {
      readProbe(*stored, body);
      body = Cursor(next());
    }
    body.expectEnd("</function>");
  }

  void readProbe(CoverageFunction& function, Cursor& line) {
    ProbeRecord& record = probe_;
    const std::uint32_t kind = line.requiredNumber("k");
    if (kind < 1 || kind > static_cast<std::uint32_t>(ProbeKind::LinedirInFunction)) {
      throw Damaged{};
    }
    record.kind = static_cast<ProbeKind>(kind);
    const std::uint32_t layout =
        line.number("y", static_cast<std::uint32_t>(counterLayoutOf(record.kind, true)));
    record.counterLayout = static_cast<CounterLayout>(layout);
    if (layout < 1 || layout > static_cast<std::uint32_t>(CounterLayout::ConstFalse) ||
        !isValidLayout(record.kind, record.counterLayout)) {
      throw Damaged{};
    }
    record.line = line.requiredNumber("l");
    record.listedLine = line.number("s", record.line);
    record.headerLine = line.number("h");
    record.nesting = line.number("n");
    record.statementCount = line.number("sc");
    record.counters = {line.number("a"), line.number("b")};
    const std::uint32_t merges = line.number("m");
    std::string_view value;
    record.headerFile = line.attribute("f", value) ? fileAt(Cursor::toNumber(value)) : nullptr;
    std::vector<CoverageProbe::CountRun> runs;
    if (line.attribute("r", value)) runs = countRuns(value);
    record.parentDescription.clear();
    if (line.attribute("pd", value)) decodeInto(record.parentDescription, value);
    decodeInto(record.description, line.required("d"));
    line.expectEnd("/>");

    auto probe = std::make_unique<CoverageProbe>(std::move(record));
    probe->mergeCount = merges;
    if (!runs.empty() && !probe->restoreStatementCounts(std::move(runs))) throw Damaged{};
    if (!function.restoreProbe(std::move(probe))) throw Damaged{};
    ++probes_;
  }

  // "count:reports count:reports ...".
  static std::vector<CoverageProbe::CountRun> countRuns(std::string_view text) {
    std::vector<CoverageProbe::CountRun> runs;
    for (;;) {
      const std::size_t colon = text.find(':');
      if (colon == std::string_view::npos) throw Damaged{};
      const std::size_t space = text.find(' ', colon);
      runs.push_back({Cursor::toNumber(text.substr(0, colon)),
                      Cursor::toNumber(text.substr(colon + 1, space - colon - 1))});
      if (space == std::string_view::npos) return runs;
      text.remove_prefix(space + 1);
    }
  }

  void readEnd() {
    // The checksum covers every line before this one.
    const std::uint64_t expected = checksumBefore_;
    Cursor end(line_);
    end.expect("<end");
    const bool counts = end.requiredNumber("files") == files_.size() &&
                        end.requiredNumber("functions") == functions_ &&
                        end.requiredNumber("probes") == probes_;
    const std::string_view checksum = end.required("checksum");
    end.expectEnd("/>");
    if (!counts || checksum.size() != 16) throw Damaged{};
    std::uint64_t value = 0;
    for (char c : checksum) {
      const int digit = hexDigit(c);
      if (digit < 0) throw Damaged{};
      value = value << 4 | static_cast<std::uint64_t>(digit);
    }
#ifndef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // (A fuzzer cannot forge the checksum; without this check it reaches
    // everything behind it.)
    if (value != expected) throw Damaged{};
#else
    (void)expected;
    (void)value;
#endif
    if (next() != state::kRootEnd || !lines_.atEnd()) throw Damaged{};
  }

  InputFile state_;  // until the reading takes it over
  const std::string fileName_;
  Coverage& coverage_;
  bool noDriveLetter_;
  FileChooser chooser_;
  LineReader lines_;
  std::string_view line_;
  std::uint64_t lineNumber_ = 0;
  LineChecksum checksum_;
  std::uint64_t checksumBefore_ = 0;
  std::vector<CoverageFile*> files_;
  std::uint64_t functions_ = 0;
  std::uint64_t probes_ = 0;
  ProbeRecord probe_;
};

}  // namespace

bool isMergeState(InputFile& input) {
  // The root element stands within the first bytes.
  std::string_view text = input.head(256);
  // The declaration, a blank line, then the root element.
  const std::size_t first = text.find('\n');
  if (first == std::string_view::npos) return false;
  text.remove_prefix(first + 1);
  if (!text.empty() && text.front() == '\r') text.remove_prefix(1);
  if (text.empty() || text.front() != '\n') return false;
  text.remove_prefix(1);
  return text.substr(0, state::kRootElement.size()) == state::kRootElement &&
         text.size() > state::kRootElement.size() &&
         (text[state::kRootElement.size()] == ' ' || text[state::kRootElement.size()] == '>');
}

void readMergeState(InputFile state, Coverage& coverage, bool noDriveLetter,
                    const std::vector<std::string>& chosenFiles,
                    const std::vector<std::string>& unchosenFiles) {
  StateReader(std::move(state), coverage, noDriveLetter, chosenFiles, unchosenFiles).read();
}

}  // namespace kov
