// What the HTML report needs from outside the writer: a place for its files
// and the text of the source files. The driver provides both (the directory
// rule, the source lookup); the writer itself never touches the file system.
#pragma once

#include <string>
#include <string_view>

namespace kov {

class CoverageFile;
class TextSink;

namespace html {

/// The directory the report's files are written into.
class ReportOutput {
 public:
  virtual ~ReportOutput() = default;
  /// Starts the file `name` and returns the sink for its bytes. Names are
  /// made by the writer (ASCII letters, digits, "-", "_" and ".", never a
  /// path); one file is written at a time.
  virtual TextSink& beginFile(std::string_view name) = 0;
  /// Completes the file begun last. Raises error 24 where it cannot be written.
  virtual void endFile() = 0;
};

/// What became of the search for a file's source.
enum class SourceStatus {
  Found,
  NotFound,  // no readable regular file under any of the names tried
  TooLarge,  // found, but too large to show
};

/// The source files of the files the report shows.
class SourceProvider {
 public:
  virtual ~SourceProvider() = default;
  /// Looks for the source of `file`; on Found, `text` holds its bytes.
  virtual SourceStatus readSource(const CoverageFile& file, std::string& text) = 0;
};

}  // namespace html
}  // namespace kov
