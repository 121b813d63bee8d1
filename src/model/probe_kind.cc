#include "model/probe_kind.h"

#include <array>
#include <cstddef>
#include <cstdint>

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

// Every probe of every report is looked up: an open-addressing table over the
// keywords keeps that to about one comparison.
class KindIndex {
 public:
  KindIndex() {
    for (std::size_t i = 0; i < kKinds.size(); ++i) {
      std::size_t slot = hash(kKinds[i].keyword);
      while (slots_[slot] != 0) slot = (slot + 1) % kSlots;
      slots_[slot] = static_cast<std::uint8_t>(i + 1);
    }
  }
  /// The kind number of the keyword, or 0 where it is not a keyword.
  std::size_t find(std::string_view keyword) const {
    if (keyword.empty()) return 0;
    for (std::size_t slot = hash(keyword); slots_[slot] != 0; slot = (slot + 1) % kSlots) {
      if (kKinds[slots_[slot] - 1u].keyword == keyword) return slots_[slot];
    }
    return 0;
  }

 private:
  static constexpr std::size_t kSlots = 128;
  static std::size_t hash(std::string_view text) {
    if (text.empty()) return 0;
    const auto first = static_cast<unsigned char>(text.front());
    const auto last = static_cast<unsigned char>(text.back());
    const auto middle = static_cast<unsigned char>(text[text.size() / 2]);
    return (text.size() * 7 + first * 3 + middle * 5 + last) % kSlots;
  }
  std::array<std::uint8_t, kSlots> slots_{};
};

}  // namespace

ProbeKind probeKindOf(std::string_view keyword) {
  static const KindIndex index;
  const std::size_t kind = index.find(keyword);
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
