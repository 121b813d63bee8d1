// The style sheet and script of the HTML report. They are files of the source
// tree (src/writers/html/assets/), built into the program and written into
// every report beside its pages.
#pragma once

#include <span>
#include <string_view>

namespace kov::html {

/// One file of the report that every report holds as it is.
struct Asset {
  std::string_view name;   // its file name in the report
  std::string_view bytes;  // its contents
};

/// Every asset, in a fixed order.
std::span<const Asset> reportAssets();

}  // namespace kov::html
