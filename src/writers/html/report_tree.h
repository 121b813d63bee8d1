// The pages of the HTML report and how they hang together: a page for every
// file the listing shows and a directory tree of their shown names, in which
// a directory that holds nothing but one subdirectory is one step with it
// ("src/app/core"). Page file names are numbers handed out here, never taken
// from the names in the reports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kov {

class Coverage;
class CoverageFile;

namespace html {

/// Summed figures of a directory (or a file): hits and all wrap like the
/// totals of the coverage set, from which the root's equal the overall ones.
struct Tally {
  std::uint32_t hits = 0;
  std::uint32_t all = 0;
  std::uint32_t statementHits = 0;  // of the files that show a statement TER
  std::uint32_t statementAll = 0;
  std::uint32_t functionsWithStatement = 0;
  std::uint32_t functionsWithoutStatement = 0;
  std::uint32_t files = 0;

  /// Adds the figures of a file.
  void add(const CoverageFile& file);
  /// Adds the figures of another tally.
  void add(const Tally& other);
  std::uint32_t functions() const { return functionsWithStatement + functionsWithoutStatement; }
  std::uint32_t ter() const;
  std::uint32_t statementTer() const;
};

/// A page of one listed file.
struct FilePage {
  const CoverageFile* file = nullptr;
  std::string_view label;       // the last part of its shown name
  std::size_t directory = 0;    // the directory that lists it
  std::string pageName;         // "f1.html", ...
};

/// A directory of the tree; the root is the overview.
struct DirectoryPage {
  std::string path;   // the shown path, parts joined by "/"; empty for the root
  std::string label;  // as its parent lists it: one or more parts ("app/core")
  std::size_t parent = 0;  // the root is its own parent
  std::string pageName;    // "index.html" for the root, else "d1.html", ...
  std::vector<std::size_t> directories;  // its subdirectories, by label
  std::vector<std::size_t> files;        // its files (indices of files()), by label
  Tally tally;
};

class ReportTree {
 public:
  /// The tree of the files that the listing shows, in the listing's order.
  explicit ReportTree(const Coverage& coverage);

  /// The files, in the listing's order.
  const std::vector<FilePage>& files() const { return files_; }
  /// The directories; the root (the overview) is the first.
  const std::vector<DirectoryPage>& directories() const { return directories_; }
  /// The page of a listed file, or nullptr.
  const FilePage* pageOf(const CoverageFile* file) const;
  /// The directories from the root down to `directory`, both included.
  std::vector<std::size_t> pathTo(std::size_t directory) const;

 private:
  std::vector<FilePage> files_;
  std::vector<DirectoryPage> directories_;
  std::unordered_map<const CoverageFile*, std::size_t> fileIndex_;
};

/// The parts of a shown name: split at "/" and "\", without empty parts and
/// "."; a name that begins with a separator gets "/" as its first part.
std::vector<std::string_view> nameParts(std::string_view name);

}  // namespace html
}  // namespace kov
