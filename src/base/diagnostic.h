// The numbered diagnostics of kovxmlmerge: the one record through which every
// message is composed, the table of raising points, and the exception that
// carries a finished message line to the driver.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kov {

/// The exception that carries one composed diagnostic line. Thrown once at the
/// raising point, caught once in the driver.
class DiagnosticError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// The process-wide diagnostic record. Raising is always the chain
/// setOrigin, setCode, addText (where the message has an argument), compose.
class Diagnostic {
 public:
  /// The one record of the process.
  static Diagnostic& record();

  /// Sets the number of the raising subsystem.
  Diagnostic& setOrigin(std::uint32_t origin);
  /// Sets the message number (1 to 45).
  Diagnostic& setCode(std::uint32_t code);
  /// Adds an argument text; nullptr is an absent text. A third text or an
  /// absent one is misuse and raises code 20 instead.
  Diagnostic& addText(const char* text);
  Diagnostic& addText(std::string_view text);
  /// Builds "*** kovxmlmerge error C (O/L): message", clears the texts and
  /// returns the line (without a line end).
  std::string compose(std::uint32_t location);

  /// The message text of a code, or an empty view for an unknown code.
  static std::string_view messageText(std::uint32_t code);

  std::uint32_t code() const { return code_; }
  std::uint32_t origin() const { return origin_; }

 private:
  [[noreturn]] void raiseMisuse();

  std::uint32_t code_ = 0;
  std::uint32_t origin_ = 0;
  std::optional<std::string> text1_;
  std::optional<std::string> text2_;
};

/// One raising point: the message code, the raising subsystem and the place.
struct RaisePoint {
  std::uint32_t code;
  std::uint32_t origin;
  std::uint32_t location;
};

/// Composes the diagnostic of a raising point and throws it.
[[noreturn]] void raise(const RaisePoint& point);
/// The same with the argument text of the message's "%s".
[[noreturn]] void raise(const RaisePoint& point, std::string_view text);
/// The line of a raising point whose message takes two argument texts, for a
/// diagnostic that is printed without ending the run.
std::string composeLine(const RaisePoint& point, std::string_view text1, std::string_view text2);

/// Every raising point of the program.
namespace diag {
inline constexpr RaisePoint kAtWithoutName{1, 1, 214};
inline constexpr RaisePoint kProfileWithoutName{2, 1, 236};
inline constexpr RaisePoint kXmlWithoutName{3, 1, 247};
inline constexpr RaisePoint kChosenWithoutNames{4, 1, 278};
inline constexpr RaisePoint kUnchosenWithoutNames{5, 1, 305};
inline constexpr RaisePoint kUnknownOption{6, 1, 318};
inline constexpr RaisePoint kExtensionNotAllowed{7, 1, 336};
inline constexpr RaisePoint kExtensionMissing{8, 1, 343};
inline constexpr RaisePoint kInputMissing{9, 1, 351};
inline constexpr RaisePoint kNoInput{10, 1, 359};
inline constexpr RaisePoint kOptionsFileMissing{11, 1, 428};
inline constexpr RaisePoint kNotReportRoot{12, 2, 170};
inline constexpr RaisePoint kNotReportLine{12, 2, 1218};
inline constexpr RaisePoint kEmptyInput{13, 2, 155};
inline constexpr RaisePoint kOldKovpost{14, 2, 232};
inline constexpr RaisePoint kHeaderMissing{15, 2, 180};
inline constexpr RaisePoint kDifferentViews{16, 3, 720};
inline constexpr RaisePoint kDifferentModes{17, 4, 502};
inline constexpr RaisePoint kRangeMcdcRows{18, 6, 583};
inline constexpr RaisePoint kRangeStatementFeed{18, 6, 815};
inline constexpr RaisePoint kRangeProbeMerge{18, 6, 346};
inline constexpr RaisePoint kRangeProbeCounts{18, 6, 483};
inline constexpr RaisePoint kRangeLineCount{18, 6, 614};
inline constexpr RaisePoint kRangeProbeListing{18, 6, 1075};
inline constexpr RaisePoint kOutOfMemory{19, 8, 156};
inline constexpr RaisePoint kInternalError{20, 8, 171};
inline constexpr RaisePoint kOutputMissing{21, 1, 365};
inline constexpr RaisePoint kUnknownProbeType{22, 2, 1561};
inline constexpr RaisePoint kLineTooLong{23, 2, 1262};
inline constexpr RaisePoint kOutputNotWritten{24, 1, 440};
inline constexpr RaisePoint kCoberturaWithoutName{25, 1, 252};
inline constexpr RaisePoint kLcovWithoutName{26, 1, 258};
inline constexpr RaisePoint kRootWithoutName{27, 1, 264};
inline constexpr RaisePoint kMinimumTerWithoutValue{28, 1, 270};
inline constexpr RaisePoint kMinimumTerNotDecimal{29, 1, 273};
inline constexpr RaisePoint kTerBelowMinimum{30, 1, 452};
inline constexpr RaisePoint kStateWithoutName{31, 1, 282};
inline constexpr RaisePoint kStateNotFirst{32, 2, 172};
inline constexpr RaisePoint kStateVersion{33, 9, 120};
inline constexpr RaisePoint kStateDamaged{34, 9, 140};
inline constexpr RaisePoint kStateNdlMismatch{35, 9, 126};
inline constexpr RaisePoint kStateLockFailed{36, 1, 448};
inline constexpr RaisePoint kJsonWithoutName{40, 1, 288};
inline constexpr RaisePoint kSonarWithoutName{41, 1, 290};
inline constexpr RaisePoint kMarkdownWithoutName{42, 1, 292};
inline constexpr RaisePoint kMinimumStatementWithoutValue{43, 1, 294};
inline constexpr RaisePoint kMinimumStatementNotDecimal{44, 1, 296};
inline constexpr RaisePoint kStatementTerBelowMinimum{45, 1, 454};
}  // namespace diag

}  // namespace kov

namespace kov {

/// Runs `step`; an out-of-range condition of the standard library raised in
/// it ends the run as error 18 at `point`, with the condition's text.
template <typename Step>
void guardRange(const RaisePoint& point, Step&& step) {
  try {
    step();
  } catch (const std::out_of_range& e) {
    raise(point, e.what());
  }
}

}  // namespace kov
