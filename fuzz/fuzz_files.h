// What the fuzz targets share: a private folder for the files of one input,
// the cutting of an input into parts, and the check for leaked descriptors.
#pragma once

#include <string_view>
#include <vector>

namespace kov::fuzz {

/// Creates the private folder (once; it goes at the end of the process) and
/// makes it the working folder for the time of one input.
void enterFolder();
/// Removes the files of one input and returns to the caller's folder.
void leaveFolder();
/// Writes a file of the private folder; aborts where that fails.
void writeFile(const char* name, std::string_view bytes);
/// Cuts the input at every line "#KOV-NEXT#" into at most `parts` parts; the
/// last part keeps any further markers.
std::vector<std::string_view> splitParts(std::string_view input, std::size_t parts);
/// The number the next opened descriptor would get.
int lowestFreeDescriptor();

}  // namespace kov::fuzz
