#include "model/statement_tree.h"

#include <array>

namespace kov {

namespace stmt {

bool isIfFamily(std::uint8_t code) {
  return code == kIf || code == kElseIf || code == kConstIf || code == kConstElseIf ||
         code == kAltIf || code == kAltElseIf;
}

bool continuesIfChain(std::uint8_t code) {
  return code == kElseIf || code == kConstElseIf || code == kElse || code == kAltElseIf;
}

bool isHandler(std::uint8_t code) {
  return code == kCatch || code == kSehExcept || code == kSehFinally;
}

bool isDeclLoop(std::uint8_t code) {
  return code >= kWhileDecl && code <= kForeachRangeCsharp;
}

bool isLoop(std::uint8_t code) {
  return code == kWhile || code == kFor || code == kConstWhile || code == kConstFor ||
         code == kAltWhile || code == kAltFor;
}

bool isBreakable(std::uint8_t code) {
  return isLoop(code) || code == kDo || code == kSwitch || isDeclLoop(code);
}

bool isOpener(std::uint8_t code) {
  switch (code) {
    case kLambda:
    case kElse:
    case kDo:
    case kSwitch:
    case kTry:
    case kSehTry:
      return true;
    default:
      return isIfFamily(code) || isLoop(code) || isHandler(code) || isDeclLoop(code);
  }
}

bool isMarkerCode(std::uint8_t code) {
  switch (code) {
    case kFunctionEnd:
    case kFunctionEndNr:
    case kBlockEnd:
    case kLambdaEnd:
    case kLambdaEndNr:
    case kCase:
    case kDefault:
    case kLabel:
      return true;
    default:
      return false;
  }
}

namespace {

bool isCloser(std::uint8_t code) {
  return code == kFunctionEnd || code == kFunctionEndNr || code == kBlockEnd ||
         code == kLambdaEnd || code == kLambdaEndNr;
}

// The try-family, which a handler must follow; the root stands for a
// function-try-block.
bool isTryFamily(std::uint8_t code) {
  return code == kFunction || code == kTry || code == kSehTry || isHandler(code);
}

}  // namespace
}  // namespace stmt

namespace {

// Statement codes by probe kind (1 to 51); kNone for the kinds that add no node.
constexpr std::array<std::uint8_t, 52> kCodeOfKind = [] {
  using namespace stmt;
  std::array<std::uint8_t, 52> codes{};
  codes.fill(kNone);
  auto set = [&codes](ProbeKind kind, std::uint8_t code) {
    codes[static_cast<std::size_t>(kind)] = code;
  };
  using K = ProbeKind;
  set(K::Function, kFunction);
  set(K::FunctionEnd, kFunctionEnd);
  set(K::FunctionEndNr, kFunctionEndNr);
  set(K::BlockEnd, kBlockEnd);
  set(K::Lambda, kLambda);
  set(K::LambdaEnd, kLambdaEnd);
  set(K::LambdaEndNr, kLambdaEndNr);
  set(K::Goto, kGoto);
  set(K::Continue, kContinue);
  set(K::Break, kBreak);
  set(K::Return, kReturn);
  set(K::Case, kCase);
  set(K::Default, kDefault);
  set(K::If, kIf);
  set(K::ElseIf, kElseIf);
  set(K::While, kWhile);
  set(K::For, kFor);
  set(K::DoWhile, kDoWhile);
  set(K::Ternary, kTernary);
  set(K::ConstIf, kConstIf);
  set(K::ConstElseIf, kConstElseIf);
  set(K::ConstWhile, kConstWhile);
  set(K::ConstFor, kConstFor);
  set(K::ConstDoWhile, kConstDoWhile);
  set(K::ConstTernary, kConstTernary);
  set(K::Else, kElse);
  set(K::Do, kDo);
  set(K::Switch, kSwitch);
  set(K::Label, kLabel);
  set(K::UserCounter, kUserCounter);
  set(K::Try, kTry);
  set(K::SehTry, kSehTry);
  set(K::Throw, kThrow);
  set(K::Catch, kCatch);
  set(K::SehExcept, kSehExcept);
  set(K::SehFinally, kSehFinally);
  set(K::SehLeave, kSehLeave);
  set(K::ExprAndor, kExprAndor);
  set(K::WhileDecl, kWhileDecl);
  set(K::ForDecl, kForDecl);
  set(K::ForRange, kForRange);
  set(K::ForEachRangeVc, kForEachRangeVc);
  set(K::ForeachRangeCsharp, kForeachRangeCsharp);
  return codes;
}();

}  // namespace

std::uint8_t statementCodeOf(ProbeKind kind) {
  const auto index = static_cast<std::size_t>(kind);
  return index < kCodeOfKind.size() ? kCodeOfKind[index] : stmt::kNone;
}

namespace {

// The text after the first blank; the whole text where there is none.
std::string_view afterFirstBlank(std::string_view text) {
  const auto blank = text.find(' ');
  return blank == std::string_view::npos ? text : text.substr(blank + 1);
}

}  // namespace

std::string_view normaliseStatementText(ProbeKind kind, std::string_view description) {
  switch (kind) {
    case ProbeKind::Goto:
      return afterFirstBlank(description);
    case ProbeKind::Label:
      // A label without ":" keeps its whole text.
      return description.substr(0, description.find(':'));
    case ProbeKind::Break:
    case ProbeKind::Continue:
      if (description == "break" || description == "continue") return {};
      return afterFirstBlank(description);
    default:
      return description;
  }
}

void StatementTree::reset() {
  nodes_.clear();
  depth_ = -1;
  current_ = kNoNode;
  firstChildExpected_ = false;
  valid_ = true;
  previousCount_ = 0;
}

void StatementTree::addRoot(std::uint32_t statementCount, std::uint32_t count1,
                            std::uint32_t count2) {
  reset();
  StatementNode& root = nodes_.emplace_back();
  root.code = stmt::kFunction;
  root.count1 = count1;
  root.count2 = count2;
  current_ = 0;
  firstChildExpected_ = true;
  depth_ = 0;
  stack_[0] = 0;
  previousCount_ = statementCount;
}

void StatementTree::feed(std::uint8_t code, std::uint32_t statementCount, std::uint32_t count1,
                         std::uint32_t count2, std::string_view text) {
  if (code == stmt::kNone) return;
  if (code == stmt::kFunction) {
    addRoot(statementCount, count1, count2);
    return;
  }
  if (!valid_) return;
  if (current_ == kNoNode) {
    valid_ = false;
    return;
  }
  const auto index = static_cast<std::int32_t>(nodes_.size());
  StatementNode& node = nodes_.emplace_back();
  node.code = code;
  node.count1 = count1;
  node.count2 = count2;
  node.text = text;
  // Statement counts are unsigned; their difference is taken as signed
  // 32-bit, so a count lower than the previous one gives a negative delta.
  node.delta = static_cast<std::int32_t>(statementCount - previousCount_);
  previousCount_ = statementCount;
  node.parent = depth_ >= 0 ? stack_[depth_] : kNoNode;
  if (firstChildExpected_) {
    nodes_[current_].firstChild = index;
    firstChildExpected_ = false;
  } else {
    nodes_[current_].next = index;
    node.previous = current_;
  }
  if (node.parent != kNoNode) {
    StatementNode& parent = nodes_[node.parent];
    if (code == stmt::kBlockEnd && parent.firstBlockEnd == kNoNode) parent.firstBlockEnd = index;
    if (code == stmt::kDefault) parent.hasDefaultChild = true;
  }

  if (stmt::isOpener(code)) {
    open(index);
  } else if (stmt::isCloser(code)) {
    close(index, statementCount);
  } else {
    current_ = index;
  }
}

void StatementTree::open(std::int32_t index) {
  firstChildExpected_ = true;
  if (depth_ + 1 < kStackSize) {
    stack_[++depth_] = index;
    current_ = index;
  } else {
    valid_ = false;
  }
  const StatementNode& node = nodes_[index];
  const std::uint8_t previousCode =
      node.previous == kNoNode ? stmt::kNone : nodes_[node.previous].code;
  if (stmt::continuesIfChain(node.code) && !stmt::isIfFamily(previousCode)) valid_ = false;
  if (stmt::isHandler(node.code) && !stmt::isTryFamily(previousCode)) valid_ = false;
}

void StatementTree::close(std::int32_t index, std::uint32_t statementCount) {
  const std::uint8_t code = nodes_[index].code;
  const bool endsFunction = code == stmt::kFunctionEnd || code == stmt::kFunctionEndNr;
  if (endsFunction && statementCount == 0) valid_ = false;
  if (depth_ >= 0) {
    current_ = stack_[depth_--];
  } else {
    valid_ = false;
  }
  const std::int32_t parent = nodes_[index].parent;
  const std::uint8_t parentCode = parent == kNoNode ? stmt::kNone : nodes_[parent].code;
  bool parentFits = false;
  if (endsFunction) {
    parentFits = parent == root();
  } else if (code == stmt::kBlockEnd) {
    parentFits = stmt::isOpener(parentCode);
  } else {
    parentFits = parentCode == stmt::kLambda;
  }
  if (!parentFits) valid_ = false;
}

}  // namespace kov
