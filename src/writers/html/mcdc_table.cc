#include "writers/html/mcdc_table.h"

#include <algorithm>
#include <vector>

#include "base/text_sink.h"
#include "model/coverage_function.h"
#include "model/coverage_probe.h"
#include "writers/html/html_text.h"
#include "writers/html/page.h"

namespace kov::html {
namespace {

constexpr std::string_view kCheckMark = "\xE2\x9C\x93";  // U+2713

// An evaluation as a test must bring it about: its vector, or its number
// where the result does not know it.
void putVectorOf(TextSink& out, const McdcRows& rows, std::uint32_t number) {
  const McdcEvaluation* evaluation = rows.evaluation(number);
  if (evaluation != nullptr && !evaluation->vector.empty()) {
    out << "<code>";
    putText(out, evaluation->vector);
    out << "</code>";
  } else {
    out << "evaluation ";
    out.putUnsigned(number);
  }
}

void putEvaluations(TextSink& out, const McdcRows& rows) {
  out << "<table class=\"evaluations\"><caption>Evaluations</caption>";
  out.endLine();
  putHeadRow(out, {"#Evaluation", "Vector", "Outcome", "#Count"});
  out << "<tbody>";
  out.endLine();
  for (const McdcEvaluation& evaluation : rows.evaluations) {
    const bool ran = evaluation.executed();
    out << (ran ? "<tr><td class=\"n\">" : "<tr class=\"z\"><td class=\"n\">");
    out.putUnsigned(evaluation.number) << "</td><td><code>";
    putText(out, evaluation.vector);
    out << "</code></td><td>" << (evaluation.outcome ? "T" : "F") << "</td><td class=\"n\">";
    out.putUnsigned(evaluation.count());
    if (!ran) out << " (never)";
    out << "</td></tr>";
    out.endLine();
  }
  out << "</tbody></table>";
  out.endLine();
}

// What a new test must run so that condition `condition` gets a covered pair.
void putNeeds(TextSink& out, const McdcRows& rows, std::size_t row, std::uint32_t condition) {
  const std::vector<McdcNeed> needs = rows.needsOf(row);
  if (needs.empty()) {
    out << "no pair can be made from the evaluations the report lists";
    return;
  }
  for (std::size_t i = 0; i < needs.size(); ++i) {
    const McdcNeed& need = needs[i];
    if (i > 0) out << "; or ";
    out << "run ";
    putVectorOf(out, rows, need.run);
    if (need.partnerExecuted) {
      out << ": it pairs with ";
      out.putUnsigned(need.partner);
    } else {
      out << " and ";
      putVectorOf(out, rows, need.partner);
      out << " (";
      out.putUnsigned(need.run) << " and ";
      out.putUnsigned(need.partner) << ", neither ran): they pair";
    }
    out << " for condition ";
    out.putUnsigned(condition);
  }
}

void putUnpaired(TextSink& out, std::uint32_t first, std::uint32_t last) {
  out << "<tr class=\"u\"><td class=\"n\"><span class=\"m\">" << kMissingMark << "</span> ";
  out.putUnsigned(first);
  if (last != first) {
    out << " to ";
    out.putUnsigned(last);
  }
  out << "</td><td>(no pair)</td><td>no pair can be made from the evaluations the report lists"
         "</td></tr>";
  out.endLine();
}

void putPairRow(TextSink& out, const McdcRows& rows, std::size_t row) {
  const std::uint32_t condition = rows.conditions[row];
  const bool covered = rows.rowCovered(row);
  if (covered) {
    out << "<tr><td class=\"n\">";
  } else {
    out << "<tr class=\"u\"><td class=\"n\"><span class=\"m\">" << kMissingMark << "</span> ";
  }
  out.putUnsigned(condition) << "</td><td>";
  putText(out, rows.rows[row]);
  out << "</td><td>";
  if (covered) {
    out << "<span class=\"ok\">" << kCheckMark << "</span> covered";
  } else {
    putNeeds(out, rows, row, condition);
  }
  out << "</td></tr>";
  out.endLine();
}

// One row per condition in condition order: the listing's row where it has
// one; conditions without any pair (the listing shows no row for them) as
// one row per run of them, as a decision may have very many.
void putPairs(TextSink& out, const McdcRows& rows) {
  out << "<table class=\"pairs\"><caption>Independence pairs</caption>";
  out.endLine();
  putHeadRow(out, {"#Condition", "Pairs", "What a new test must do"});
  out << "<tbody>";
  out.endLine();
  std::vector<std::size_t> order(std::min(rows.rows.size(), rows.conditions.size()));
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return rows.conditions[a] < rows.conditions[b];
  });
  std::uint32_t next = 1;  // the first condition not yet shown
  for (std::size_t row : order) {
    const std::uint32_t condition = rows.conditions[row];
    if (condition > next) putUnpaired(out, next, condition - 1);
    putPairRow(out, rows, row);
    if (condition >= next) next = condition + 1;
  }
  if (next <= rows.conditionCount) putUnpaired(out, next, rows.conditionCount);
  out << "</tbody></table>";
  out.endLine();
}

}  // namespace

void McdcTracker::beginFunction(const CoverageFunction& function, bool mcdcView) {
  withoutRows_.clear();
  decisionFile_ = nullptr;
  if (!mcdcView) return;
  for (const auto& probe : function.probes()) {
    const McdcRows* rows = probe->mcdcRows();
    if (rows != nullptr && rows->rows.empty() && !rows->evaluations.empty()) {
      withoutRows_.emplace(rows->evaluations.back().probe, probe.get());
    }
  }
}

const CoverageProbe* McdcTracker::decisionAtLine(const ListingLine& line) {
  const CoverageProbe* decision = nullptr;
  if (line.kind == ListingLine::Kind::McdcRow && line.row == 0) {
    decision = line.probe;
  } else if (line.kind == ListingLine::Kind::Probe) {
    if (line.cells == ListingLine::Cells::TrueFalse) {
      decision_ = line.text;
      decisionFile_ = line.lineFile;
      decisionLine_ = line.line;
    }
    if (!withoutRows_.empty()) {
      auto found = withoutRows_.find(line.probe);
      if (found != withoutRows_.end()) decision = found->second;
    }
  }
  return decision != nullptr && hasMcdcTables(*decision) ? decision : nullptr;
}

std::string_view McdcTracker::decisionText(const ListingLine& line,
                                           const CoverageProbe& mcdc) const {
  const bool sameLine = decisionFile_ == line.lineFile && decisionLine_ == line.line;
  return sameLine ? decision_ : std::string_view(mcdc.description);
}

bool hasMcdcTables(const CoverageProbe& mcdc) {
  const McdcRows* rows = mcdc.mcdcRows();
  return rows != nullptr && !rows->evaluations.empty();
}

bool mcdcIncomplete(const CoverageProbe& mcdc) {
  const McdcRows* rows = mcdc.mcdcRows();
  if (rows == nullptr) return false;
  if (rows->rows.size() < rows->conditionCount) return true;
  for (std::size_t i = 0; i < rows->rows.size(); ++i) {
    if (!rows->rowCovered(i)) return true;
  }
  return false;
}

void putMcdcTables(TextSink& out, const CoverageProbe& mcdc, std::string_view decision,
                   std::uint32_t line) {
  const McdcRows* rows = mcdc.mcdcRows();
  if (rows == nullptr) return;
  out << "<div class=\"mcdc\"><p class=\"title\">MC/DC of <code>";
  putText(out, decision);
  out << "</code>, line ";
  out.putUnsigned(line) << "</p>";
  out.endLine();
  putEvaluations(out, *rows);
  if (rows->conditionCount > 0) putPairs(out, *rows);
  out << "</div>";
  out.endLine();
}

}  // namespace kov::html
