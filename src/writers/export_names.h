// Names in the CI exports: the shown name of a file (separators and -root),
// and the bytes an lcov tracefile line can hold.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kov {

class TextSink;

/// The -root directory of the exports.
class ExportRoot {
 public:
  /// `dir` is the -root argument; empty where none was given.
  explicit ExportRoot(std::string_view dir);

  /// The shown name of a file's display name: every "\" written "/", and,
  /// where it begins with the root directory followed by "/", without that
  /// part. The directory is compared with every "\" written "/", without a
  /// trailing "/" and with ASCII letter case folded, as Windows spells paths
  /// either way. A name that would be left empty keeps the directory.
  std::string shownName(std::string_view displayName) const;

 private:
  std::optional<std::string> prefix_;  // the normalised directory
};

/// `text` as a tracefile line can hold it: every control byte (0x00 to 0x1F
/// and 0x7F, CR and line feed among them) written "?".
std::string lcovText(std::string_view text);

/// A function name as lcov reads it back whole: control bytes as "?", and
/// every "," written ";" (lcov's reader ends the name at its first ",").
std::string lcovFunctionName(std::string_view name);

/// Writes lcovText(text) or, with `functionName`, lcovFunctionName(text).
void putLcovText(TextSink& out, std::string_view text, bool functionName);

}  // namespace kov
