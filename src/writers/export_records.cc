#include "writers/export_records.h"

#include <algorithm>
#include <limits>
#include <map>
#include <utility>

#include "base/file_key.h"
#include "model/coverage.h"
#include "writers/export_names.h"

namespace kov {
namespace {

// How the outcomes of a probe reach the exports. The TER counts every
// outcome of a probe under the view in force; a single-counter probe's one
// outcome is its line being executed, so only the others become branches.
enum class Outcomes : std::uint8_t {
  None,             // markers: no line
  Single,           // a line only
  TwoWay,           // two branches: true (first counter), false (second)
  Constant,         // one branch: the counted outcome
  EvaluationTrue,   // multi_cond_t: one branch, the first counter
  EvaluationFalse,  // multi_cond_f: one branch, the second counter
  McdcRows,         // mcdc: one branch per MC/DC row
};

Outcomes outcomesOf(ProbeKind kind) {
  if (isConstCondition(kind)) return Outcomes::Constant;
  switch (kind) {
    case ProbeKind::Function: case ProbeKind::Return: case ProbeKind::Case:
    case ProbeKind::Default: case ProbeKind::Break: case ProbeKind::Try: case ProbeKind::Throw:
    case ProbeKind::Catch: case ProbeKind::UserCounter: case ProbeKind::Lambda:
    case ProbeKind::LambdaEnd: case ProbeKind::FunctionEnd: case ProbeKind::Goto:
    case ProbeKind::Continue: case ProbeKind::WhileDecl: case ProbeKind::ForDecl:
    case ProbeKind::ForRange: case ProbeKind::ForEachRangeVc: case ProbeKind::ForeachRangeCsharp:
    case ProbeKind::SehTry: case ProbeKind::SehLeave: case ProbeKind::SehFinally:
    case ProbeKind::SehExcept:
      return Outcomes::Single;
    case ProbeKind::If: case ProbeKind::ElseIf: case ProbeKind::While: case ProbeKind::For:
    case ProbeKind::Ternary: case ProbeKind::DoWhile: case ProbeKind::SubCond:
    case ProbeKind::ExprAndor:
      return Outcomes::TwoWay;
    case ProbeKind::MultiCondT:
      return Outcomes::EvaluationTrue;
    case ProbeKind::MultiCondF:
      return Outcomes::EvaluationFalse;
    case ProbeKind::Mcdc:
      return Outcomes::McdcRows;
    default:
      return Outcomes::None;
  }
}

std::uint32_t saturatingAdd(std::uint32_t a, std::uint32_t b) {
  const std::uint32_t sum = a + b;
  return sum < a ? std::numeric_limits<std::uint32_t>::max() : sum;
}

// How often the line of a probe was executed, as far as the probe knows.
std::uint32_t executionCount(const CoverageProbe& probe, Outcomes outcomes) {
  const auto& counters = probe.counters;
  switch (outcomes) {
    case Outcomes::TwoWay:
      return saturatingAdd(counters[0], counters[1]);
    case Outcomes::Constant:
      return probe.counterLayout == CounterLayout::ConstFalse ? counters[1] : counters[0];
    case Outcomes::EvaluationFalse:
      return counters[1];
    case Outcomes::McdcRows:
      return 0;  // its rows tell which conditions were shown, not how often
    default:
      return counters[0];
  }
}

void appendBranches(const CoverageProbe& probe, Outcomes outcomes,
                    std::vector<ExportOutcome>& out) {
  using Kind = ExportOutcome::Kind;
  const auto& counters = probe.counters;
  switch (outcomes) {
    case Outcomes::TwoWay:
      out.push_back({Kind::True, counters[0]});
      out.push_back({Kind::False, counters[1]});
      break;
    case Outcomes::Constant:
      out.push_back({Kind::Counted, executionCount(probe, outcomes)});
      break;
    case Outcomes::EvaluationTrue:
      out.push_back({Kind::Evaluation, counters[0]});
      break;
    case Outcomes::EvaluationFalse:
      out.push_back({Kind::Evaluation, counters[1]});
      break;
    case Outcomes::McdcRows: {
      const auto& rows = probe.mcdcRows()->rows;
      for (std::size_t i = 0; i < rows.size(); ++i) {
        const bool shown = rows[i].find('+') != std::string::npos;
        out.push_back({Kind::McdcRow, shown ? 1u : 0u, static_cast<std::uint32_t>(i)});
      }
      break;
    }
    case Outcomes::Single:
      out.push_back({Kind::Executed, counters[0]});
      break;
    case Outcomes::None:
      break;
  }
}

// The lines of a record, collected probe by probe: each probe that makes a
// line gives one piece, and the pieces of a line are merged once all are in.
// A function's lines are those of the run of pieces its probes gave.
class LineCollector {
 public:
  /// Adds the line and branches of a probe, if it makes a line.
  void addProbe(const CoverageProbe& probe, bool mcdcView) {
    const Outcomes outcomes = outcomesOf(probe.kind);
    if (probe.all == 0 && !hasMcdcRows(probe, outcomes)) return;
    const std::size_t firstTaken = taken_.size();
    outcomes_.clear();
    appendExportOutcomes(probe, mcdcView, outcomes_);
    for (const ExportOutcome& outcome : outcomes_) {
      if (outcome.kind != ExportOutcome::Kind::Executed) taken_.push_back(outcome.taken);
    }
    pieces_.push_back(Piece{probe.shownLine, executionCount(probe, outcomes),
                            static_cast<std::uint32_t>(firstTaken),
                            static_cast<std::uint32_t>(taken_.size() - firstTaken)});
  }

  /// The number of pieces so far: where the next probe's piece will stand.
  std::size_t size() const { return pieces_.size(); }

  /// Forgets every piece, keeping the buffers.
  void clear() {
    pieces_.clear();
    taken_.clear();
  }

  /// Appends to `lines` the lines of the pieces [begin, end) in line order,
  /// pieces of one line in the order they were added; to `branches`, where
  /// given, their branches.
  void appendLines(std::size_t begin, std::size_t end, std::vector<ExportLine>& lines,
                   std::vector<ExportBranch>* branches) {
    const auto first = pieces_.begin() + static_cast<std::ptrdiff_t>(begin);
    const auto last = pieces_.begin() + static_cast<std::ptrdiff_t>(end);
    // Reports list probes by line, so the pieces mostly need no sorting.
    if (std::is_sorted(first, last, byLine)) return merge(first, last, lines, branches);
    sorted_.assign(first, last);
    std::stable_sort(sorted_.begin(), sorted_.end(), byLine);
    merge(sorted_.begin(), sorted_.end(), lines, branches);
  }

 private:
  struct Piece {
    std::uint32_t line;
    std::uint32_t count;
    std::uint32_t firstTaken;  // into taken_
    std::uint32_t takenCount;  // its branches
  };
  using Iterator = std::vector<Piece>::iterator;

  static bool byLine(const Piece& a, const Piece& b) { return a.line < b.line; }

  // Asked only of probes that count nothing of their own, so that the rows
  // of other probes are not touched.
  static bool hasMcdcRows(const CoverageProbe& probe, Outcomes outcomes) {
    if (outcomes != Outcomes::McdcRows) return false;
    const McdcRows* rows = probe.mcdcRows();
    return rows != nullptr && !rows->rows.empty();
  }

  void merge(Iterator first, Iterator last, std::vector<ExportLine>& lines,
             std::vector<ExportBranch>* branches) const {
    while (first != last) {
      ExportLine line;
      line.number = first->line;
      std::uint32_t block = 0;
      for (; first != last && first->line == line.number; ++first) {
        line.count = std::max(line.count, first->count);
        if (first->takenCount == 0) continue;
        for (std::uint32_t k = 0; k < first->takenCount; ++k) {
          const std::uint32_t taken = taken_[first->firstTaken + k];
          ++line.branchesValid;
          if (taken > 0) ++line.branchesCovered;
          if (branches) branches->push_back({block, k, taken});
        }
        ++block;
      }
      lines.push_back(line);
    }
  }

  std::vector<Piece> pieces_;
  std::vector<std::uint32_t> taken_;  // the taken counts of the branches, piece by piece
  std::vector<Piece> sorted_;         // scratch for a run that is out of line order
  std::vector<ExportOutcome> outcomes_;  // scratch for one probe's outcomes
};

// Finds the sources of the records while the registry is walked.
class SourceCollector {
 public:
  explicit SourceCollector(const ExportRoot& root) : root_(root) {}

  /// A chosen source or header file.
  void addFile(const CoverageFile& file) {
    Entry& entry = entryFor(file.name);
    entry.source.shownName = root_.shownName(file.displayName);
    entry.naming = Naming::ByFile;
    entry.source.file = &file;
  }

  /// A line-directive file: its stretch's lines join the record of the file
  /// the directive names, where the function they came from is reported.
  void addStretch(const CoverageFile& file) {
    const CoverageFunction* stretch = file.firstFunction();
    if (stretch == nullptr || stretch->originFile == nullptr) return;
    const CoverageFile& origin = *stretch->originFile;
    if (!origin.chosen || origin.fileType == kLineDirectiveFile) return;
    Entry& entry = entryFor(fileKeyOf(file.displayName));
    if (entry.naming == Naming::None) {
      entry.source.shownName = root_.shownName(file.displayName);
      entry.naming = Naming::ByStretch;
    }
    entry.source.stretches.push_back(stretch);
  }

  /// The sources, by key.
  std::vector<ExportSource> finish() {
    std::vector<ExportSource> sources;
    sources.reserve(entries_.size());
    for (auto& [key, entry] : entries_) {
      entry.source.key = key;
      sources.push_back(std::move(entry.source));
    }
    return sources;
  }

 private:
  enum class Naming { None, ByStretch, ByFile };
  struct Entry {
    ExportSource source;
    Naming naming = Naming::None;
  };
  Entry& entryFor(std::string key) { return entries_[std::move(key)]; }

  const ExportRoot& root_;
  std::map<std::string, Entry, std::less<>> entries_;  // by file key, as the listing
};

// Builds the records from their sources. One collector serves them all, one
// after the other, so that its buffers are allocated once for the run.
class RecordCollector {
 public:
  explicit RecordCollector(bool mcdcView) : mcdcView_(mcdcView) {}

  std::vector<ExportRecord> build(std::vector<ExportSource>& sources) {
    std::vector<ExportRecord> records;
    records.reserve(sources.size());
    for (ExportSource& source : sources) {
      ExportRecord record;
      record.key = std::move(source.key);
      record.shownName = std::move(source.shownName);
      if (!source.stretches.empty() || !addConsecutiveFunctions(*source.file, record)) {
        addAllProbes(source, record);
      }
      records.push_back(std::move(record));
    }
    return records;
  }

 private:
  // The usual file: its functions follow each other, each with lines of its
  // own, so the record's lines are theirs one after the other, merged one
  // function at a time. False where two functions share a line or come out
  // of line order; the record is then left empty for addAllProbes.
  bool addConsecutiveFunctions(const CoverageFile& file, ExportRecord& record) {
    std::unordered_set<std::string> taken;
    taken.reserve(file.functions().size());
    record.functions.reserve(file.functions().size());
    for (const auto& function : file.functions()) {
      lines_.clear();
      for (const auto& probe : function->probes()) lines_.addProbe(*probe, mcdcView_);
      const std::size_t begin = record.lines.size();
      lines_.appendLines(0, lines_.size(), record.lines, &record.branches);
      if (begin != 0 && begin != record.lines.size() &&
          record.lines[begin - 1].number >= record.lines[begin].number) {
        record.functions.clear();
        record.lines.clear();
        record.branches.clear();
        return false;
      }
      record.functions.push_back(describe(*function, begin, record.lines.size() - begin, taken));
    }
    return true;
  }

  // Any record: every probe of its file and its stretches, merged at once.
  void addAllProbes(const ExportSource& sources, ExportRecord& record) {
    lines_.clear();
    if (sources.file) {
      std::unordered_set<std::string> taken;
      for (const auto& function : sources.file->functions()) {
        const std::size_t begin = lines_.size();
        for (const auto& probe : function->probes()) lines_.addProbe(*probe, mcdcView_);
        const std::size_t firstLine = record.functionLines.size();
        lines_.appendLines(begin, lines_.size(), record.functionLines, nullptr);
        record.functions.push_back(
            describe(*function, firstLine, record.functionLines.size() - firstLine, taken));
      }
    }
    for (const CoverageFunction* stretch : sources.stretches) {
      for (const auto& probe : stretch->probes()) lines_.addProbe(*probe, mcdcView_);
    }
    lines_.appendLines(0, lines_.size(), record.lines, &record.branches);
  }

  static ExportFunction describe(const CoverageFunction& function, std::size_t firstLine,
                                 std::size_t lineCount, std::unordered_set<std::string>& taken) {
    ExportFunction exported;
    exported.name = uniqueFunctionName(nameOf(function), function.definitionLine, taken);
    exported.parameters = function.parameters;
    exported.line = function.definitionLine;
    exported.count = functionCount(function);
    exported.firstLine = firstLine;
    exported.lineCount = lineCount;
    return exported;
  }

  // Name and parameters keep overloads apart. lcov needs a name that is
  // not empty to read a function at all.
  static std::string nameOf(const CoverageFunction& function) {
    std::string name = function.name + function.parameters;
    return name.empty() ? "?" : name;
  }

  static std::uint32_t functionCount(const CoverageFunction& function) {
    for (const auto& probe : function.probes()) {
      if (probe->kind == ProbeKind::Function) return probe->counters[0];
    }
    return 0;
  }

  const bool mcdcView_;
  LineCollector lines_;
};

}  // namespace

void ExportTally::add(const ExportLine& line) {
  ++linesValid;
  if (line.count > 0) ++linesCovered;
  branchesValid += line.branchesValid;
  branchesCovered += line.branchesCovered;
}

void ExportTally::add(const ExportTally& other) {
  linesCovered += other.linesCovered;
  linesValid += other.linesValid;
  branchesCovered += other.branchesCovered;
  branchesValid += other.branchesValid;
}

ExportTally ExportTally::of(std::span<const ExportLine> lines) {
  ExportTally tally;
  for (const ExportLine& line : lines) tally.add(line);
  return tally;
}

std::string uniqueFunctionName(std::string name, std::uint32_t line,
                               std::unordered_set<std::string>& taken) {
  if (taken.insert(lcovFunctionName(name)).second) return name;
  const std::string lineText = " (line " + std::to_string(line);
  std::string candidate = name + lineText + ")";
  for (std::uint32_t n = 2; !taken.insert(lcovFunctionName(candidate)).second; ++n) {
    candidate = name + lineText + " #" + std::to_string(n) + ")";
  }
  return candidate;
}

void appendExportOutcomes(const CoverageProbe& probe, bool mcdcView,
                          std::vector<ExportOutcome>& outcomes) {
  if (probe.countForView(mcdcView).all == 0) return;
  appendBranches(probe, outcomesOf(probe.kind), outcomes);
}

std::vector<ExportSource> collectExportSources(const Coverage& coverage, std::string_view root) {
  const ExportRoot exportRoot(root);
  SourceCollector collector(exportRoot);
  for (const auto& [key, file] : coverage.files()) {
    if (file->fileType == kLineDirectiveFile) {
      collector.addStretch(*file);
    } else if (file->chosen) {
      collector.addFile(*file);
    }
  }
  return collector.finish();
}

ExportRecords collectExportRecords(const Coverage& coverage, std::string_view root) {
  std::vector<ExportSource> sources = collectExportSources(coverage, root);
  ExportRecords exported;
  exported.source = root.empty() ? std::string(".") : std::string(root);
  exported.records = RecordCollector(coverage.mcdcView()).build(sources);
  return exported;
}

}  // namespace kov
