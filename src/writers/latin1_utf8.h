// Report texts are ISO-8859-1 bytes; the outputs that declare UTF-8 (JSON,
// SonarQube, Markdown) convert them byte by byte: every byte is the code
// point of the same number.
#pragma once

#include <string>

namespace kov {

/// Appends the UTF-8 form of one ISO-8859-1 byte (one or two bytes).
inline void appendLatin1AsUtf8(std::string& out, char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte < 0x80) {
    out.push_back(c);
  } else {
    out.push_back(static_cast<char>(0xC0 | (byte >> 6)));
    out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
  }
}

}  // namespace kov
