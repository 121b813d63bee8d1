// One file of the merged coverage set: a source file, an extracted header or
// a line-directive file, with its functions.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/coverage_common.h"
#include "model/coverage_function.h"
#include "model/file_type.h"
#include "model/probe_record.h"

namespace kov {

class McdcAnalysis;
class StatementAnalysis;

class CoverageFile : public CoverageCommon {
 public:
  CoverageFile(std::string key, std::uint32_t fileType, std::string displayName, bool chosen);
  ~CoverageFile() override;

  /// Stores a function or merges it into the stored one of the same identity;
  /// returns the stored function.
  CoverageFunction* addFunction(std::string name, std::uint32_t definitionLine,
                                std::string parameters, const FunctionRecord& record);
  /// Appends a function of a saved merge, which lists them in stored order;
  /// nullptr (and the function dropped) where its definition line is below
  /// the last one's or its identity is taken.
  CoverageFunction* restoreFunction(std::unique_ptr<CoverageFunction> function);
  /// Hands a probe to the function of that identity; dropped where there is none.
  void addProbe(std::string_view name, std::uint32_t definitionLine, std::string_view parameters,
                ProbeRecord&& record);
  /// Passes a report's statement availability to the function of that identity.
  void setStatementAvailability(std::string_view name, std::uint32_t definitionLine,
                                std::string_view parameters, std::string_view text);
  void addInstrumentationMode(std::string mode);
  void addExtractedHeaderName(std::string name);
  void addIncludeLine(std::string line);
  void addLineCount(std::uint32_t lines);
  /// Records that `fileName` (a line-directive file) holds code of the function
  /// of that identity, on the function and on this file.
  void addLineDirectiveFile(std::string fileName, std::string_view name,
                            std::uint32_t definitionLine, std::string_view parameters);
  /// The function of that identity, or nullptr.
  CoverageFunction* findFunction(std::string_view name, std::uint32_t definitionLine,
                                 std::string_view parameters) const;
  /// The first function (lowest definition line), or nullptr.
  CoverageFunction* firstFunction() const {
    return functions_.empty() ? nullptr : functions_.front().get();
  }
  /// The functions in stored order: by definition line, ties in insertion order.
  const std::vector<std::unique_ptr<CoverageFunction>>& functions() const { return functions_; }

  /// The line count as a source file: the largest line count for type 1, else 0.
  std::uint32_t sourceLineCount() const { return fileType == kSourceFile ? largestLineCount : 0; }
  /// The line count as a header file: the largest line count for type 2, else 0.
  std::uint32_t headerLineCount() const { return fileType == kHeaderFile ? largestLineCount : 0; }

  // Per-file steps of the processing, in their order.
  /// Settles the one instrumentation mode (error 17) and the mode flags.
  void modeStep(bool functionView);
  /// Processes every function and sums the file's hits and all.
  void functionStep(McdcAnalysis& mcdc, bool mcdcView);
  /// Adds a line-directive file's coverage to the function it came from.
  void backPropagationStep();
  /// Sums hits and all over the functions again.
  void resumStep();
  /// Statement analysis, statement sums and TER texts.
  void statementAndTextSteps(StatementAnalysis& statements);

  std::string name;  // the key
  std::uint32_t fileType;
  std::string displayName;
  std::string fileTypeText;
  std::vector<std::string> instrumentationModes;
  std::string instrumentationMode;
  bool functionCoverageOnly = false;
  bool timing = false;
  bool chosen;
  bool statementShown = false;
  std::uint32_t largestLineCount = 0;  // largest of the reports' line counts
  std::string terText;
  std::uint32_t hits = 0;
  std::uint32_t all = 0;
  std::uint32_t terValue = 100;
  std::string statementTerText;
  std::uint32_t statementHits = 0;
  std::uint32_t statementAll = 0;
  std::uint32_t statementTer = 100;
  std::uint32_t functionsWithStatement = 0;
  std::uint32_t functionsWithoutStatement = 0;
  std::vector<std::string> extractedHeaderNames;
  std::vector<std::string> lineDirectiveFileNames;
  std::vector<std::string> includeLines;
  CoverageFile* pendingPart = nullptr;  // a line-directive file; not owned

 private:
  void sumFunctions();
  /// The first function in stored order whose origin is this file with that
  /// identity (functions no longer change when this is asked).
  CoverageFunction* findByOrigin(std::string_view originName, std::uint32_t originLine,
                                 std::string_view originParameters);

  std::vector<std::unique_ptr<CoverageFunction>> functions_;
  std::unordered_map<std::string, CoverageFunction*> functionIndex_;
  std::unique_ptr<std::unordered_map<std::string, CoverageFunction*>> originIndex_;
};

}  // namespace kov
