#include "reader/file_names.h"

#include "base/file_key.h"

namespace kov {
namespace {

std::string_view withoutDriveLetter(std::string_view name, bool noDriveLetter) {
  if (noDriveLetter && name.size() > 2 && name[1] == ':') return name.substr(2);
  return name;
}

}  // namespace

std::string displayName(std::string_view name, bool noDriveLetter) {
  return std::string(withoutDriveLetter(name, noDriveLetter));
}

std::string fileKey(std::string_view name, bool noDriveLetter) {
  return fileKeyOf(withoutDriveLetter(name, noDriveLetter));
}

bool matchPattern(std::string_view pattern, std::string_view text) {
  // Greedy walk that, on a mismatch, lets the last "*" swallow one more byte
  // and retries from there; earlier stars never need to be revisited.
  constexpr std::size_t kNone = std::string_view::npos;
  std::size_t p = 0;
  std::size_t t = 0;
  std::size_t starAt = kNone;
  std::size_t starText = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starAt = p++;
      starText = t;
    } else if (p < pattern.size() && pattern[p] == text[t]) {
      ++p;
      ++t;
    } else if (starAt != kNone) {
      p = starAt + 1;
      t = ++starText;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

FileChooser::FileChooser(bool noDriveLetter, const std::vector<std::string>& chosenNames,
                         const std::vector<std::string>& unchosenNames)
    : noDriveLetter_(noDriveLetter) {
  for (const std::string& name : chosenNames) chosenKeys_.push_back(fileKey(name, noDriveLetter));
  for (const std::string& name : unchosenNames) {
    unchosenKeys_.push_back(fileKey(name, noDriveLetter));
  }
}

bool FileChooser::isChosen(std::string_view displayName) const {
  if (chosenKeys_.empty() && unchosenKeys_.empty()) return true;
  const std::string key = fileKey(displayName, noDriveLetter_);
  if (!chosenKeys_.empty()) return anyMatches(chosenKeys_, key);
  return !anyMatches(unchosenKeys_, key);
}

bool FileChooser::anyMatches(const std::vector<std::string>& patterns, std::string_view key) {
  for (const std::string& pattern : patterns) {
    if (matchPattern(pattern, key)) return true;
  }
  return false;
}

}  // namespace kov
