// The construct tree of one function's statement analysis: every probe that
// has a statement code becomes a node; openers push a construct, closers pop
// it, so that each construct's closing block_end is its last child.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "model/probe_kind.h"

namespace kov {

/// Statement codes: the role of a probe kind in the construct tree.
namespace stmt {
inline constexpr std::uint8_t kFunction = 0;
inline constexpr std::uint8_t kFunctionEnd = 1;
inline constexpr std::uint8_t kFunctionEndNr = 2;
inline constexpr std::uint8_t kBlockEnd = 3;
inline constexpr std::uint8_t kLambda = 4;
inline constexpr std::uint8_t kLambdaEnd = 5;
inline constexpr std::uint8_t kLambdaEndNr = 6;
inline constexpr std::uint8_t kGoto = 10;
inline constexpr std::uint8_t kContinue = 11;
inline constexpr std::uint8_t kBreak = 12;
inline constexpr std::uint8_t kReturn = 13;
inline constexpr std::uint8_t kCase = 14;
inline constexpr std::uint8_t kDefault = 15;
inline constexpr std::uint8_t kIf = 20;
inline constexpr std::uint8_t kElseIf = 21;
inline constexpr std::uint8_t kWhile = 22;
inline constexpr std::uint8_t kFor = 23;
inline constexpr std::uint8_t kDoWhile = 24;
inline constexpr std::uint8_t kTernary = 25;
inline constexpr std::uint8_t kConstIf = 30;
inline constexpr std::uint8_t kConstElseIf = 31;
inline constexpr std::uint8_t kConstWhile = 32;
inline constexpr std::uint8_t kConstFor = 33;
inline constexpr std::uint8_t kConstDoWhile = 34;
inline constexpr std::uint8_t kConstTernary = 35;
inline constexpr std::uint8_t kElse = 40;
inline constexpr std::uint8_t kDo = 41;
inline constexpr std::uint8_t kSwitch = 42;
inline constexpr std::uint8_t kLabel = 45;
inline constexpr std::uint8_t kUserCounter = 55;
// 70 to 74 are accepted and behave like 20, 21, 22/23 and 24; no probe kind
// produces them.
inline constexpr std::uint8_t kAltIf = 70;
inline constexpr std::uint8_t kAltElseIf = 71;
inline constexpr std::uint8_t kAltWhile = 72;
inline constexpr std::uint8_t kAltFor = 73;
inline constexpr std::uint8_t kAltDoWhile = 74;
inline constexpr std::uint8_t kTry = 60;
inline constexpr std::uint8_t kSehTry = 61;
inline constexpr std::uint8_t kThrow = 62;
inline constexpr std::uint8_t kCatch = 63;
inline constexpr std::uint8_t kSehExcept = 64;
inline constexpr std::uint8_t kSehFinally = 65;
inline constexpr std::uint8_t kSehLeave = 66;
inline constexpr std::uint8_t kExprAndor = 85;
inline constexpr std::uint8_t kWhileDecl = 100;
inline constexpr std::uint8_t kForDecl = 101;
inline constexpr std::uint8_t kForRange = 102;
inline constexpr std::uint8_t kForEachRangeVc = 103;
inline constexpr std::uint8_t kForeachRangeCsharp = 104;
/// The kinds that add no node.
inline constexpr std::uint8_t kNone = 0xFF;

/// if, else_if, const_if, const_else_if (and 70, 71).
bool isIfFamily(std::uint8_t code);
/// else_if, const_else_if, else (and 71): the constructs that continue an if chain.
bool continuesIfChain(std::uint8_t code);
/// catch, __except, __finally.
bool isHandler(std::uint8_t code);
/// The five declaration and range loops (100 to 104).
bool isDeclLoop(std::uint8_t code);
/// while, for, const_while, const_for (and 72, 73).
bool isLoop(std::uint8_t code);
/// The constructs that an unnamed break leaves: loops, do, switch, decl loops.
bool isBreakable(std::uint8_t code);
/// Codes whose node opens a construct.
bool isOpener(std::uint8_t code);
/// Codes whose node takes a marker: function_end(_nr), block_end,
/// lambda_end(_nr), case, default, label.
bool isMarkerCode(std::uint8_t code);
}  // namespace stmt

/// The statement code of a probe kind, or stmt::kNone.
std::uint8_t statementCodeOf(ProbeKind kind);

/// The text that a node keeps of a probe's description: the goto's label,
/// the label's name, the named break's or continue's label.
std::string_view normaliseStatementText(ProbeKind kind, std::string_view description);

/// Node links are indices into the tree's node list; kNoNode where absent.
inline constexpr std::int32_t kNoNode = -1;

struct StatementNode {
  std::string_view text;  // views the probe's description; valid while the function lives
  std::uint32_t count1 = 0;
  std::uint32_t count2 = 0;
  std::int32_t delta = 0;
  std::int32_t previous = kNoNode;
  std::int32_t next = kNoNode;
  std::int32_t firstChild = kNoNode;
  std::int32_t parent = kNoNode;
  // The first block_end child, where MarkEnd lands; indexed while feeding so
  // that marking a construct's end never scans its children.
  std::int32_t firstBlockEnd = kNoNode;
  std::uint8_t code = stmt::kNone;
  std::uint8_t reached = 0;
  bool hasDefaultChild = false;
};

/// The tree of one function. Nodes are created in pre-order, so a node's
/// next sibling, children and later nodes always have higher indices.
class StatementTree {
 public:
  static constexpr int kStackSize = 500;

  /// Starts a function: no nodes, valid.
  void reset();
  /// Adds the node of one probe with statement code `code` (stmt::kNone adds
  /// nothing); structural inconsistencies clear the valid flag.
  void feed(std::uint8_t code, std::uint32_t statementCount, std::uint32_t count1,
            std::uint32_t count2, std::string_view text);

  bool valid() const { return valid_; }
  /// The root (the `function` node), or kNoNode.
  std::int32_t root() const { return nodes_.empty() ? kNoNode : 0; }
  /// The nodes in creation order (pre-order); the walk writes their reached flags.
  std::vector<StatementNode>& nodes() { return nodes_; }
  const std::vector<StatementNode>& nodes() const { return nodes_; }

 private:
  void addRoot(std::uint32_t statementCount, std::uint32_t count1, std::uint32_t count2);
  void open(std::int32_t node);
  void close(std::int32_t node, std::uint32_t statementCount);

  std::vector<StatementNode> nodes_;
  std::array<std::int32_t, kStackSize> stack_{};
  int depth_ = -1;
  std::int32_t current_ = kNoNode;
  bool firstChildExpected_ = false;
  bool valid_ = true;
  std::uint32_t previousCount_ = 0;
};

}  // namespace kov
