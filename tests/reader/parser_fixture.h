// A merged coverage set and a reader for tests that parse whole reports.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "model/coverage.h"
#include "reader/report_pipeline.h"
#include "reader/reader_test_util.h"

namespace kov::testing {

class ParserTest : public ::testing::Test {
 protected:
  /// Sets the -ndl flag and the -f and -nf names of the reader.
  void configure(bool noDriveLetter, std::vector<std::string> chosen = {},
                 std::vector<std::string> unchosen = {}) {
    parser_ = std::make_unique<ReportPipeline>(coverage, noDriveLetter, std::move(chosen),
                                          std::move(unchosen));
  }
  /// Writes the report text under `name` and reads it; returns its path.
  std::string parseText(const std::string& text, const std::string& name = "report.xml") {
    const std::string path = dir.write(name, text);
    if (!parser_) configure(false);
    parser_->parse(path);
    return path;
  }
  /// The message line that reading the text raises; empty where none.
  std::string errorOf(const std::string& text, const std::string& name = "report.xml") {
    return diagnosticOf([&] { parseText(text, name); });
  }
  /// The file of that key, or nullptr.
  const CoverageFile* file(const std::string& key) const {
    const auto found = coverage.files().find(key);
    return found == coverage.files().end() ? nullptr : found->second.get();
  }
  /// The keys of all files, in registry order.
  std::vector<std::string> fileKeys() const {
    std::vector<std::string> keys;
    for (const auto& [key, entry] : coverage.files()) keys.push_back(key);
    return keys;
  }

  Coverage coverage{"3.4", {"report.xml"}, {}, {}, {}};
  TempDir dir;

 private:
  std::unique_ptr<ReportPipeline> parser_;
};

}  // namespace kov::testing
