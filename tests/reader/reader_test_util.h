// Helpers of the reader tests: the hand-written reports, variants of them in
// a temporary folder, and the message of a raised diagnostic.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>

#include "base/diagnostic.h"

namespace kov::testing {

/// The folder of the hand-written reports.
inline std::filesystem::path dataDir() {
  return std::filesystem::path(__FILE__).parent_path() / "data";
}

/// The bytes of a file.
inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/// A hand-written report's text.
inline std::string report(std::string_view name) {
  return readFile(dataDir() / name);
}

/// `text` with the first `from` replaced by `to`; fails the test where
/// `from` does not occur, so that a variant never silently equals its base.
inline std::string replaced(std::string text, std::string_view from, std::string_view to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << "not in the report: " << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

/// A temporary folder, removed with its contents at the end of the test.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kov_reader_XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  /// Writes a file of these bytes into the folder and returns its name.
  std::string write(std::string_view name, std::string_view bytes) const {
    const std::filesystem::path file = path_ / name;
    std::ofstream(file, std::ios::binary) << bytes;
    return file.string();
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

/// The message line of the diagnostic that `action` raises; empty where it
/// raises none.
inline std::string diagnosticOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const DiagnosticError& error) {
    return error.what();
  }
  return {};
}

}  // namespace kov::testing
