#include "model/coverage_builder.h"

#include "base/diagnostic.h"
#include "model/coverage.h"
#include "model/coverage_file.h"
#include "model/coverage_function.h"
#include "model/probe_kind.h"

namespace kov {

CoverageFile& CoverageBuilder::file(std::uint8_t slot) const {
  // The reader names only slots it has filled; anything else is a fault of
  // the program, not of the input.
  if (slot >= kFileSlots || files_[slot] == nullptr) raise(diag::kInternalError);
  return *files_[slot];
}

CoverageFunction& CoverageBuilder::function(std::uint8_t slot) const {
  if (slot >= kFunctionSlots || functions_[slot] == nullptr) raise(diag::kInternalError);
  return *functions_[slot];
}

void CoverageBuilder::consume(std::string_view batch) {
  RecordCursor in(batch);
  while (!in.atEnd()) {
    switch (in.kind()) {
      case RecordKind::kListText:
        addToList(in, false);
        break;
      case RecordKind::kListNumber:
        addToList(in, true);
        break;
      case RecordKind::kAddFile:
        addFile(in);
        break;
      case RecordKind::kSameFile: {
        const std::uint8_t slot = in.get8();
        CoverageFile* other = &file(in.get8());
        if (slot >= kFileSlots) raise(diag::kInternalError);
        files_[slot] = other;
        break;
      }
      case RecordKind::kInstrumentationMode: {
        CoverageFile& target = file(in.get8());
        target.addInstrumentationMode(std::string(in.getText()));
        break;
      }
      case RecordKind::kIncludeLine: {
        CoverageFile& target = file(in.get8());
        target.addIncludeLine(std::string(in.getText()));
        break;
      }
      case RecordKind::kExtractedHeaderName: {
        CoverageFile& target = file(in.get8());
        target.addExtractedHeaderName(file(in.get8()).displayName);
        break;
      }
      case RecordKind::kLineDirectiveFile: {
        CoverageFile& target = file(in.get8());
        const CoverageFile& part = file(in.get8());
        const std::string_view name = in.getText();
        const std::uint32_t line = in.get32();
        target.addLineDirectiveFile(part.displayName, name, line, in.getText());
        break;
      }
      case RecordKind::kLineCount: {
        CoverageFile& target = file(in.get8());
        target.addLineCount(in.get32());
        break;
      }
      case RecordKind::kStatementAvailability: {
        CoverageFile& target = file(in.get8());
        const std::string_view name = in.getText();
        const std::uint32_t line = in.get32();
        const std::string_view parameters = in.getText();
        target.setStatementAvailability(name, line, parameters, in.getText());
        break;
      }
      case RecordKind::kAddFunction:
        addFunction(in);
        break;
      case RecordKind::kAddPartFunction:
        addPartFunction(in);
        break;
      case RecordKind::kProbe:
        addProbe(in);
        break;
      case RecordKind::kEndReport:
        files_.fill(nullptr);
        functions_.fill(nullptr);
        break;
      default:
        raise(diag::kInternalError);
    }
  }
}

void CoverageBuilder::addToList(RecordCursor& in, bool number) {
  const auto list = static_cast<ReportList>(in.get8());
  if (number) {
    const std::uint32_t value = in.get32();
    switch (list) {
      case ReportList::kCostScalings: coverage_.costScalings.push_back(value); return;
      case ReportList::kReportLines: coverage_.reportLines.push_back(value); return;
      case ReportList::kReportMeasurementPoints:
        coverage_.reportMeasurementPoints.push_back(value);
        return;
      default: raise(diag::kInternalError);
    }
  }
  std::string text(in.getText());
  switch (list) {
    case ReportList::kKovpostVersions: coverage_.kovpostVersions.push_back(std::move(text)); return;
    case ReportList::kInputReports: coverage_.inputReportList.push_back(std::move(text)); return;
    case ReportList::kCoverageViews: coverage_.coverageViews.push_back(std::move(text)); return;
    case ReportList::kCostFunctions: coverage_.costFunctions.push_back(std::move(text)); return;
    case ReportList::kCostTypes: coverage_.costTypes.push_back(std::move(text)); return;
    case ReportList::kNotices: coverage_.notices.push_back(std::move(text)); return;
    case ReportList::kReportViews: coverage_.reportViews.push_back(std::move(text)); return;
    default: raise(diag::kInternalError);
  }
}

void CoverageBuilder::addFile(RecordCursor& in) {
  const std::uint8_t slot = in.get8();
  const std::string_view key = in.getText();
  const std::uint32_t fileType = in.get32();
  const std::string_view displayName = in.getText();
  const bool chosen = in.get8() != 0;
  if (slot >= kFileSlots) raise(diag::kInternalError);
  files_[slot] = coverage_.addFile(key, fileType, displayName, chosen);
}

void CoverageBuilder::addFunction(RecordCursor& in) {
  function_.name.assign(in.getText());
  function_.definitionLine = in.get32();
  function_.parameters.assign(in.getText());
  function_.startLine = in.get32();
  function_.headerLine = in.get32();
  function_.callCount = in.get32();
  function_.totalExecutionCost = in.get32();
  function_.maxExecutionCost = static_cast<std::int32_t>(in.get32());
  CoverageFile& target = file(static_cast<std::uint8_t>(FileSlot::kTarget));
  function_.originFile = &target;
  functions_[static_cast<std::size_t>(FunctionSlot::kBody)] =
      target.addFunction(function_.name, function_.definitionLine, function_.parameters, function_);
}

void CoverageBuilder::addPartFunction(RecordCursor& in) {
  static constexpr std::string_view kPartFunctionName = "N.A.";
  static constexpr std::string_view kPartFunctionParameters = "( )";
  FunctionRecord part;
  part.name.assign(in.getText());
  part.definitionLine = in.get32();
  part.parameters.assign(in.getText());
  part.originFile = &file(static_cast<std::uint8_t>(FileSlot::kTarget));
  CoverageFile& header = file(static_cast<std::uint8_t>(FileSlot::kHeaderPart));
  functions_[static_cast<std::size_t>(FunctionSlot::kPart)] = header.addFunction(
      std::string(kPartFunctionName), 0, std::string(kPartFunctionParameters), part);
}

void CoverageBuilder::addProbe(RecordCursor& in) {
  PackedProbe packed;
  in.getBytes(&packed, sizeof packed);
  CoverageFunction& target = function(packed.function);
  // The kind is settled here, off the reading thread; an unknown keyword
  // still ends the run at this probe, before anything read after it.
  probe_.kind = probeKindOf(in.getBytes(packed.typeSize));
  probe_.counterLayout = counterLayoutOf(probe_.kind, packed.hasCount1 != 0);
  probe_.line = packed.line;
  probe_.listedLine = packed.listedLine;
  probe_.headerLine = packed.headerLine;
  probe_.counters = {packed.counters[0], packed.counters[1]};
  probe_.nesting = packed.nesting;
  probe_.statementCount = packed.statementCount;
  probe_.description.assign(in.getBytes(packed.descriptionSize));
  probe_.parentDescription.clear();
  probe_.headerFile = packed.headerFile == static_cast<std::uint8_t>(FileSlot::kNoFile)
                          ? nullptr
                          : &file(packed.headerFile);
  target.addProbe(std::move(probe_));
}

}  // namespace kov
