#include "model/statement_analysis.h"

#include "model/coverage_file.h"
#include "model/coverage_function.h"

namespace kov {

struct StatementAnalysis::State {};

StatementAnalysis::StatementAnalysis() : state_(std::make_unique<State>()) {}
StatementAnalysis::~StatementAnalysis() = default;

void StatementAnalysis::analyseFunction(CoverageFunction& function, CoverageFile&) {
  // Until the analysis exists a function has no statement figures.
  function.statementAvailable = false;
}

}  // namespace kov
