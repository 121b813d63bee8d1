// Numbers in attribute values and element texts, read the way C's strtoul and
// strtol read them with base 0, narrowed to 32 bits.
#pragma once

#include <cstdint>
#include <string_view>

namespace kov {

/// Reads an unsigned 32-bit number: leading white space, an optional sign,
/// "0x" hexadecimal, "0" octal, else decimal, up to the first non-digit; no
/// digit gives 0, a magnitude beyond 4294967295 gives 4294967295, and a minus
/// sign negates modulo 2^32.
std::uint32_t toNumber(std::string_view text);

/// Reads a signed 32-bit number by the same rules, clamping to
/// [-2147483648, 2147483647]; an empty text gives 0.
std::int32_t toSignedNumber(std::string_view text);

}  // namespace kov
