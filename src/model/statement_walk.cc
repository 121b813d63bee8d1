#include "model/statement_walk.h"

#include <algorithm>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace kov {

namespace {

// The node after `index` in pre-order: first child, else next sibling, else
// the parent's next sibling (one level up only).
std::int32_t nextInPreorder(const std::vector<StatementNode>& nodes, std::int32_t index) {
  const StatementNode& node = nodes[index];
  if (node.firstChild != kNoNode) return node.firstChild;
  if (node.next != kNoNode) return node.next;
  return node.parent == kNoNode ? kNoNode : nodes[node.parent].next;
}

std::uint32_t toFigure(std::int64_t value) {
  constexpr std::int64_t kMax = std::numeric_limits<std::uint32_t>::max();
  return static_cast<std::uint32_t>(std::min(value, kMax));
}

class Walk {
 public:
  explicit Walk(StatementTree& tree) : tree_(tree), nodes_(tree.nodes()) {}

  StatementFigures run();

 private:
  using Index = std::int32_t;

  Index step(Index index);
  void probe(Index index);
  void count(bool hit, std::int64_t delta) {
    if (hit) hits_ += delta;
    all_ += delta;
  }
  void decision(Index index, bool countDelta);
  void markEnd(Index index);
  void blockEndByParent(Index index);
  void markBreakTarget(const StatementNode& node);
  Index up(Index index) const {
    const Index parent = nodes_[index].parent;
    return parent == kNoNode ? kNoNode : nodes_[parent].next;
  }

  Index runLast(Index index);
  bool executedGoto(std::string_view text);
  Index firstLabel(std::string_view text);
  void buildJumpIndex();

  StatementTree& tree_;
  std::vector<StatementNode>& nodes_;
  std::int64_t hits_ = 0;
  std::int64_t all_ = 0;
  bool reached_ = false;   // R
  bool lambda_ = false;    // L
  bool executed_ = false;  // E
  bool stopped_ = false;   // the walk ended early with (0, 0)

  // Indexes built on first use, once per function, so that the chain, label
  // and goto searches stay linear in the number of nodes.
  std::vector<Index> runLast_;
  bool jumpIndexBuilt_ = false;
  std::unordered_set<std::string_view> executedGotos_;
  std::unordered_map<std::string_view, Index> firstLabels_;
};

StatementFigures Walk::run() {
  if (!tree_.valid() || tree_.root() == kNoNode) return {};
  for (Index index = tree_.root(); index != kNoNode && !stopped_;) index = step(index);
  if (stopped_) return {};
  const std::int64_t all = std::max<std::int64_t>(all_, 0);
  const std::int64_t hits = std::clamp<std::int64_t>(hits_, 0, all);
  return {toFigure(hits), toFigure(all)};
}

// Sets E where the node shows that it was executed; never clears it.
void Walk::probe(Index index) {
  if (index == kNoNode) return;
  const StatementNode& node = nodes_[index];
  bool shows = false;
  switch (node.code) {
    case stmt::kFunctionEnd:
    case stmt::kLambdaEnd:
    case stmt::kGoto:
    case stmt::kContinue:
    case stmt::kBreak:
    case stmt::kReturn:
    case stmt::kUserCounter:
    case stmt::kTry:
    case stmt::kSehTry:
    case stmt::kThrow:
    case stmt::kSehLeave:
      shows = node.count1 != 0;
      break;
    case stmt::kIf:
    case stmt::kWhile:
    case stmt::kFor:
    case stmt::kDoWhile:
    case stmt::kConstIf:
    case stmt::kConstWhile:
    case stmt::kConstFor:
    case stmt::kConstDoWhile:
    case stmt::kExprAndor:
    case stmt::kAltIf:
    case stmt::kAltWhile:
    case stmt::kAltFor:
    case stmt::kAltDoWhile:
      shows = node.count1 != 0 || node.count2 != 0;
      break;
    default:
      shows = stmt::isDeclLoop(node.code) && node.count1 != 0;
  }
  if (shows) executed_ = true;
}

void Walk::markEnd(Index index) {
  if (index == kNoNode) return;
  const Index blockEnd = nodes_[index].firstBlockEnd;
  if (blockEnd != kNoNode) nodes_[blockEnd].reached = 1;
}

// The if, else_if and const variants: the decision itself is one statement
// and hit where either outcome occurred.
void Walk::decision(Index index, bool countDelta) {
  const StatementNode& node = nodes_[index];
  if (countDelta) hits_ += node.delta;
  all_ += 1 + static_cast<std::int64_t>(node.delta);
  if (node.count1 != 0 || node.count2 != 0) hits_ += 1;
  reached_ = executed_ = node.count1 != 0;
  if (node.count2 != 0) markEnd(index);
}

Walk::Index Walk::step(Index index) {
  StatementNode& node = nodes_[index];
  const std::int64_t delta = node.delta;
  const bool executed1 = node.count1 != 0;
  switch (node.code) {
    case stmt::kFunction:
      reached_ = executed_ = executed1;
      hits_ = all_ = 0;
      return node.firstChild;
    case stmt::kFunctionEnd:
    case stmt::kFunctionEndNr:
      probe(index);
      count(executed_, delta);
      reached_ = executed_ = false;
      // The handlers of a function-try-block follow the root as siblings.
      return nodes_[tree_.root()].next;
    case stmt::kBlockEnd:
      count(reached_, delta);
      blockEndByParent(index);
      reached_ = executed_ = node.reached != 0;
      return up(index);
    case stmt::kLambda:
      count(reached_, delta);
      lambda_ = reached_;
      reached_ = executed_ = executed1;
      return node.firstChild;
    case stmt::kLambdaEnd:
    case stmt::kLambdaEndNr:
      probe(index);
      count(executed_, delta);
      reached_ = executed_ = lambda_;
      node.reached = lambda_;
      return up(index);
    case stmt::kGoto:
    case stmt::kContinue:
    case stmt::kReturn:
    case stmt::kThrow:
    case stmt::kSehLeave:
      probe(index);
      count(executed_, delta);
      // The jump itself is a statement; it was not hit where it never ran.
      if (executed_ && !executed1) hits_ -= 1;
      reached_ = executed_ = false;
      return node.next;
    case stmt::kBreak:
      probe(index);
      count(executed_, delta);
      if (executed1) markBreakTarget(node);
      reached_ = executed_ = false;
      return node.next;
    case stmt::kCase:
    case stmt::kDefault:
      count(reached_, delta);
      if (executed1) {
        reached_ = executed_ = true;
      } else if (reached_) {
        node.reached = 1;  // reached by falling through
      }
      return node.next;
    case stmt::kIf:
    case stmt::kConstIf:
    case stmt::kWhile:
    case stmt::kFor:
    case stmt::kConstWhile:
    case stmt::kConstFor:
    case stmt::kAltIf:
    case stmt::kAltWhile:
    case stmt::kAltFor:
      probe(index);
      decision(index, executed_);
      return node.firstChild;
    case stmt::kElseIf:
    case stmt::kConstElseIf:
    case stmt::kAltElseIf:
      decision(index, reached_);
      return node.firstChild;
    case stmt::kDoWhile:
    case stmt::kConstDoWhile:
    case stmt::kAltDoWhile:
      probe(index);
      reached_ = executed_;
      count(executed_, delta);
      if (node.count2 != 0 && node.next != kNoNode) nodes_[node.next].reached = 1;
      return node.next;
    case stmt::kTernary:
    case stmt::kConstTernary:
      count(reached_, delta);
      return node.next;
    case stmt::kElse:
      reached_ = executed_ = nodes_[node.previous].count2 != 0;
      count(reached_, delta);
      return node.firstChild;
    case stmt::kDo:
      count(reached_, delta);
      return node.firstChild;
    case stmt::kSwitch:
      // The switch keeps whether it was reached for its block_end.
      node.count1 = reached_ ? 1 : 0;
      count(reached_, delta);
      all_ += 1;
      if (reached_) hits_ += 1;
      reached_ = executed_ = false;
      return node.firstChild;
    case stmt::kLabel:
      count(reached_, delta);
      if (executedGoto(node.text)) {
        node.reached = 1;
        reached_ = executed_ = true;
      }
      return node.next;
    case stmt::kUserCounter:
      probe(index);
      count(executed_, delta);
      reached_ = executed_ = executed1;
      return node.next;
    case stmt::kTry:
    case stmt::kSehTry:
      probe(index);
      if (executed_) hits_ += delta;
      reached_ = executed_ = executed1;
      if (reached_) hits_ += 1;
      all_ += 1 + delta;
      return node.firstChild;
    case stmt::kCatch:
    case stmt::kSehExcept:
    case stmt::kSehFinally:
      reached_ = executed_ = executed1;
      return node.firstChild;
    case stmt::kExprAndor:
      probe(index);
      count(executed_, delta);
      reached_ = executed_ = executed1 || node.count2 != 0;
      return node.next;
    default:  // the declaration and range loops
      if (reached_) hits_ += 1;
      probe(index);
      if (executed_) hits_ += delta;
      all_ += 1 + delta;
      if (executed_) markEnd(index);
      reached_ = executed_ = executed1;
      return node.firstChild;
  }
}

void Walk::blockEndByParent(Index index) {
  StatementNode& node = nodes_[index];
  const Index parent = node.parent;
  if (parent == kNoNode) return;
  const StatementNode& construct = nodes_[parent];
  const std::uint8_t code = construct.code;
  if (stmt::isIfFamily(code) || code == stmt::kElse) {
    // The end of any branch reaches the code after the whole chain.
    if (reached_) markEnd(runLast(parent));
  } else if (code == stmt::kSwitch) {
    if (reached_) node.reached = 1;
    // A reached switch without default may skip every case.
    if (!node.reached && construct.count1 != 0 && !construct.hasDefaultChild) {
      probe(construct.next);
      if (executed_) node.reached = 1;
    }
  } else if (code == stmt::kTry || code == stmt::kSehTry) {
    const Index handler = construct.next;
    if (handler == kNoNode || !stmt::isHandler(nodes_[handler].code)) {
      stopped_ = true;
      return;
    }
    if (nodes_[handler].count1 != 0) node.reached = 1;
    const Index lastHandler = runLast(handler);
    executed_ = false;
    probe(nodes_[lastHandler].next);
    if (executed_) markEnd(lastHandler);
  } else if (stmt::isHandler(code)) {
    const Index following = construct.next;
    if (following != kNoNode && stmt::isHandler(nodes_[following].code) &&
        nodes_[following].count1 != 0) {
      node.reached = 1;
    }
    if (reached_) markEnd(runLast(parent));
  }
}

void Walk::markBreakTarget(const StatementNode& node) {
  if (node.text.empty()) {
    // Depth is bounded by the construct stack, so this climb is short.
    for (Index ancestor = node.parent; ancestor != kNoNode; ancestor = nodes_[ancestor].parent) {
      if (stmt::isBreakable(nodes_[ancestor].code)) {
        markEnd(ancestor);
        return;
      }
    }
    stopped_ = true;
    return;
  }
  const Index label = firstLabel(node.text);
  if (label == kNoNode) return;
  const Index construct = nodes_[label].next;
  if (construct == kNoNode) return;
  const std::uint8_t code = nodes_[construct].code;
  if (code == stmt::kIf || code == stmt::kConstIf || code == stmt::kAltIf) {
    markEnd(runLast(construct));
  } else if (stmt::isBreakable(code)) {
    markEnd(construct);
  }
}

// The last node of the run of siblings that continues `index`: else_if,
// const_else_if and else after an if-family node or else, handlers after a
// handler.
Walk::Index Walk::runLast(Index index) {
  if (runLast_.empty()) {
    // A next sibling always has a higher index, so one backward pass fills it.
    runLast_.resize(nodes_.size());
    for (auto i = static_cast<Index>(nodes_.size()) - 1; i >= 0; --i) {
      const StatementNode& node = nodes_[i];
      const Index next = node.next;
      const bool continues = next != kNoNode && (stmt::isHandler(node.code)
                                                     ? stmt::isHandler(nodes_[next].code)
                                                     : stmt::continuesIfChain(nodes_[next].code));
      runLast_[i] = continues ? runLast_[next] : i;
    }
  }
  return runLast_[index];
}

void Walk::buildJumpIndex() {
  jumpIndexBuilt_ = true;
  for (Index index = tree_.root(); index != kNoNode; index = nextInPreorder(nodes_, index)) {
    const StatementNode& node = nodes_[index];
    if (node.code == stmt::kGoto && node.count1 != 0) executedGotos_.insert(node.text);
    if (node.code == stmt::kLabel) firstLabels_.emplace(node.text, index);
  }
}

bool Walk::executedGoto(std::string_view text) {
  if (!jumpIndexBuilt_) buildJumpIndex();
  return executedGotos_.contains(text);
}

Walk::Index Walk::firstLabel(std::string_view text) {
  if (!jumpIndexBuilt_) buildJumpIndex();
  const auto found = firstLabels_.find(text);
  return found == firstLabels_.end() ? kNoNode : found->second;
}

}  // namespace

StatementFigures walkStatementTree(StatementTree& tree) {
  return Walk(tree).run();
}

StatementMarkerCursor::StatementMarkerCursor(const StatementTree& tree)
    : tree_(tree), cursor_(tree.root()) {}

std::uint8_t StatementMarkerCursor::next() {
  if (!tree_.valid()) return 0;
  const auto& nodes = tree_.nodes();
  while (cursor_ != kNoNode) {
    cursor_ = nextInPreorder(nodes, cursor_);
    if (cursor_ != kNoNode && stmt::isMarkerCode(nodes[cursor_].code)) {
      return nodes[cursor_].reached;
    }
  }
  return 0;
}

}  // namespace kov
