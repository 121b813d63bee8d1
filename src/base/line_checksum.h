// A running checksum over the lines of a document, so that a file written by
// one run and read by another can tell whether it is still the same bytes.
// Not cryptographic: it catches cut, damaged and edited files, quickly.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace kov {

class LineChecksum {
 public:
  /// Adds one line, without its line end.
  void addLine(std::string_view line) {
    // Eight bytes per step: a byte-wise hash would cost more than reading
    // the document does.
    std::uint64_t h = kSeed ^ line.size();
    const char* p = line.data();
    std::size_t left = line.size();
    for (; left >= 8; left -= 8, p += 8) {
      std::uint64_t word;
      std::memcpy(&word, p, 8);
      h = mix(h ^ littleEndian(word));
    }
    if (left != 0) {
      std::uint64_t word = 0;
      for (std::size_t i = 0; i < left; ++i) {
        word |= std::uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
      }
      h = mix(h ^ word ^ (std::uint64_t{left} << 59));
    }
    value_ = mix(value_ ^ h) + 1;
  }

  std::uint64_t value() const { return value_; }

 private:
  static constexpr std::uint64_t kSeed = 0x9e3779b97f4a7c15ULL;
  // The same value on every machine, so that a file can move between them.
  static std::uint64_t littleEndian(std::uint64_t word) {
    if constexpr (std::endian::native == std::endian::big) {
      std::uint64_t swapped = 0;
      for (int i = 0; i < 8; ++i) swapped = (swapped << 8) | ((word >> (8 * i)) & 0xff);
      return swapped;
    }
    return word;
  }
  static std::uint64_t mix(std::uint64_t x) {
    x *= 0xff51afd7ed558ccdULL;
    return x ^ (x >> 32);
  }

  std::uint64_t value_ = 0;
};

}  // namespace kov
