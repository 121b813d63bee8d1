// The names of the merge-state document that both its writer and its reader
// must agree on: the root element, the format version and the per-report
// lists in the order the document holds them.
#pragma once

#include <array>
#include <string_view>

namespace kov::state {

/// The document begins with exactly these bytes; a reader recognises a
/// state by the root element on its third line.
inline constexpr std::string_view kDeclaration = R"(<?xml version="1.0" encoding="ISO-8859-1"?>)";
inline constexpr std::string_view kRootElement = "<kovxmlmerge_state";
inline constexpr std::string_view kRootEnd = "</kovxmlmerge_state>";

/// Raised whenever the layout or the meaning of an element changes, so that
/// an older state is refused instead of misread.
inline constexpr std::string_view kFormatVersion = "1";

/// The per-report lists, in document order.
inline constexpr std::array<std::string_view, 10> kListNames = {
    "kovpost_versions", "input_reports", "coverage_views", "cost_functions",
    "cost_types",       "cost_scalings", "notices",        "report_views",
    "report_lines",     "report_measurement_points",
};

}  // namespace kov::state
