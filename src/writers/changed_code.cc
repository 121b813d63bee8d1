#include "writers/changed_code.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "model/coverage.h"
#include "model/coverage_view.h"

namespace kov {
namespace {

// A name as diff and exports are compared: "/" for "\", ASCII lower case.
std::string folded(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    if (c == '\\') c = '/';
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool isAbsolute(std::string_view name) {
  if (!name.empty() && name.front() == '/') return true;
  const bool driveLetter = name.size() >= 3 && name[1] == ':' && name[2] == '/' &&
                           ((name[0] >= 'a' && name[0] <= 'z') || (name[0] >= 'A' && name[0] <= 'Z'));
  return driveLetter;
}

std::string_view baseName(std::string_view name) {
  const std::size_t slash = name.rfind('/');
  return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

// Finds the record of a diff's name: the one with the same name, else the
// one absolute name that ends with "/" and the diff's relative name.
class RecordIndex {
 public:
  explicit RecordIndex(const std::vector<ExportSource>& sources) {
    for (std::size_t i = 0; i < sources.size(); ++i) {
      std::string name = folded(sources[i].shownName);
      if (isAbsolute(name)) byBaseName_[std::string(baseName(name))].push_back(i);
      byName_.try_emplace(std::move(name), i);
      names_.push_back(folded(sources[i].shownName));
    }
  }

  /// The index of the matching record, or -1.
  std::ptrdiff_t find(std::string_view diffPath) const {
    const std::string name = folded(diffPath);
    if (auto exact = byName_.find(name); exact != byName_.end()) {
      return static_cast<std::ptrdiff_t>(exact->second);
    }
    if (isAbsolute(name)) return -1;
    auto candidates = byBaseName_.find(std::string(baseName(name)));
    if (candidates == byBaseName_.end()) return -1;
    const std::string tail = "/" + name;
    std::ptrdiff_t found = -1;
    for (std::size_t i : candidates->second) {
      const std::string& candidate = names_[i];
      if (candidate.size() < tail.size() ||
          candidate.compare(candidate.size() - tail.size(), tail.size(), tail) != 0) {
        continue;
      }
      if (found >= 0) return -1;  // more than one: the diff's name does not say which
      found = static_cast<std::ptrdiff_t>(i);
    }
    return found;
  }

 private:
  std::unordered_map<std::string, std::size_t> byName_;
  std::unordered_map<std::string, std::vector<std::size_t>> byBaseName_;
  std::vector<std::string> names_;
};

std::vector<std::uint32_t> mergedLines(const std::vector<std::uint32_t>& a,
                                       const std::vector<std::uint32_t>& b) {
  std::vector<std::uint32_t> out;
  std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
  return out;
}

// The outcomes of every probe of a record that stands on a changed line.
class LineMeasure {
 public:
  LineMeasure(const std::vector<std::uint32_t>& changed, bool mcdcView)
      : changed_(changed), mcdcView_(mcdcView) {}

  void addProbes(const CoverageFunction& function, const CoverageFile* shownIn) {
    for (const auto& probe : function.probes()) addProbe(*probe, shownIn);
  }

  /// The changed lines with outcomes, by line.
  std::vector<ChangedLine> finish() {
    std::vector<ChangedLine> lines;
    lines.reserve(byLine_.size());
    for (auto& [number, line] : byLine_) lines.push_back(std::move(line));
    return lines;
  }

 private:
  void addProbe(const CoverageProbe& probe, const CoverageFile* shownIn) {
    if (!std::binary_search(changed_.begin(), changed_.end(), probe.shownLine)) return;
    outcomes_.clear();
    appendExportOutcomes(probe, mcdcView_, outcomes_);
    if (outcomes_.empty()) return;
    ChangedLine& line = byLine_[probe.shownLine];
    line.line = probe.shownLine;
    if (line.shownIn == nullptr) line.shownIn = shownIn;
    for (const ExportOutcome& outcome : outcomes_) {
      ++line.all;
      if (outcome.taken != 0) ++line.hits;
      line.outcomes.push_back({&probe, outcome});
    }
  }

  const std::vector<std::uint32_t>& changed_;
  const bool mcdcView_;
  std::vector<ExportOutcome> outcomes_;
  std::map<std::uint32_t, ChangedLine> byLine_;
};

ChangedRecord measureRecord(const ExportSource& source, const std::vector<std::uint32_t>& changed,
                            bool mcdcView) {
  ChangedRecord record;
  record.key = source.key;
  record.shownName = source.shownName;
  record.file = source.file;
  record.shownIn = source.file != nullptr || source.stretches.empty()
                       ? source.file
                       : source.stretches.front()->originFile;
  record.changedLines = static_cast<std::uint32_t>(changed.size());
  record.changed = changed;
  LineMeasure measure(changed, mcdcView);
  if (source.file != nullptr) {
    for (const auto& function : source.file->functions()) {
      measure.addProbes(*function, source.file);
    }
  }
  for (const CoverageFunction* stretch : source.stretches) {
    measure.addProbes(*stretch, stretch->originFile);
  }
  record.lines = measure.finish();
  for (const ChangedLine& line : record.lines) {
    record.hits += line.hits;
    record.all += line.all;
  }
  record.ter = ter(record.hits, record.all);
  return record;
}

// "FT (evaluation 3)"
std::string evaluationText(const McdcRows& rows, std::uint32_t number) {
  const McdcEvaluation* evaluation = rows.evaluation(number);
  std::string text = evaluation != nullptr ? evaluation->vector + " " : std::string();
  return text + "(evaluation " + std::to_string(number) + ")";
}

// The most alternatives a text names; a decision of many conditions may
// offer hundreds.
constexpr std::size_t kAlternativesShown = 3;

std::string mcdcRowText(const CoverageProbe& probe, std::size_t row) {
  const McdcRows* rows = probe.mcdcRows();
  if (rows == nullptr || row >= rows->conditions.size()) return "MC/DC row not shown";
  std::string text = "condition " + std::to_string(rows->conditions[row]) +
                     " without a covered pair";
  const std::vector<McdcNeed> needs = rows->needsOf(row);
  if (needs.empty()) return text;
  text += ": run ";
  for (std::size_t i = 0; i < needs.size() && i < kAlternativesShown; ++i) {
    const McdcNeed& need = needs[i];
    if (i > 0) text += ", or ";
    text += evaluationText(*rows, need.run);
    text += need.partnerExecuted ? ", it pairs with " + std::to_string(need.partner)
                                 : " and " + evaluationText(*rows, need.partner);
  }
  if (needs.size() > kAlternativesShown) {
    text += ", or one of " + std::to_string(needs.size() - kAlternativesShown) + " more";
  }
  return text;
}

}  // namespace

std::string uncoveredText(const ChangedOutcome& outcome) {
  switch (outcome.outcome.kind) {
    case ExportOutcome::Kind::Executed:
      return "never executed";
    case ExportOutcome::Kind::True:
      return "true outcome never taken";
    case ExportOutcome::Kind::False:
      return "false outcome never taken";
    case ExportOutcome::Kind::Counted:
      return "counted outcome never taken";
    case ExportOutcome::Kind::Evaluation:
      return "evaluation never occurred";
    case ExportOutcome::Kind::McdcRow:
      return mcdcRowText(*outcome.probe, outcome.outcome.row);
  }
  return {};
}

std::string_view outcomeKindName(ExportOutcome::Kind kind) {
  switch (kind) {
    case ExportOutcome::Kind::Executed: return "executed";
    case ExportOutcome::Kind::True: return "true";
    case ExportOutcome::Kind::False: return "false";
    case ExportOutcome::Kind::Counted: return "counted";
    case ExportOutcome::Kind::Evaluation: return "evaluation";
    case ExportOutcome::Kind::McdcRow: return "mcdc_row";
  }
  return {};
}

bool sameExportName(std::string_view diffPath, std::string_view shownName) {
  return folded(diffPath) == folded(shownName);
}

ChangedCode measureChangedCode(const Coverage& coverage, std::string_view root,
                               const ChangeSet& change) {
  const std::vector<ExportSource> sources = collectExportSources(coverage, root);
  const RecordIndex index(sources);
  // The changed lines and diff names of every matched record, by record.
  std::map<std::size_t, std::pair<std::vector<std::uint32_t>, std::vector<std::string>>> matched;
  ChangedCode code;
  for (const ChangedFile& file : change.files) {
    const std::ptrdiff_t at = index.find(file.path);
    if (at < 0) {
      code.unmeasured.push_back({file.path, static_cast<std::uint32_t>(file.lines.size())});
      continue;
    }
    auto& [lines, names] = matched[static_cast<std::size_t>(at)];
    lines = mergedLines(lines, file.lines);
    names.push_back(file.path);
  }
  const bool mcdcView = coverage.mcdcView();
  for (auto& [at, entry] : matched) {
    ChangedRecord record = measureRecord(sources[at], entry.first, mcdcView);
    record.diffPaths = std::move(entry.second);
    code.changedLines += record.changedLines;
    code.hits += record.hits;
    code.all += record.all;
    code.records.push_back(std::move(record));
  }
  code.ter = ter(code.hits, code.all);
  return code;
}

}  // namespace kov
