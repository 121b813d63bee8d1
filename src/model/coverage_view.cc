#include "model/coverage_view.h"

#include <array>

#include "base/diagnostic.h"

namespace kov {
namespace {

// In the order in which they are tried.
constexpr std::array<std::string_view, 5> kViews = {kViewAsInstrumented, kViewMcdc, kViewCondition,
                                                     kViewDecision, kViewFunction};
constexpr std::array<std::string_view, 5> kCoverageKinds = {"function", "decision", "condition",
                                                            "MC/DC", "multiCondition"};

bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

}  // namespace

std::uint32_t ter(std::uint32_t hits, std::uint32_t all) {
  if (hits == all) return 100;
  if (hits == 0) return 0;
  double percent = hits * 100.0 / all;
  if (percent < 1.0) return 1;
  if (percent > 99.0) return 99;
  return static_cast<std::uint32_t>(percent + 0.5);
}

std::string viewInForce(const std::vector<std::string>& requestedViews) {
  std::vector<std::string_view> found;
  for (const std::string& requested : requestedViews) {
    for (std::string_view view : kViews) {
      if (!contains(requested, view)) continue;
      bool known = false;
      for (std::string_view f : found) known = known || contains(f, view);
      if (!known) {
        found.push_back(view);
        break;
      }
    }
  }
  if (found.size() != 1) raise(diag::kDifferentViews);
  return std::string(found.front());
}

std::string shownViewsText(const std::vector<std::string>& reportViews) {
  std::vector<std::string_view> found;
  for (const std::string& shown : reportViews) {
    for (std::string_view kind : kCoverageKinds) {
      if (!contains(shown, kind)) continue;
      std::string_view name = kind == "multiCondition" ? "multicondition" : kind;
      bool known = false;
      for (std::string_view f : found) known = known || contains(f, name);
      if (!known) found.push_back(name);
    }
  }
  if (found.empty()) return {};
  if (found.size() == 1) return std::string(found.front());
  std::string text = "mixed ";
  for (std::size_t i = 0; i < found.size(); ++i) {
    if (i > 0) text += '/';
    text += found[i];
  }
  return text;
}

}  // namespace kov
