// Probe kinds (the `type` keywords of a report's probes) and counter layouts
// (which of a probe's two counters carry its coverage).
#pragma once

#include <cstdint>
#include <string_view>

namespace kov {

/// The kind of a probe, 1 to 51, named after its keyword. The numbering is
/// fixed: ranges of it form groups (27 to 32 are the constant conditions).
enum class ProbeKind : std::uint8_t {
  Function = 1,
  Return = 2,
  If = 3,
  Else = 4,
  ElseIf = 5,
  MultiCondT = 6,
  MultiCondF = 7,
  Switch = 8,
  Case = 9,
  Default = 10,
  Break = 11,
  Try = 12,
  Throw = 13,
  Catch = 14,
  While = 15,
  For = 16,
  Ternary = 17,
  Do = 18,
  DoWhile = 19,
  UserCounter = 20,
  BlockEnd = 21,
  FunctionEndNr = 22,
  Lambda = 23,
  LambdaEnd = 24,
  LambdaEndNr = 25,
  FunctionEnd = 26,
  ConstIf = 27,
  ConstElseIf = 28,
  ConstWhile = 29,
  ConstFor = 30,
  ConstDoWhile = 31,
  ConstTernary = 32,
  FunctionTryBlock = 33,
  Goto = 34,
  Continue = 35,
  Label = 36,
  WhileDecl = 37,
  ForDecl = 38,
  ForRange = 39,
  ForEachRangeVc = 40,
  ForeachRangeCsharp = 41,
  SubCond = 42,
  Mcdc = 43,
  SehTry = 44,      // "__try"
  SehLeave = 45,    // "__leave"
  SehFinally = 46,  // "__finally"
  SehExcept = 47,   // "__except"
  ExprAndor = 48,
  UserAnnotation = 49,
  Linedir = 50,
  LinedirInFunction = 51,
};

/// Which counters of a probe carry its coverage.
enum class CounterLayout : std::uint8_t {
  NoCounter = 1,
  SingleCounter = 2,
  SecondCounter = 3,
  TrueFalse = 4,
  ConstTrue = 5,
  ConstFalse = 6,
};

/// The kind of a keyword: exact, case-sensitive. Raises error 22 for an
/// unknown keyword (the empty one included).
ProbeKind probeKindOf(std::string_view keyword);

/// The counter layout of a kind; constant conditions get ConstTrue where the
/// probe element carries a `count1` attribute and ConstFalse where it does not.
CounterLayout counterLayoutOf(ProbeKind kind, bool hasCount1);

/// The keyword of a kind.
std::string_view keywordOf(ProbeKind kind);

/// Kinds 27 to 32.
inline bool isConstCondition(ProbeKind kind) {
  return kind >= ProbeKind::ConstIf && kind <= ProbeKind::ConstTernary;
}

/// The condition probes: multi_cond_t, multi_cond_f, sub_cond and mcdc.
inline bool isConditionPart(ProbeKind kind) {
  return kind == ProbeKind::MultiCondT || kind == ProbeKind::MultiCondF ||
         kind == ProbeKind::SubCond || kind == ProbeKind::Mcdc;
}

}  // namespace kov
