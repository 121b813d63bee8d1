// File names as the reports give them: the shown name, the key under which
// equal files of different reports meet, and the -f/-nf choice of files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kov {

/// The shown name: without its drive letter and ":" where `noDriveLetter` is
/// set and something remains, else the name unchanged.
std::string displayName(std::string_view name, bool noDriveLetter);

/// The key of a name: its shown name lower-cased (ASCII), with "/" turned into
/// "\" and every run of backslashes collapsed to one.
std::string fileKey(std::string_view name, bool noDriveLetter);

/// Whether `text` matches `pattern`, where "*" matches any run of bytes and
/// every other byte matches itself. Time is at most |pattern| * |text|.
bool matchPattern(std::string_view pattern, std::string_view text);

/// The -f (chosen) and -nf (unchosen) names, turned into keys once.
class FileChooser {
 public:
  FileChooser(bool noDriveLetter, const std::vector<std::string>& chosenNames,
              const std::vector<std::string>& unchosenNames);

  /// Whether the file of that shown name is chosen: every file without
  /// names; with -f names one must match (the -nf names are then not
  /// consulted); with -nf names only, none may match.
  bool isChosen(std::string_view displayName) const;

 private:
  static bool anyMatches(const std::vector<std::string>& patterns, std::string_view key);

  bool noDriveLetter_;
  std::vector<std::string> chosenKeys_;
  std::vector<std::string> unchosenKeys_;
};

}  // namespace kov
