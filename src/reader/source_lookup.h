// Finding and reading the source files that the HTML report shows beside
// their probes: a file's name as the reports give it (relative to the
// current directory, or absolute), then under each -src directory.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kov {

class SourceLookup {
 public:
  /// What became of a search.
  enum class Result { Found, NotFound, TooLarge };

  /// A source larger than this is not shown.
  static constexpr std::size_t kMaxSize = std::size_t{64} << 20;

  /// `directories`: the -src directories, in the order given.
  explicit SourceLookup(std::vector<std::string> directories);

  /// Reads the first regular file among `name` as it stands and
  /// `relativeName` under each directory into `text`. Names holding a NUL
  /// byte name no file; devices, FIFOs and directories are passed over.
  Result read(std::string_view name, std::string_view relativeName, std::string& text) const;

 private:
  std::vector<std::string> directories_;
};

}  // namespace kov
