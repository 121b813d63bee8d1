// Coverage views, the shown-views text and the TER rule.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kov {

inline constexpr std::string_view kViewAsInstrumented = "As instrumented";
inline constexpr std::string_view kViewMcdc = "Reduced to MC/DC coverage";
inline constexpr std::string_view kViewCondition = "Reduced to condition coverage";
inline constexpr std::string_view kViewDecision = "Reduced to decision coverage";
inline constexpr std::string_view kViewFunction = "Reduced to function coverage";

/// The TER of hits and all: 100 when equal (0 of 0 too), 0 without hits, 1
/// below 1 %, 99 above 99 %, else rounded half up.
std::uint32_t ter(std::uint32_t hits, std::uint32_t all);

/// The one view that the requested views of all reports come to; raises
/// error 16 when they come to none or to several.
std::string viewInForce(const std::vector<std::string>& requestedViews);

/// The kinds of coverage the reports show: one kind alone, or "mixed "
/// followed by the kinds joined with "/". Empty when no report names any.
std::string shownViewsText(const std::vector<std::string>& reportViews);

/// Hits and all of a probe, function, file or the whole set.
struct HitsAll {
  std::uint32_t hits = 0;
  std::uint32_t all = 0;
};

}  // namespace kov
