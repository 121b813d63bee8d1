// The TER texts that the processing step stores and both writers print.
#pragma once

#include <cstdint>
#include <string>

namespace kov {

class Coverage;
class CoverageFile;
class CoverageFunction;

/// W3(ter) " % (" W3(hits) "/" W3(all) ")".
std::string terText(std::uint32_t terValue, std::uint32_t hits, std::uint32_t all);
/// The function's statement TER text, or "N.A. statement".
std::string functionStatementTerText(const CoverageFunction& function);
/// The file's statement TER text; sets the file's statement-shown flag where
/// one of its functions has statement coverage.
std::string fileStatementTerText(CoverageFile& file);
/// The statement TER text of the whole set (plain numbers).
std::string setStatementTerText(const Coverage& coverage);

}  // namespace kov
