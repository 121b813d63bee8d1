// Reads a unified diff as git writes it (any number of context lines, -U0
// included) into the lines the change adds.
#pragma once

#include <string>
#include <string_view>

#include "base/change_set.h"

namespace kov {

/// Reads the diff in the file `name` ("-" is standard input). Raises error
/// 50 where it cannot be read and error 51, naming the line, where it is not
/// a unified diff.
ChangeSet readUnifiedDiff(const std::string& name);

/// Parses the text of a diff; `name` is used in diagnostics only.
ChangeSet parseUnifiedDiff(std::string_view text, const std::string& name);

/// A path as git writes it in a "---" or "+++" line, without the line's
/// prefix: a C-quoted name ("\t", "\"", "\\", octal escapes and the other
/// C escapes) decoded; an unquoted one cut at a tab, behind which other diff
/// programs put a time stamp. False where a quoted name is not closed or
/// holds an unknown escape.
bool decodeDiffPath(std::string_view text, std::string& path);

}  // namespace kov
