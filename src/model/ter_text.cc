#include "model/ter_text.h"

#include "base/text_sink.h"
#include "model/coverage.h"
#include "model/coverage_file.h"
#include "model/coverage_function.h"

namespace kov {
namespace {

// W3(ter) " % (" W3(hits) "/" W3(all) ")": three-column fields that widen.
void appendTerFields(std::string& out, std::uint32_t terValue, std::uint32_t hits,
                     std::uint32_t all, std::size_t width) {
  appendUnsigned(out, terValue, width);
  out += " % (";
  appendUnsigned(out, hits, width);
  out += '/';
  appendUnsigned(out, all, width);
  out += ')';
}

void appendNotAvailable(std::string& out, std::uint32_t functionsWithout) {
  if (functionsWithout == 0) return;
  out += " (N.A. for ";
  appendUnsigned(out, functionsWithout);
  out += " functions)";
}

}  // namespace

std::string terText(std::uint32_t terValue, std::uint32_t hits, std::uint32_t all) {
  std::string text;
  appendTerFields(text, terValue, hits, all, 3);
  return text;
}

std::string functionStatementTerText(const CoverageFunction& function) {
  if (!function.statementAvailable) return "N.A. statement";
  std::string text;
  appendTerFields(text, function.statementTer, function.statementHits, function.statementAll, 3);
  text += " statement";
  return text;
}

std::string fileStatementTerText(CoverageFile& file) {
  std::string text;
  if (file.functionsWithStatement > 0) {
    appendTerFields(text, file.statementTer, file.statementHits, file.statementAll, 3);
    text += " statement";
    file.statementShown = true;
  } else {
    text = "100 % (  0/  0) statement";
  }
  appendNotAvailable(text, file.functionsWithoutStatement);
  return text;
}

std::string setStatementTerText(const Coverage& coverage) {
  std::string text;
  if (coverage.functionsWithStatement > 0) {
    appendTerFields(text, coverage.statementTer, coverage.statementHits, coverage.statementAll, 0);
    text += " statement";
  } else {
    text = "100 % (0/0) statement";
  }
  appendNotAvailable(text, coverage.functionsWithoutStatement);
  return text;
}

}  // namespace kov
