#include "writers/export_names.h"

#include "base/text_sink.h"

namespace kov {
namespace {

char foldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

char slashed(char c) { return c == '\\' ? '/' : c; }

bool isControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

char lcovByte(char c, bool functionName) {
  if (isControl(c)) return '?';
  if (functionName && c == ',') return ';';
  return c;
}

std::string lcovForm(std::string_view text, bool functionName) {
  std::string out(text);
  for (char& c : out) c = lcovByte(c, functionName);
  return out;
}

}  // namespace

ExportRoot::ExportRoot(std::string_view dir) {
  if (dir.empty()) return;
  std::string prefix;
  for (char c : dir) prefix.push_back(foldCase(slashed(c)));
  while (!prefix.empty() && prefix.back() == '/') prefix.pop_back();
  prefix_ = std::move(prefix);
}

std::string ExportRoot::shownName(std::string_view displayName) const {
  std::string shown(displayName);
  for (char& c : shown) c = slashed(c);
  if (!prefix_) return shown;
  const std::string& prefix = *prefix_;
  // The directory, its "/" and at least one byte of a name after them.
  if (shown.size() <= prefix.size() + 1 || shown[prefix.size()] != '/') return shown;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (foldCase(shown[i]) != prefix[i]) return shown;
  }
  return shown.substr(prefix.size() + 1);
}

std::string lcovText(std::string_view text) { return lcovForm(text, false); }

std::string lcovFunctionName(std::string_view name) { return lcovForm(name, true); }

void putLcovText(TextSink& out, std::string_view text, bool functionName) {
  for (char c : text) out << lcovByte(c, functionName);
}

}  // namespace kov
