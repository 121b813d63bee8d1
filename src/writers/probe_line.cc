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

using Cells = ListingLine::Cells;

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

void putCells(TextSink& out, const ListingLine& line) {
  switch (line.cells) {
    case Cells::True:
      out.putUnsigned(line.trueCount, 10);
      putLineCell(out, line.line, 19, line.covered);
      break;
    case Cells::TrueFalse:
      out.putUnsigned(line.trueCount, 10);
      out.putUnsigned(line.falseCount, 11);
      putLineCell(out, line.line, 8, line.covered);
      break;
    case Cells::False:
      out.putUnsigned(line.falseCount, 21);
      putLineCell(out, line.line, 8, line.covered);
      break;
    case Cells::None:
      putLineCell(out, line.line, 29, line.covered);
      break;
  }
  out << ' ';
}

// Condition probes stand one level deeper than their decision.
std::uint64_t indentationOf(const CoverageProbe& probe) {
  return std::uint64_t{probe.nesting} + (isConditionPart(probe.kind) ? 1 : 0);
}

bool isFullyCovered(const CoverageProbe& probe, bool mcdcView) {
  // Under the MC/DC view the evaluations count through the mcdc rows instead.
  bool evaluation = probe.kind == ProbeKind::MultiCondT || probe.kind == ProbeKind::MultiCondF;
  if (evaluation && mcdcView) return true;
  return probe.all == 0 || probe.hits >= probe.all;
}

// A line that belongs to `probe`, at its indentation.
ListingLine lineOf(const CoverageProbe& probe, ListingLine::Kind kind, Cells cells) {
  ListingLine line;
  line.kind = kind;
  line.cells = cells;
  line.probe = &probe;
  line.indentation = indentationOf(probe);
  return line;
}

// One line of the probe with its own description; `withMarker` appends the
// reachability marker of the statement analysis right behind it. The
// counters are read before the line is handed on, so that a missing one
// leaves no half line behind.
void putProbeLine(ListingLineSink& out, const CoverageProbe& probe, Cells cells, bool mcdcView,
                  bool withMarker) {
  ListingLine line = lineOf(probe, ListingLine::Kind::Probe, cells);
  if (cells == Cells::True || cells == Cells::TrueFalse) line.trueCount = probe.counters.at(0);
  if (cells == Cells::False || cells == Cells::TrueFalse) line.falseCount = probe.counters.at(1);
  line.line = probe.shownLine;
  line.covered = isFullyCovered(probe, mcdcView);
  line.text = probe.description;
  if (withMarker) line.marker = probe.marker;
  out.line(line);
}

void putMcdcRows(ListingLineSink& out, const CoverageProbe& probe) {
  const McdcRows* rows = probe.mcdcRows();
  if (rows == nullptr) return;
  for (std::size_t i = 0; i < rows->rows.size(); ++i) {
    ListingLine line = lineOf(probe, ListingLine::Kind::McdcRow, Cells::None);
    line.line = probe.shownLine;
    line.covered = rows->rows[i].find('+') != std::string::npos;
    line.text = rows->rows[i];
    line.row = i;
    out.line(line);
  }
}

// "#line" lines never carry the "-" mark.
void putDirectiveLine(ListingLineSink& out, const CoverageProbe& probe, std::uint32_t cellLine,
                      std::uint32_t directiveLine, const CoverageFile& file) {
  ListingLine line = lineOf(probe, ListingLine::Kind::Directive, Cells::None);
  line.line = cellLine;
  line.directiveLine = directiveLine;
  line.directiveFile = &file;
  line.text = file.displayName;
  out.line(line);
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
                         ListingLineSink& out, OpenStretches& open) {
  CoverageFunction* stretch = target.firstFunction();
  if (stretch != nullptr && !stretch->listed && !isExpanding(context, stretch)) {
    putDirectiveLine(out, probe, probe.shownLine, probe.lowestHeaderLine, target);
    context.expanding.push_back(stretch);
    open.push_back(OpenStretch{stretch, &target});
    return;  // the file becomes pending when its stretch is written
  }
  context.file->pendingPart = &target;
}

// A directive back to the file being written. Without a pending part there is
// nothing to lead back from, so nothing is written.
void followDirectiveBack(const CoverageProbe& probe, ListingContext& context, ListingLineSink& out) {
  CoverageFile& file = *context.file;
  if (file.pendingPart != nullptr) {
    CoverageFunction* stretch = file.pendingPart->firstFunction();
    if (stretch != nullptr && !stretch->listed) {
      putDirectiveLine(out, probe, probe.shownLine, probe.lowestHeaderLine, file);
      stretch->listed = true;
    }
  }
  file.pendingPart = nullptr;
}

void putDirectiveLines(const CoverageProbe& probe, ListingContext& context, ListingLineSink& out,
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
void putReturnDirective(const CoverageProbe& probe, ListingContext& context, ListingLineSink& out) {
  CoverageFile& file = *context.file;
  if (file.pendingPart == nullptr) return;
  putDirectiveLine(out, probe, context.function->shownLine, context.function->lowestHeaderLine,
                   file);
  file.pendingPart = nullptr;
}

void putLinesOf(const CoverageProbe& probe, ListingContext& context, ListingLineSink& out,
                OpenStretches& open) {
  const bool view = context.mcdcView;
  switch (probe.kind) {
    case ProbeKind::Function:
      putReturnDirective(probe, context, out);
      putProbeLine(out, probe, Cells::True, view, false);
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
      putProbeLine(out, probe, Cells::True, view, false);
      break;
    case ProbeKind::If:
    case ProbeKind::ElseIf:
    case ProbeKind::While:
    case ProbeKind::For:
    case ProbeKind::Ternary:
    case ProbeKind::DoWhile:
    case ProbeKind::SubCond:
    case ProbeKind::ExprAndor:
      putProbeLine(out, probe, Cells::TrueFalse, view, false);
      break;
    case ProbeKind::MultiCondF:
      putProbeLine(out, probe, Cells::False, view, false);
      break;
    case ProbeKind::Case:
    case ProbeKind::Default:
    case ProbeKind::LambdaEnd:
    case ProbeKind::FunctionEnd:
      putProbeLine(out, probe, Cells::True, view, true);
      break;
    case ProbeKind::Else:
    case ProbeKind::Switch:
    case ProbeKind::Do:
    case ProbeKind::BlockEnd:
    case ProbeKind::LambdaEndNr:
    case ProbeKind::FunctionTryBlock:
    case ProbeKind::Label:
    case ProbeKind::UserAnnotation:
      putProbeLine(out, probe, Cells::None, view, true);
      break;
    case ProbeKind::FunctionEndNr:
      if (!context.file->functionCoverageOnly) putProbeLine(out, probe, Cells::None, view, true);
      break;
    case ProbeKind::ConstIf:
    case ProbeKind::ConstElseIf:
    case ProbeKind::ConstWhile:
    case ProbeKind::ConstFor:
    case ProbeKind::ConstDoWhile:
    case ProbeKind::ConstTernary: {
      // The merged layout says which outcome was counted.
      Cells cells = probe.counterLayout == CounterLayout::ConstFalse ? Cells::False : Cells::True;
      putProbeLine(out, probe, cells, view, false);
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

// Stamps every line with the file its line numbers count in: the file being
// written, or the line-directive file of the stretch being written in place.
class InFile : public ListingLineSink {
 public:
  InFile(ListingLineSink& out, const CoverageFile* file) : out_(out), file_(file) {}
  void line(const ListingLine& line) override {
    ListingLine stamped = line;
    stamped.lineFile = file_;
    out_.line(stamped);
  }

 private:
  ListingLineSink& out_;
  const CoverageFile* file_;
};

void putLines(const CoverageProbe& probe, const CoverageFile* lineFile, ListingContext& context,
              ListingLineSink& out, OpenStretches& open) {
  InFile stamped(out, lineFile);
  putLinesOf(probe, context, stamped, open);
}

// Writes the stretches that directives opened, innermost first, until none
// is left open.
void writeOpenStretches(ListingContext& context, ListingLineSink& out, OpenStretches& open) {
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
    putLines(part, innermost.file, context, out, open);
    if (part.kind == ProbeKind::FunctionEnd || part.kind == ProbeKind::FunctionEndNr) {
      stretch->listed = true;
    }
  }
}

}  // namespace

void walkProbeLines(const CoverageProbe& probe, ListingContext& context, ListingLineSink& out) {
  try {
    OpenStretches open;
    putLines(probe, context.file, context, out, open);
    writeOpenStretches(context, out, open);
  } catch (const std::out_of_range& error) {
    raise(diag::kRangeProbeListing, error.what());
  }
}

void writeListingLine(const ListingLine& line, TextSink& out) {
  putCells(out, line);
  putBlanks(out, 2 * line.indentation);
  switch (line.kind) {
    case ListingLine::Kind::Probe:
      out << line.text;
      if (line.marker != '\0') out << line.marker;
      break;
    case ListingLine::Kind::McdcRow:
      out << line.text;
      break;
    case ListingLine::Kind::Directive:
      out << "#line ";
      out.putUnsigned(line.directiveLine);
      out << " \"" << line.text << '"';
      break;
  }
  out.endLine();
}

void writeProbeLine(const CoverageProbe& probe, ListingContext& context, TextSink& out) {
  struct TextLines : ListingLineSink {
    explicit TextLines(TextSink& sink) : sink(sink) {}
    void line(const ListingLine& line) override { writeListingLine(line, sink); }
    TextSink& sink;
  } lines(out);
  walkProbeLines(probe, context, lines);
}

}  // namespace kov
