// The Cobertura XML export (-cobertura), the format that CI dashboards read:
// one package per directory, one class per record, a method per function.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kov {

class Coverage;
class TextSink;
struct ExportRecords;

/// Writes the Cobertura document of the records of a processed coverage set.
void writeCoberturaXml(const Coverage& coverage, const ExportRecords& records, TextSink& out);

/// A rate covered / valid as the document writes it: 1 where valid is 0, else
/// rounded to four decimals without trailing zeros ("0.5", "0.8571"), where
/// an incomplete coverage never shows as 1 nor a covered one as 0.
std::string coberturaRate(std::uint64_t covered, std::uint64_t valid);

/// The seconds since 1970 of a run time stamp in the form of asctime, read
/// as local time; 0 where the text is not in that form.
std::int64_t secondsSince1970(std::string_view timeStamp);

}  // namespace kov
