#include "base/diagnostic.h"

#include <gtest/gtest.h>

namespace kov {
namespace {

std::string raised(const RaisePoint& point, const char* text = nullptr) {
  try {
    text ? raise(point, text) : raise(point);
  } catch (const DiagnosticError& e) {
    return e.what();
  }
  return "(nothing raised)";
}

TEST(DiagnosticTest, ComposesThePrintedLine) {
  EXPECT_EQ(raised(diag::kInputMissing, "a.xml"),
            "*** kovxmlmerge error 9 (1/351): Input XML file does not exist: a.xml");
  EXPECT_EQ(raised(diag::kNoInput), "*** kovxmlmerge error 10 (1/359): No input XML file.");
  EXPECT_EQ(raised(diag::kOutputNotWritten, "nodir/out.txt"),
            "*** kovxmlmerge error 24 (1/440): Output file can not be written: nodir/out.txt");
}

TEST(DiagnosticTest, ComposesALineWithTwoArgumentsWithoutThrowing) {
  EXPECT_EQ(composeLine(diag::kTerBelowMinimum, "87", "87.5"),
            "*** kovxmlmerge error 30 (1/452): Overall TER 87 is below the minimum 87.5.");
  EXPECT_EQ(raised(diag::kNoInput), "*** kovxmlmerge error 10 (1/359): No input XML file.");
}

TEST(DiagnosticTest, StatementGateLine) {
  EXPECT_EQ(composeLine(diag::kStatementTerBelowMinimum, "94", "95"),
            "*** kovxmlmerge error 45 (1/454): Overall statement TER 94 is below the minimum 95.");
}

TEST(DiagnosticTest, CodesThisProgramDoesNotRaiseHaveNoText) {
  for (std::uint32_t code : {0u, 1000u}) EXPECT_EQ(Diagnostic::messageText(code), "") << code;
  EXPECT_EQ(Diagnostic::messageText(40), "Option -json requires argument.");
}

TEST(DiagnosticTest, ArgumentsDoNotCarryIntoTheNextDiagnostic) {
  raised(diag::kUnknownOption, "-q");
  EXPECT_EQ(raised(diag::kOutputMissing), "*** kovxmlmerge error 21 (1/365): Output option missing.");
}

TEST(DiagnosticTest, ArgumentTextIsNotAFormat) {
  EXPECT_EQ(raised(diag::kUnknownOption, "-%s%d"),
            "*** kovxmlmerge error 6 (1/318): Unknown option: -%s%d");
}

TEST(DiagnosticTest, LongArgumentsAreKeptWhole) {
  std::string name(2000, 'n');
  EXPECT_EQ(raised(diag::kInputMissing, name.c_str()),
            "*** kovxmlmerge error 9 (1/351): Input XML file does not exist: " + name);
}

TEST(DiagnosticTest, MisuseRaisesInternalError) {
  const std::string internal = "*** kovxmlmerge error 20 (8/171): Internal error exception.";
  Diagnostic& record = Diagnostic::record();
  try {
    record.setOrigin(1).setCode(6).addText(static_cast<const char*>(nullptr));
    FAIL();
  } catch (const DiagnosticError& e) {
    EXPECT_EQ(e.what(), internal);
  }
  try {
    record.setOrigin(1).setCode(6).addText("a").addText("b").addText("c");
    FAIL();
  } catch (const DiagnosticError& e) {
    EXPECT_EQ(e.what(), internal);
  }
  try {
    record.setOrigin(1).setCode(99).compose(1);
    FAIL();
  } catch (const DiagnosticError& e) {
    EXPECT_EQ(e.what(), internal);
  }
  // The record is usable again afterwards, without leftover texts.
  EXPECT_EQ(raised(diag::kNoInput), "*** kovxmlmerge error 10 (1/359): No input XML file.");
}

}  // namespace
}  // namespace kov
