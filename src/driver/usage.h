// The usage text and the program's fixed identity texts.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kov {

/// The program version that every output shows.
inline constexpr const char* kProgramVersion = "3.4";

/// The two lines of the copyright notice.
std::vector<std::string> copyrightLines();

/// Writes the usage text, line by line.
void printUsage(std::ostream& out);

}  // namespace kov
