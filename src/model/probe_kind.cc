#include "model/probe_kind.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "base/diagnostic.h"

namespace kov {
namespace {

struct KindEntry {
  std::string_view keyword;
  CounterLayout layout;  // constant conditions are settled by count1
};

constexpr CounterLayout N = CounterLayout::NoCounter;
constexpr CounterLayout S = CounterLayout::SingleCounter;
constexpr CounterLayout C = CounterLayout::SecondCounter;
constexpr CounterLayout TF = CounterLayout::TrueFalse;
constexpr CounterLayout K = CounterLayout::ConstTrue;

// Indexed by kind - 1.
constexpr std::array<KindEntry, 51> kKinds = {{
    {"function", S},        {"return", S},           {"if", TF},
    {"else", N},            {"else_if", TF},         {"multi_cond_t", S},
    {"multi_cond_f", C},    {"switch", N},           {"case", S},
    {"default", S},         {"break", S},            {"try", S},
    {"throw", S},           {"catch", S},            {"while", TF},
    {"for", TF},            {"ternary", TF},         {"do", N},
    {"do_while", TF},       {"user_counter", S},     {"block_end", N},
    {"function_end_nr", N}, {"lambda", S},           {"lambda_end", S},
    {"lambda_end_nr", N},   {"function_end", S},     {"const_if", K},
    {"const_else_if", K},   {"const_while", K},      {"const_for", K},
    {"const_do_while", K},  {"const_ternary", K},    {"function_try_block", N},
    {"goto", S},            {"continue", S},         {"label", N},
    {"while_decl", S},      {"for_decl", S},         {"for_range", S},
    {"for_each_range_vc", S}, {"foreach_range_csharp", S}, {"sub_cond", TF},
    {"mcdc", N},            {"__try", S},            {"__leave", S},
    {"__finally", S},       {"__except", S},         {"expr_andor", TF},
    {"user_annotation", N}, {"linedir", N},          {"linedir_in_function", N},
}};

// Every probe of every report is looked up. The keywords differ in their
// length, first or last byte, and a hash of those three picks exactly one
// candidate (the table is checked when it is compiled), which is compared
// whole in a few word compares.
constexpr std::size_t kSlots = 128;

constexpr std::size_t slotOf(std::size_t size, unsigned char first, unsigned char last) {
  return (size * 3 + first * 11 + last * 2) % kSlots;
}

constexpr std::array<std::uint8_t, kSlots> kIndex = [] {
  std::array<std::uint8_t, kSlots> index{};
  for (std::size_t i = 0; i < kKinds.size(); ++i) {
    const std::string_view keyword = kKinds[i].keyword;
    const std::size_t slot = slotOf(keyword.size(), static_cast<unsigned char>(keyword.front()),
                                    static_cast<unsigned char>(keyword.back()));
    // Two keywords in one slot would make this no constant expression.
    if (index[slot] != 0) throw "two keywords share a slot of the kind index";
    index[slot] = static_cast<std::uint8_t>(i + 1);
  }
  return index;
}();

template <typename Word>
Word load(const char* p) {
  Word word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// Whether the `size` bytes at `a` and `b` are equal, for 2 to 24 bytes: words
// from the front and the back (and the middle) cover them all.
bool sameBytes(const char* a, const char* b, std::size_t size) {
  using W8 = std::uint64_t;
  using W4 = std::uint32_t;
  using W2 = std::uint16_t;
  if (size >= 8) {
    if (load<W8>(a) != load<W8>(b) || load<W8>(a + size - 8) != load<W8>(b + size - 8)) {
      return false;
    }
    return size <= 16 || load<W8>(a + 8) == load<W8>(b + 8);
  }
  if (size >= 4) return load<W4>(a) == load<W4>(b) && load<W4>(a + size - 4) == load<W4>(b + size - 4);
  return load<W2>(a) == load<W2>(b) && load<W2>(a + size - 2) == load<W2>(b + size - 2);
}

/// The kind number of the keyword, or 0 where it is not a keyword.
std::size_t kindNumberOf(std::string_view keyword) {
  constexpr std::size_t kLongest = 24;  // longer than any keyword
  if (keyword.size() < 2 || keyword.size() > kLongest) return 0;
  const std::size_t number = kIndex[slotOf(keyword.size(), static_cast<unsigned char>(keyword.front()),
                                           static_cast<unsigned char>(keyword.back()))];
  if (number == 0) return 0;
  const std::string_view candidate = kKinds[number - 1].keyword;
  if (candidate.size() != keyword.size()) return 0;
  return sameBytes(keyword.data(), candidate.data(), keyword.size()) ? number : 0;
}

}  // namespace

ProbeKind probeKindOf(std::string_view keyword) {
  const std::size_t kind = kindNumberOf(keyword);
  if (kind == 0) raise(diag::kUnknownProbeType);
  return static_cast<ProbeKind>(kind);
}

CounterLayout counterLayoutOf(ProbeKind kind, bool hasCount1) {
  if (isConstCondition(kind)) return hasCount1 ? CounterLayout::ConstTrue : CounterLayout::ConstFalse;
  return kKinds[static_cast<std::size_t>(kind) - 1].layout;
}

std::string_view keywordOf(ProbeKind kind) {
  return kKinds[static_cast<std::size_t>(kind) - 1].keyword;
}

}  // namespace kov
