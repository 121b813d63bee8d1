#include "base/file_key.h"

namespace kov {

std::string fileKeyOf(std::string_view name) {
  std::string key;
  key.reserve(name.size());
  for (char c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c == '/') c = '\\';
    // Keeping only the last backslash of a run gives the same text as
    // removing the first of two adjacent ones until none are left.
    if (c == '\\' && !key.empty() && key.back() == '\\') continue;
    key.push_back(c);
  }
  return key;
}

}  // namespace kov
