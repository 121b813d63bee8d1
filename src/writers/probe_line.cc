#include "writers/probe_line.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "base/diagnostic.h"
#include "base/text_sink.h"
#include "model/coverage_file.h"
#include "model/coverage_function.h"
#include "model/coverage_probe.h"

namespace kov {
namespace {

// The cells a line has in front of its description.
enum class Form {
  T,   // true count (width 10), line cell 19
  TF,  // true count (10), false count (11), line cell 8
  F,   // false count (21), line cell 8
  N,   // line cell 29
};

// The line number stands right-aligned in the last kNumberColumns characters
// of the line cell; the character in front of them marks a probe that is not
// fully covered. A longer number takes that column and gets no mark.
constexpr std::size_t kNumberColumns = 6;
constexpr std::uint32_t kFirstUnmarkableLine = 1000000;  // 7 digits

// Written in pieces through the text operator, which hands the buffer on when
// it is large: a report's nesting may ask for gigabytes of indentation, and
// single characters would pile them all up in memory first.
void putBlanks(TextSink& out, std::uint64_t count) {
  constexpr std::string_view kBlanks =
      "                                                                ";
  while (count > 0) {
    const std::uint64_t piece = std::min<std::uint64_t>(count, kBlanks.size());
    out << kBlanks.substr(0, piece);
    count -= piece;
  }
}

void putLineCell(TextSink& out, std::uint32_t line, std::size_t width, bool covered) {
  if (!covered && line < kFirstUnmarkableLine) {
    putBlanks(out, width - kNumberColumns - 1);
    out << '-';
    out.putUnsigned(line, kNumberColumns);
  } else {
    out.putUnsigned(line, width);
  }
}

// The counters a line shows, read before anything is written so that a
// missing one leaves no half line behind.
struct Counts {
  std::uint32_t trueCount = 0;
  std::uint32_t falseCount = 0;
};

Counts countsFor(const CoverageProbe& probe, Form form) {
  Counts counts;
  if (form == Form::T || form == Form::TF) counts.trueCount = probe.counters.at(0);
  if (form == Form::F || form == Form::TF) counts.falseCount = probe.counters.at(1);
  return counts;
}

void putCells(TextSink& out, Form form, Counts counts, std::uint32_t line, bool covered) {
  switch (form) {
    case Form::T:
      out.putUnsigned(counts.trueCount, 10);
      putLineCell(out, line, 19, covered);
      break;
    case Form::TF:
      out.putUnsigned(counts.trueCount, 10);
      out.putUnsigned(counts.falseCount, 11);
      putLineCell(out, line, 8, covered);
      break;
    case Form::F:
      out.putUnsigned(counts.falseCount, 21);
      putLineCell(out, line, 8, covered);
      break;
    case Form::N:
      putLineCell(out, line, 29, covered);
      break;
  }
  out << ' ';
}

// Condition probes stand one level deeper than their decision.
std::uint64_t indentationOf(const CoverageProbe& probe) {
  return std::uint64_t{probe.nesting} + (isConditionPart(probe.kind) ? 1 : 0);
}

void putIndentation(TextSink& out, const CoverageProbe& probe) {
  putBlanks(out, 2 * indentationOf(probe));
}

bool isFullyCovered(const CoverageProbe& probe, bool mcdcView) {
  // Under the MC/DC view the evaluations count through the mcdc rows instead.
  bool evaluation = probe.kind == ProbeKind::MultiCondT || probe.kind == ProbeKind::MultiCondF;
  if (evaluation && mcdcView) return true;
  return probe.all == 0 || probe.hits >= probe.all;
}

// One line of the probe with its own description; `withMarker` appends the
// reachability marker of the statement analysis right behind it.
void putProbeLine(TextSink& out, const CoverageProbe& probe, Form form, bool mcdcView,
                  bool withMarker) {
  Counts counts = countsFor(probe, form);
  putCells(out, form, counts, probe.shownLine, isFullyCovered(probe, mcdcView));
  putIndentation(out, probe);
  out << probe.description;
  if (withMarker && probe.marker != '\0') out << probe.marker;
  out.endLine();
}

void putMcdcRows(TextSink& out, const CoverageProbe& probe) {
  const McdcRows* rows = probe.mcdcRows();
  if (rows == nullptr) return;
  for (const std::string& row : rows->rows) {
    bool covered = row.find('+') != std::string::npos;
    putCells(out, Form::N, Counts{}, probe.shownLine, covered);
    putIndentation(out, probe);
    out << row;
    out.endLine();
  }
}

// "#line" lines never carry the "-" mark.
void putDirectiveLine(TextSink& out, const CoverageProbe& probe, std::uint32_t cellLine,
                      std::uint32_t directiveLine, std::string_view fileName) {
  putCells(out, Form::N, Counts{}, cellLine, true);
  putIndentation(out, probe);
  out << "#line ";
  out.putUnsigned(directiveLine);
  out << " \"" << fileName << '"';
  out.endLine();
}

bool isExpanding(const ListingContext& context, const CoverageFunction* function) {
  return std::find(context.expanding.begin(), context.expanding.end(), function) !=
         context.expanding.end();
}

// A line-directive file whose code is being written in place: its stretch
// (first function), the next of its probes, and the file itself, which
// becomes pending once the stretch is written. Directives inside a stretch
// open the next one on a list instead of calling back into the writer, so
// the chain of directives, as long as the reports make it, never deepens
// the call stack.
struct OpenStretch {
  CoverageFunction* function;
  CoverageFile* file;
  std::size_t next = 0;
};
using OpenStretches = std::vector<OpenStretch>;

// A directive into a line-directive file writes that file's code in place,
// once for the run; the file stays pending until a directive or the next
// function leads back.
void followDirectiveInto(const CoverageProbe& probe, CoverageFile& target, ListingContext& context,
                         TextSink& out, OpenStretches& open) {
  CoverageFunction* stretch = target.firstFunction();
  if (stretch != nullptr && !stretch->listed && !isExpanding(context, stretch)) {
    putDirectiveLine(out, probe, probe.shownLine, probe.lowestHeaderLine, target.displayName);
    context.expanding.push_back(stretch);
    open.push_back(OpenStretch{stretch, &target});
    return;  // the file becomes pending when its stretch is written
  }
  context.file->pendingPart = &target;
}

// A directive back to the file being written. Without a pending part there is
// nothing to lead back from, so nothing is written.
void followDirectiveBack(const CoverageProbe& probe, ListingContext& context, TextSink& out) {
  CoverageFile& file = *context.file;
  if (file.pendingPart != nullptr) {
    CoverageFunction* stretch = file.pendingPart->firstFunction();
    if (stretch != nullptr && !stretch->listed) {
      putDirectiveLine(out, probe, probe.shownLine, probe.lowestHeaderLine, file.displayName);
      stretch->listed = true;
    }
  }
  file.pendingPart = nullptr;
}

void putDirectiveLines(const CoverageProbe& probe, ListingContext& context, TextSink& out,
                       OpenStretches& open) {
  CoverageFile* target = probe.headerFile;
  if (target != nullptr && target->fileType == kLineDirectiveFile) {
    followDirectiveInto(probe, *target, context, out, open);
  } else {
    followDirectiveBack(probe, context, out);
  }
}

// A function that begins while a line-directive file is still pending first
// leads back to the file being written.
void putReturnDirective(const CoverageProbe& probe, ListingContext& context, TextSink& out) {
  CoverageFile& file = *context.file;
  if (file.pendingPart == nullptr) return;
  putDirectiveLine(out, probe, context.function->shownLine, context.function->lowestHeaderLine,
                   file.displayName);
  file.pendingPart = nullptr;
}

void putLines(const CoverageProbe& probe, ListingContext& context, TextSink& out,
              OpenStretches& open) {
  const bool view = context.mcdcView;
  switch (probe.kind) {
    case ProbeKind::Function:
      putReturnDirective(probe, context, out);
      putProbeLine(out, probe, Form::T, view, false);
      break;
    case ProbeKind::Return:
    case ProbeKind::Break:
    case ProbeKind::Try:
    case ProbeKind::Throw:
    case ProbeKind::Catch:
    case ProbeKind::UserCounter:
    case ProbeKind::Lambda:
    case ProbeKind::Goto:
    case ProbeKind::Continue:
    case ProbeKind::WhileDecl:
    case ProbeKind::ForDecl:
    case ProbeKind::ForRange:
    case ProbeKind::ForEachRangeVc:
    case ProbeKind::ForeachRangeCsharp:
    case ProbeKind::SehTry:
    case ProbeKind::SehLeave:
    case ProbeKind::SehFinally:
    case ProbeKind::SehExcept:
    case ProbeKind::MultiCondT:
      putProbeLine(out, probe, Form::T, view, false);
      break;
    case ProbeKind::If:
    case ProbeKind::ElseIf:
    case ProbeKind::While:
    case ProbeKind::For:
    case ProbeKind::Ternary:
    case ProbeKind::DoWhile:
    case ProbeKind::SubCond:
    case ProbeKind::ExprAndor:
      putProbeLine(out, probe, Form::TF, view, false);
      break;
    case ProbeKind::MultiCondF:
      putProbeLine(out, probe, Form::F, view, false);
      break;
    case ProbeKind::Case:
    case ProbeKind::Default:
    case ProbeKind::LambdaEnd:
    case ProbeKind::FunctionEnd:
      putProbeLine(out, probe, Form::T, view, true);
      break;
    case ProbeKind::Else:
    case ProbeKind::Switch:
    case ProbeKind::Do:
    case ProbeKind::BlockEnd:
    case ProbeKind::LambdaEndNr:
    case ProbeKind::FunctionTryBlock:
    case ProbeKind::Label:
    case ProbeKind::UserAnnotation:
      putProbeLine(out, probe, Form::N, view, true);
      break;
    case ProbeKind::FunctionEndNr:
      if (!context.file->functionCoverageOnly) putProbeLine(out, probe, Form::N, view, true);
      break;
    case ProbeKind::ConstIf:
    case ProbeKind::ConstElseIf:
    case ProbeKind::ConstWhile:
    case ProbeKind::ConstFor:
    case ProbeKind::ConstDoWhile:
    case ProbeKind::ConstTernary: {
      // The merged layout says which outcome was counted.
      Form form = probe.counterLayout == CounterLayout::ConstFalse ? Form::F : Form::T;
      putProbeLine(out, probe, form, view, false);
      break;
    }
    case ProbeKind::Mcdc:
      putMcdcRows(out, probe);
      break;
    case ProbeKind::Linedir:
      break;
    case ProbeKind::LinedirInFunction:
      putDirectiveLines(probe, context, out, open);
      break;
  }
}

// Writes the stretches that directives opened, innermost first, until none
// is left open.
void writeOpenStretches(ListingContext& context, TextSink& out, OpenStretches& open) {
  while (!open.empty()) {
    OpenStretch& innermost = open.back();
    const auto& probes = innermost.function->probes();
    if (innermost.next == probes.size()) {
      context.expanding.pop_back();
      context.file->pendingPart = innermost.file;
      open.pop_back();
      continue;
    }
    CoverageFunction* stretch = innermost.function;  // `open` may grow below
    const CoverageProbe& part = *probes[innermost.next++];
    putLines(part, context, out, open);
    if (part.kind == ProbeKind::FunctionEnd || part.kind == ProbeKind::FunctionEndNr) {
      stretch->listed = true;
    }
  }
}

}  // namespace

void writeProbeLine(const CoverageProbe& probe, ListingContext& context, TextSink& out) {
  try {
    OpenStretches open;
    putLines(probe, context, out, open);
    writeOpenStretches(context, out, open);
  } catch (const std::out_of_range& error) {
    raise(diag::kRangeProbeListing, error.what());
  }
}

}  // namespace kov
