// The key under which equal file names meet, whatever letter case and
// separators a report or a command line spelled them with.
#pragma once

#include <string>
#include <string_view>

namespace kov {

/// `name` lower-cased (ASCII), with every "/" turned into "\" and every run of
/// backslashes collapsed to one. The reader keys its files by this text (after
/// removing a drive letter for -ndl); the exports group files by it.
std::string fileKeyOf(std::string_view name);

}  // namespace kov
