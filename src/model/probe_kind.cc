#include "model/probe_kind.h"

#include <array>

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

}  // namespace

ProbeKind probeKindOf(std::string_view keyword) {
  // Few probes per report are not among the most common kinds; a linear scan
  // of 51 short strings that first compares lengths is cheap enough.
  for (std::size_t i = 0; i < kKinds.size(); ++i) {
    if (kKinds[i].keyword == keyword) return static_cast<ProbeKind>(i + 1);
  }
  raise(diag::kUnknownProbeType);
}

CounterLayout counterLayoutOf(ProbeKind kind, bool hasCount1) {
  if (isConstCondition(kind)) return hasCount1 ? CounterLayout::ConstTrue : CounterLayout::ConstFalse;
  return kKinds[static_cast<std::size_t>(kind) - 1].layout;
}

std::string_view keywordOf(ProbeKind kind) {
  return kKinds[static_cast<std::size_t>(kind) - 1].keyword;
}

}  // namespace kov
