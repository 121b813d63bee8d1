#include "writers/cobertura_xml.h"

#include <algorithm>
#include <ctime>
#include <iomanip>
#include <locale>
#include <map>
#include <span>
#include <sstream>
#include <vector>

#include "base/text_sink.h"
#include "model/coverage.h"
#include "model/coverage_view.h"
#include "writers/export_records.h"
#include "writers/line_batch.h"
#include "writers/xml_escape.h"

namespace kov {
namespace {

constexpr std::uint64_t kRateScale = 10000;  // four decimals

void tabs(TextSink& out, int count) {
  for (int i = 0; i < count; ++i) out << '\t';
}

void line(TextSink& out, int indent, std::string_view text) {
  tabs(out, indent);
  out << text;
  out.endLine();
}

// ` name="value"` with the value escaped and every byte that XML cannot hold
// written "?", as in the summary XML report.
void attribute(TextSink& out, std::string_view name, std::string_view value) {
  out << ' ' << name << "=\"";
  putXmlText(out, value, true);
  out << '"';
}

void numberAttribute(TextSink& out, std::string_view name, std::uint64_t value) {
  out << ' ' << name << "=\"";
  out.putUnsigned(value);
  out << '"';
}

void rateAttributes(TextSink& out, const ExportTally& tally) {
  attribute(out, "line-rate", coberturaRate(tally.linesCovered, tally.linesValid));
  attribute(out, "branch-rate", coberturaRate(tally.branchesCovered, tally.branchesValid));
}

void writeLines(TextSink& out, int indent, std::span<const ExportLine> lines) {
  static constexpr std::string_view kTabs = "\t\t\t\t\t\t\t\t";
  const std::string_view tabs = kTabs.substr(0, static_cast<std::size_t>(indent + 1));
  line(out, indent, "<lines>");
  LineBatch batch(out);
  for (const ExportLine& exported : lines) {
    batch.beginLine();
    batch.put(tabs);
    batch.put("<line number=\"");
    batch.putNumber(exported.number);
    batch.put("\" hits=\"");
    batch.putNumber(exported.count);
    if (exported.branchesValid == 0) {
      batch.put("\"/>");  // branch="false" is the DTD's default
    } else {
      batch.put("\" branch=\"true\" condition-coverage=\"");
      batch.putNumber(ter(exported.branchesCovered, exported.branchesValid));
      batch.put("% (");
      batch.putNumber(exported.branchesCovered);
      batch.put("/");
      batch.putNumber(exported.branchesValid);
      batch.put(")\"/>");
    }
    batch.endLine();
  }
  batch.flush();
  line(out, indent, "</lines>");
}

void writeMethod(TextSink& out, const ExportRecord& record, const ExportFunction& function) {
  const std::span<const ExportLine> lines = record.linesOf(function);
  tabs(out, 6);
  out << "<method";
  attribute(out, "name", function.name);
  attribute(out, "signature", function.parameters);
  rateAttributes(out, ExportTally::of(lines));
  out << " complexity=\"0\">";
  out.endLine();
  writeLines(out, 7, lines);
  line(out, 6, "</method>");
}

void writeClass(TextSink& out, const ExportRecord& record, const ExportTally& tally) {
  tabs(out, 4);
  out << "<class";
  attribute(out, "name", record.shownName);
  attribute(out, "filename", record.shownName);
  rateAttributes(out, tally);
  out << " complexity=\"0\">";
  out.endLine();
  line(out, 5, "<methods>");
  for (const ExportFunction& function : record.functions) writeMethod(out, record, function);
  line(out, 5, "</methods>");
  writeLines(out, 5, record.lines);
  line(out, 4, "</class>");
}

// The records of one directory, in record order.
struct Package {
  std::string_view name;
  std::vector<const ExportRecord*> records;
  std::vector<ExportTally> tallies;  // one per record
  ExportTally tally;
};

std::string_view directoryOf(std::string_view shownName) {
  const std::size_t slash = shownName.rfind('/');
  return slash == std::string_view::npos ? std::string_view(".") : shownName.substr(0, slash);
}

// Packages in the order of their first record, so that the classes keep
// the order of the listing within each.
std::vector<Package> packagesOf(const ExportRecords& records) {
  std::vector<Package> packages;
  std::map<std::string_view, std::size_t> byName;
  for (const ExportRecord& record : records.records) {
    const std::string_view name = directoryOf(record.shownName);
    auto [entry, inserted] = byName.try_emplace(name, packages.size());
    if (inserted) packages.push_back(Package{name, {}, {}, {}});
    Package& package = packages[entry->second];
    package.records.push_back(&record);
    package.tallies.push_back(ExportTally::of(record.lines));
    package.tally.add(package.tallies.back());
  }
  return packages;
}

void writePackage(TextSink& out, const Package& package) {
  tabs(out, 2);
  out << "<package";
  attribute(out, "name", package.name);
  rateAttributes(out, package.tally);
  out << " complexity=\"0\">";
  out.endLine();
  line(out, 3, "<classes>");
  for (std::size_t i = 0; i < package.records.size(); ++i) {
    writeClass(out, *package.records[i], package.tallies[i]);
  }
  line(out, 3, "</classes>");
  line(out, 2, "</package>");
}

}  // namespace

std::string coberturaRate(std::uint64_t covered, std::uint64_t valid) {
  if (valid == 0 || covered >= valid) return "1";
  if (covered == 0) return "0";
  // Rounded half up in integers, then kept off the two ends.
  std::uint64_t scaled = (covered * kRateScale * 2 + valid) / (valid * 2);
  scaled = std::clamp<std::uint64_t>(scaled, 1, kRateScale - 1);
  std::string digits = std::to_string(scaled);
  digits.insert(0, 4 - digits.size(), '0');
  while (digits.back() == '0') digits.pop_back();
  return "0." + digits;
}

std::int64_t secondsSince1970(std::string_view timeStamp) {
  std::tm fields{};
  std::istringstream in{std::string(timeStamp)};
  in.imbue(std::locale::classic());
  in >> std::get_time(&fields, "%a %b %d %H:%M:%S %Y");
  if (in.fail()) return 0;
  fields.tm_isdst = -1;  // as the local clock showed it, summer time or not
  const std::time_t seconds = std::mktime(&fields);
  return seconds == static_cast<std::time_t>(-1) ? 0 : static_cast<std::int64_t>(seconds);
}

void writeCoberturaXml(const Coverage& coverage, const ExportRecords& records, TextSink& out) {
  const std::vector<Package> packages = packagesOf(records);
  ExportTally total;
  for (const Package& package : packages) total.add(package.tally);

  line(out, 0, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>");
  line(out, 0,
       "<!DOCTYPE coverage SYSTEM \"http://cobertura.sourceforge.net/xml/coverage-04.dtd\">");
  out << "<coverage";
  rateAttributes(out, total);
  numberAttribute(out, "lines-covered", total.linesCovered);
  numberAttribute(out, "lines-valid", total.linesValid);
  numberAttribute(out, "branches-covered", total.branchesCovered);
  numberAttribute(out, "branches-valid", total.branchesValid);
  out << " complexity=\"0\"";
  attribute(out, "version", coverage.programVersion);
  out << " timestamp=\"";
  out.putSigned(secondsSince1970(coverage.runTimeStamp)) << "\">";
  out.endLine();
  line(out, 1, "<sources>");
  tabs(out, 2);
  out << "<source>";
  putXmlText(out, records.source, true);
  out << "</source>";
  out.endLine();
  line(out, 1, "</sources>");
  line(out, 1, "<packages>");
  for (const Package& package : packages) writePackage(out, package);
  line(out, 1, "</packages>");
  line(out, 0, "</coverage>");
}

}  // namespace kov
