#include "driver/path_parts.h"

namespace kov {

std::string baseNameOf(const std::string& name) {
  std::size_t slash = name.rfind('/');
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

}  // namespace kov
