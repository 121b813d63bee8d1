#include "model/coverage_file.h"

#include <algorithm>

#include "base/diagnostic.h"
#include "model/coverage_view.h"
#include "model/statement_analysis.h"
#include "model/ter_text.h"

namespace kov {
namespace {

// The identity of a function as one text: lengths keep the parts apart
// whatever bytes the name and parameters hold.
std::string identityKey(std::string_view name, std::uint32_t line, std::string_view parameters) {
  std::string key;
  key.reserve(name.size() + parameters.size() + 24);
  key += std::to_string(name.size());
  key += ':';
  key += name;
  key += std::to_string(line);
  key += ':';
  key += parameters;
  return key;
}

void appendUnique(std::vector<std::string>& list, std::string text) {
  if (std::find(list.begin(), list.end(), text) == list.end()) list.push_back(std::move(text));
}

}  // namespace

CoverageFile::CoverageFile(std::string key, std::uint32_t fileType, std::string displayName,
                           bool chosen)
    : name(std::move(key)),
      fileType(fileType),
      displayName(std::move(displayName)),
      fileTypeText(fileType == kSourceFile ? "source" : "header"),
      chosen(chosen) {}

CoverageFile::~CoverageFile() = default;

CoverageFunction* CoverageFile::addFunction(std::string functionName, std::uint32_t definitionLine,
                                            std::string parameters, const FunctionRecord& record) {
  std::string key = identityKey(functionName, definitionLine, parameters);
  auto found = functionIndex_.find(key);
  if (found != functionIndex_.end()) {
    found->second->mergeFrom(record);
    return found->second;
  }
  auto function = std::make_unique<CoverageFunction>(std::move(functionName), definitionLine,
                                                     std::move(parameters), record);
  CoverageFunction* stored = function.get();
  // Reports list a file's functions by line, so a new one mostly goes last;
  // the search would touch a function object per step, each far apart.
  auto position =
      !functions_.empty() && functions_.back()->definitionLine <= definitionLine
          ? functions_.end()
          : std::upper_bound(functions_.begin(), functions_.end(), definitionLine,
                             [](std::uint32_t line, const std::unique_ptr<CoverageFunction>& f) {
                               return line < f->definitionLine;
                             });
  functions_.insert(position, std::move(function));
  functionIndex_.emplace(std::move(key), stored);
  return stored;
}

CoverageFunction* CoverageFile::restoreFunction(std::unique_ptr<CoverageFunction> function) {
  if (!functions_.empty() && functions_.back()->definitionLine > function->definitionLine) {
    return nullptr;
  }
  auto [at, fresh] = functionIndex_.emplace(
      identityKey(function->name, function->definitionLine, function->parameters), function.get());
  if (!fresh) return nullptr;
  functions_.push_back(std::move(function));
  return at->second;
}

CoverageFunction* CoverageFile::findFunction(std::string_view functionName,
                                             std::uint32_t definitionLine,
                                             std::string_view parameters) const {
  auto found = functionIndex_.find(identityKey(functionName, definitionLine, parameters));
  return found == functionIndex_.end() ? nullptr : found->second;
}

void CoverageFile::addProbe(std::string_view functionName, std::uint32_t definitionLine,
                            std::string_view parameters, ProbeRecord&& record) {
  if (CoverageFunction* function = findFunction(functionName, definitionLine, parameters)) {
    function->addProbe(std::move(record));
  }
}

void CoverageFile::setStatementAvailability(std::string_view functionName,
                                            std::uint32_t definitionLine,
                                            std::string_view parameters, std::string_view text) {
  if (CoverageFunction* function = findFunction(functionName, definitionLine, parameters)) {
    function->setStatementAvailability(text);
  }
}

void CoverageFile::addInstrumentationMode(std::string mode) {
  appendUnique(instrumentationModes, std::move(mode));
}

void CoverageFile::addExtractedHeaderName(std::string headerName) {
  appendUnique(extractedHeaderNames, std::move(headerName));
}

void CoverageFile::addIncludeLine(std::string line) { appendUnique(includeLines, std::move(line)); }

void CoverageFile::addLineCount(std::uint32_t lines) {
  // Only the largest report's figure is ever shown.
  largestLineCount = std::max(largestLineCount, lines);
}

void CoverageFile::addLineDirectiveFile(std::string fileName, std::string_view functionName,
                                        std::uint32_t definitionLine,
                                        std::string_view parameters) {
  if (CoverageFunction* function = findFunction(functionName, definitionLine, parameters)) {
    function->addLineDirectiveFileName(fileName);
  }
  appendUnique(lineDirectiveFileNames, std::move(fileName));
}

void CoverageFile::modeStep(bool functionView) {
  if (instrumentationModes.size() != 1) raise(diag::kDifferentModes, displayName);
  instrumentationMode = instrumentationModes.front();
  functionCoverageOnly =
      functionView || instrumentationMode.find("function") != std::string::npos;
  timing = instrumentationMode.find("timing") != std::string::npos;
}

void CoverageFile::functionStep(McdcAnalysis& mcdc, bool mcdcView) {
  for (auto& function : functions_) function->processFunction(mcdc, mcdcView);
  sumFunctions();
}

void CoverageFile::backPropagationStep() {
  CoverageFunction* part = firstFunction();
  if (part == nullptr || part->originFile == nullptr) return;
  // The stretch's code counts in the source function it came from as well.
  CoverageFunction* source = part->originFile->findByOrigin(part->originName, part->originLine,
                                                            part->originParameters);
  if (source == nullptr) return;
  source->hits += part->hits;
  source->all += part->all;
  if (source->all != 0) source->terValue = ter(source->hits, source->all);
}

CoverageFunction* CoverageFile::findByOrigin(std::string_view originName, std::uint32_t originLine,
                                             std::string_view originParameters) {
  if (!originIndex_) {
    originIndex_ = std::make_unique<std::unordered_map<std::string, CoverageFunction*>>();
    for (const auto& function : functions_) {
      if (function->originFile != this) continue;
      originIndex_->emplace(
          identityKey(function->originName, function->originLine, function->originParameters),
          function.get());
    }
  }
  auto found = originIndex_->find(identityKey(originName, originLine, originParameters));
  return found == originIndex_->end() ? nullptr : found->second;
}

void CoverageFile::resumStep() { sumFunctions(); }

void CoverageFile::sumFunctions() {
  hits = 0;
  all = 0;
  for (const auto& function : functions_) {
    hits += function->hits;
    all += function->all;
  }
  if (all != 0) terValue = ter(hits, all);
}

void CoverageFile::statementAndTextSteps(StatementAnalysis& statements) {
  for (auto& function : functions_) statements.analyseFunction(*function, *this);
  for (auto& function : functions_) function->statementTerText = functionStatementTerText(*function);
  for (const auto& function : functions_) {
    if (function->statementAvailable) {
      statementHits += function->statementHits;
      statementAll += function->statementAll;
      ++functionsWithStatement;
    } else {
      ++functionsWithoutStatement;
    }
  }
  if (statementAll != 0) statementTer = ter(statementHits, statementAll);
  terText = kov::terText(terValue, hits, all);
  statementTerText = fileStatementTerText(*this);
  for (auto& function : functions_) {
    function->terText = kov::terText(function->terValue, function->hits, function->all);
  }
}

}  // namespace kov
