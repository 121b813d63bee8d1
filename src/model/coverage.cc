#include "model/coverage.h"

#include <ctime>

#include "model/coverage_view.h"
#include "model/mcdc_analysis.h"
#include "model/statement_analysis.h"
#include "model/ter_text.h"

namespace kov {

Coverage::Coverage(std::string programVersion, std::vector<std::string> argumentList,
                   std::vector<std::string> chosenFiles, std::vector<std::string> unchosenFiles,
                   std::vector<std::string> copyrightLines)
    : programVersion(std::move(programVersion)),
      copyrightLines(std::move(copyrightLines)),
      chosenFileNames(std::move(chosenFiles)),
      unchosenFileNames(std::move(unchosenFiles)) {
  for (const std::string& argument : argumentList) {
    if (!optionsText.empty() || &argument != &argumentList.front()) optionsText += ' ';
    optionsText += argument;
  }
}

Coverage::~Coverage() = default;

CoverageFile* Coverage::addFile(std::string_view key, std::uint32_t fileType, std::string_view name,
                                bool chosen) {
  auto found = files_.find(key);
  if (found != files_.end()) return found->second.get();
  auto file = std::make_unique<CoverageFile>(std::string(key), fileType, std::string(name), chosen);
  CoverageFile* stored = file.get();
  files_.emplace(std::string(key), std::move(file));
  if (chosen) {
    if (fileType == kSourceFile) {
      ++chosenSourceFiles;
      ++chosenFiles;
    } else if (fileType == kHeaderFile) {
      ++chosenHeaderFiles;
      ++chosenFiles;
    }
  }
  return stored;
}

bool Coverage::mcdcView() const { return requestedCoverageView == kViewMcdc; }

void Coverage::process() { process(currentTimeStamp()); }

void Coverage::process(std::string timeStamp) {
  runTimeStamp = std::move(timeStamp);
  requestedCoverageView = viewInForce(coverageViews);
  if (chosenFiles == 0) return;

  const bool mcdc = mcdcView();
  const bool functionView = requestedCoverageView == kViewFunction;
  McdcAnalysis mcdcAnalysis;
  StatementAnalysis statementAnalysis;
  // Each step is a full pass over the registry before the next begins: the
  // back-propagation reads the finished figures of every line-directive file.
  for (auto& [key, file] : files_) file->modeStep(functionView);
  for (auto& [key, file] : files_) file->functionStep(mcdcAnalysis, mcdc);
  for (auto& [key, file] : files_) {
    if (file->fileType == kLineDirectiveFile) file->backPropagationStep();
  }
  for (auto& [key, file] : files_) {
    if (file->fileType != kLineDirectiveFile) file->resumStep();
  }
  for (auto& [key, file] : files_) {
    if (file->fileType != kLineDirectiveFile) file->statementAndTextSteps(statementAnalysis);
  }

  addTotals();
  if (all != 0) terValue = ter(hits, all);
  if (statementAll != 0) statementTer = ter(statementHits, statementAll);
  functions = functionsWithStatement + functionsWithoutStatement;
  shownCoverageViewsText = shownViewsText(reportViews);
  statementTerText = setStatementTerText(*this);
}

void Coverage::addTotals() {
  for (const auto& [key, file] : files_) {
    if (!file->chosen || file->fileType == kLineDirectiveFile) continue;
    lines += file->sourceLineCount();
    hits += file->hits;
    all += file->all;
    if (file->statementShown) {
      statementHits += file->statementHits;
      statementAll += file->statementAll;
    }
    functionsWithStatement += file->functionsWithStatement;
    functionsWithoutStatement += file->functionsWithoutStatement;
  }
}

std::string currentTimeStamp() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[64];
  std::size_t length = std::strftime(text, sizeof text, "%a %b %e %H:%M:%S %Y", &local);
  return std::string(text, length);
}

}  // namespace kov
