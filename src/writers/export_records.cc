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

// The lines of a function or a record, collected probe by probe: each probe
// that makes a line gives one piece, and the pieces of a line are merged once
// all are in.
class LineCollector {
 public:
  /// Adds the line and branches of a probe, if it makes a line.
  void addProbe(const CoverageProbe& probe, bool mcdcView) {
    const Outcomes outcomes = outcomesOf(probe.kind);
    const McdcRows* rows = probe.mcdcRows();
    const bool hasRows = outcomes == Outcomes::McdcRows && rows != nullptr && !rows->rows.empty();
    if (probe.all == 0 && !hasRows) return;
    Piece piece{probe.shownLine, executionCount(probe, outcomes), taken_.size(), 0};
    if (probe.countForView(mcdcView).all != 0) addTaken(probe, outcomes);
    piece.takenCount = taken_.size() - piece.firstTaken;
    pieces_.push_back(piece);
  }

  /// Adds every piece of another collector after this one's.
  void append(const LineCollector& other) {
    const std::size_t base = taken_.size();
    taken_.insert(taken_.end(), other.taken_.begin(), other.taken_.end());
    for (Piece piece : other.pieces_) {
      piece.firstTaken += base;
      pieces_.push_back(piece);
    }
  }

  /// The lines in line order; the branches too where `branches` is given.
  /// Pieces of one line keep the order in which they were added.
  std::vector<ExportLine> finish(std::vector<ExportBranch>* branches) {
    std::stable_sort(pieces_.begin(), pieces_.end(),
                     [](const Piece& a, const Piece& b) { return a.line < b.line; });
    std::vector<ExportLine> lines;
    for (std::size_t i = 0; i < pieces_.size();) {
      ExportLine line;
      line.number = pieces_[i].line;
      std::uint32_t block = 0;
      for (; i < pieces_.size() && pieces_[i].line == line.number; ++i) {
        const Piece& piece = pieces_[i];
        line.count = std::max(line.count, piece.count);
        if (piece.takenCount == 0) continue;
        for (std::size_t k = 0; k < piece.takenCount; ++k) {
          const std::uint32_t taken = taken_[piece.firstTaken + k];
          ++line.branchesValid;
          if (taken > 0) ++line.branchesCovered;
          if (branches) branches->push_back({block, static_cast<std::uint32_t>(k), taken});
        }
        ++block;
      }
      lines.push_back(line);
    }
    return lines;
  }

 private:
  struct Piece {
    std::uint32_t line;
    std::uint32_t count;
    std::size_t firstTaken;  // into taken_
    std::size_t takenCount;  // its branches
  };

  void addTaken(const CoverageProbe& probe, Outcomes outcomes) {
    const auto& counters = probe.counters;
    switch (outcomes) {
      case Outcomes::TwoWay:
        taken_.push_back(counters[0]);
        taken_.push_back(counters[1]);
        break;
      case Outcomes::Constant:
        taken_.push_back(executionCount(probe, outcomes));
        break;
      case Outcomes::EvaluationTrue:
        taken_.push_back(counters[0]);
        break;
      case Outcomes::EvaluationFalse:
        taken_.push_back(counters[1]);
        break;
      case Outcomes::McdcRows:
        for (const std::string& row : probe.mcdcRows()->rows) {
          taken_.push_back(row.find('+') != std::string::npos ? 1 : 0);
        }
        break;
      case Outcomes::None:
      case Outcomes::Single:
        break;
    }
  }

  std::vector<Piece> pieces_;
  std::vector<std::uint32_t> taken_;  // the taken counts of the branches, piece by piece
};

// A record while the registry is walked.
struct RecordDraft {
  enum class Naming { None, ByStretch, ByFile };
  ExportRecord record;
  Naming naming = Naming::None;
  LineCollector lines;
};

class RecordCollector {
 public:
  RecordCollector(const ExportRoot& root, bool mcdcView) : root_(root), mcdcView_(mcdcView) {}

  /// A chosen source or header file: its functions and their lines.
  void addFile(const CoverageFile& file) {
    RecordDraft& draft = draftFor(file.name);
    draft.record.shownName = root_.shownName(file.displayName);
    draft.naming = RecordDraft::Naming::ByFile;
    std::unordered_set<std::string> taken;
    for (const auto& function : file.functions()) {
      LineCollector own;
      for (const auto& probe : function->probes()) own.addProbe(*probe, mcdcView_);
      ExportFunction exported;
      exported.name = uniqueFunctionName(nameOf(*function), function->definitionLine, taken);
      exported.parameters = function->parameters;
      exported.line = function->definitionLine;
      exported.count = functionCount(*function);
      exported.lines = own.finish(nullptr);
      draft.lines.append(own);
      draft.record.functions.push_back(std::move(exported));
    }
  }

  /// A line-directive file: its stretch's lines join the record of the file
  /// the directive names, where the function they came from is reported.
  void addStretch(const CoverageFile& file) {
    const CoverageFunction* stretch = file.firstFunction();
    if (stretch == nullptr || stretch->originFile == nullptr) return;
    const CoverageFile& origin = *stretch->originFile;
    if (!origin.chosen || origin.fileType == kLineDirectiveFile) return;
    RecordDraft& draft = draftFor(fileKeyOf(file.displayName));
    if (draft.naming == RecordDraft::Naming::None) {
      draft.record.shownName = root_.shownName(file.displayName);
      draft.naming = RecordDraft::Naming::ByStretch;
    }
    for (const auto& probe : stretch->probes()) draft.lines.addProbe(*probe, mcdcView_);
  }

  /// The finished records, by key.
  std::vector<ExportRecord> finish() {
    std::vector<ExportRecord> records;
    records.reserve(drafts_.size());
    for (auto& [key, draft] : drafts_) {
      draft.record.lines = draft.lines.finish(&draft.record.branches);
      records.push_back(std::move(draft.record));
    }
    return records;
  }

 private:
  RecordDraft& draftFor(std::string key) {
    auto [entry, inserted] = drafts_.try_emplace(std::move(key));
    if (inserted) entry->second.record.key = entry->first;
    return entry->second;
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

  const ExportRoot& root_;
  const bool mcdcView_;
  std::map<std::string, RecordDraft, std::less<>> drafts_;  // by file key, as the listing
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

ExportTally ExportTally::of(const std::vector<ExportLine>& lines) {
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

ExportRecords collectExportRecords(const Coverage& coverage, std::string_view root) {
  const ExportRoot exportRoot(root);
  RecordCollector collector(exportRoot, coverage.mcdcView());
  for (const auto& [key, file] : coverage.files()) {
    if (file->fileType == kLineDirectiveFile) {
      collector.addStretch(*file);
    } else if (file->chosen) {
      collector.addFile(*file);
    }
  }
  ExportRecords exported;
  exported.source = root.empty() ? std::string(".") : std::string(root);
  exported.records = collector.finish();
  return exported;
}

}  // namespace kov
