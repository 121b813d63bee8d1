// The literal texts by which the reader recognises the lines of a report.
// A text is "found" in a line when it occurs anywhere in it, byte for byte.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace kov::tag {

inline constexpr std::string_view kRoot = "<kov_xml_report>";
inline constexpr std::string_view kHeaderInfo = "<header_info>";
inline constexpr std::string_view kHeaderInfoEnd = "</header_info>";
inline constexpr std::string_view kKovpostVersion = "<kovpost_version>";
inline constexpr std::string_view kReportGenerated = "<report_generated>";
inline constexpr std::string_view kRequestedCoverageView = "<requested_coverage_view>";
inline constexpr std::string_view kCostFunction = "<execution_cost_function>";
inline constexpr std::string_view kCostType = "<execution_cost_type>";
inline constexpr std::string_view kCostScaling = "<execution_cost_scaling>";
inline constexpr std::string_view kNotice = "<notice>";
inline constexpr std::string_view kNoticesEnd = "</kovpost_notices>";

inline constexpr std::string_view kFile = "<file";
inline constexpr std::string_view kFileEnd = "</file>";
inline constexpr std::string_view kFileType = "<file_type>";
inline constexpr std::string_view kInstrumentationMode = "<instrumentation_mode>";
inline constexpr std::string_view kInclude = "<include";
inline constexpr std::string_view kFunction = "<function";
inline constexpr std::string_view kFunctionEnd = "</function>";
inline constexpr std::string_view kParameters = "<parameters>";
inline constexpr std::string_view kDefinedAtLine = "<defined_at_line>";
inline constexpr std::string_view kCallCount = "<call_count>";
inline constexpr std::string_view kTotalExecutionCost = "<total_execution_cost>";
inline constexpr std::string_view kMaxExecutionCost = "<max_execution_cost>";
inline constexpr std::string_view kBody = "<body>";
inline constexpr std::string_view kBodyEnd = "</body>";
inline constexpr std::string_view kProbe = "<probe";

inline constexpr std::string_view kFunctionSummary = "<function_summary>";
inline constexpr std::string_view kFunctionSummaryEnd = "</function_summary>";
inline constexpr std::string_view kStatementAvailable = "<statement_available>";
inline constexpr std::string_view kFileSummary = "<file_summary>";
inline constexpr std::string_view kFileSummaryEnd = "</file_summary>";
inline constexpr std::string_view kLines = "<lines>";  // in file and overall summaries
inline constexpr std::string_view kOverallSummary = "<overall_summary>";
inline constexpr std::string_view kOverallSummaryEnd = "</overall_summary>";
inline constexpr std::string_view kShownCoverageViews = "<shown_coverage_views>";
inline constexpr std::string_view kMeasurementPoints = "<measurement_points>";

/// The elements whose text the reader looks up in the element map.
enum class Element : std::uint8_t {
  kKovpostVersion,
  kReportGenerated,
  kRequestedCoverageView,
  kCostFunction,
  kCostType,
  kCostScaling,
  kNotice,
  kFileType,
  kInstrumentationMode,
  kParameters,
  kDefinedAtLine,
  kCallCount,
  kTotalExecutionCost,
  kMaxExecutionCost,
  kStatementAvailable,
  kLines,
  kShownCoverageViews,
  kMeasurementPoints,
};
/// Their tags, in the order of `Element`.
inline constexpr std::array<std::string_view, 18> kElementTags = {
    kKovpostVersion,
    kReportGenerated,
    kRequestedCoverageView,
    kCostFunction,
    kCostType,
    kCostScaling,
    kNotice,
    kFileType,
    kInstrumentationMode,
    kParameters,
    kDefinedAtLine,
    kCallCount,
    kTotalExecutionCost,
    kMaxExecutionCost,
    kStatementAvailable,
    kLines,
    kShownCoverageViews,
    kMeasurementPoints,
};

/// The attributes the reader looks up in the attribute map.
enum class Attribute : std::uint8_t {
  kName,
  kType,
  kLine,
  kScCount,
  kNesting,
  kDescr,
  kCount1,
  kCount2,
  kEvalNo,
};
/// Their names, in the order of `Attribute`.
inline constexpr std::array<std::string_view, 9> kAttributeNames = {
    "name", "type", "line", "sc_count", "nesting", "descr", "count1", "count2", "eval_no",
};

}  // namespace kov::tag
