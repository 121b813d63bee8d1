// The types of the files of the merged coverage set.
#pragma once

#include <cstdint>

namespace kov {

inline constexpr std::uint32_t kSourceFile = 1;
inline constexpr std::uint32_t kHeaderFile = 2;
inline constexpr std::uint32_t kLineDirectiveFile = 3;

}  // namespace kov
