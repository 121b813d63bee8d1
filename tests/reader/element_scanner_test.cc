#include "reader/element_scanner.h"

#include <gtest/gtest.h>

#include "reader/line_cleaner.h"

namespace kov {
namespace {

using tag::Attribute;

TEST(CleanElementLine, KeepsFromTheFirstOpenToTheLastClose) {
  const struct {
    std::string_view raw;
    std::string_view cleaned;
    LineFault fault;
  } cases[] = {
      {"    <kovpost_version>8.2</kovpost_version>", "<kovpost_version>8.2</kovpost_version>",
       LineFault::kNone},
      {"x<a>b<c>d", "<a>b<c>", LineFault::kNone},
      {"  <probe type=\"if\" descr=\"x\"  ", "<probe type=\"if\" descr=\"x\"", LineFault::kNone},
      {"<probe", "", LineFault::kNone},  // no double quote: empty
      {"", "", LineFault::kNotReport},
      {"no tag", "", LineFault::kNotReport},
      {"<open but not closed", "", LineFault::kNotReport},
  };
  for (const auto& c : cases) {
    const CleanedLine line = cleanElementLine(c.raw);
    EXPECT_EQ(line.fault, c.fault) << c.raw;
    if (c.fault == LineFault::kNone) {
      EXPECT_EQ(line.text, c.cleaned) << c.raw;
    }
  }
}

TEST(CleanContinuationLine, KeepsFromTheFirstLetterL) {
  const struct {
    std::string_view raw;
    std::string_view cleaned;
    LineFault fault;
  } cases[] = {
      {"        line=\"5\" count1=\"0\" />", "line=\"5\" count1=\"0\" />", LineFault::kNone},
      // sc_count holds no "l": it is cut away with the indentation.
      {"   sc_count=\"1\" line=\"5\" count1=\"0\" />", "line=\"5\" count1=\"0\" />",
       LineFault::kNone},
      // eval_no does hold one: the text starts inside it.
      {" eval_no=\"2\" line=\"5\" />", "l_no=\"2\" line=\"5\" />", LineFault::kNone},
      {"line=\"5\" x>\"", "line=\"5\" x>", LineFault::kNone},
      {"count1=\"0\" />", "", LineFault::kNotReport},
      {"", "", LineFault::kNotReport},
      {"line=\"5\" count1=\"0\"", "", LineFault::kNotReport},       // no ">", no "<probe"
      {"line=\"5\" <probe count1=\"0\"", "", LineFault::kTooLong},  // cut after the last quote
      {"line=<probe", "", LineFault::kTooLong},                     // empty after cleaning
  };
  for (const auto& c : cases) {
    const CleanedLine line = cleanContinuationLine(c.raw);
    EXPECT_EQ(line.fault, c.fault) << c.raw;
    if (c.fault == LineFault::kNone) {
      EXPECT_EQ(line.text, c.cleaned) << c.raw;
    }
  }
}

class ParseAttributeText : public ::testing::Test {
 protected:
  AttributeMap attributes{tag::kAttributeNames};
};

TEST_F(ParseAttributeText, ReadsNamesAndQuotedValues) {
  ASSERT_TRUE(parseAttributeText("name=\"f\" descr=\"a &gt; b\" />", attributes));
  EXPECT_EQ(attributes.value(Attribute::kName), "f");
  EXPECT_EQ(attributes.value(Attribute::kDescr), "a > b");
  EXPECT_FALSE(attributes.has(Attribute::kType));
}

TEST_F(ParseAttributeText, DecodesOnlyNameAndDescr) {
  ASSERT_TRUE(parseAttributeText(
      "type=\"a&amp;b\" name=\"&lt;x&gt;\" descr=\"&quot;q&quot;\" line=\"&amp;\" />", attributes));
  EXPECT_EQ(attributes.value(Attribute::kType), "a&amp;b");
  EXPECT_EQ(attributes.value(Attribute::kName), "<x>");
  EXPECT_EQ(attributes.value(Attribute::kDescr), "\"q\"");
  EXPECT_EQ(attributes.value(Attribute::kLine), "&amp;");
}

TEST_F(ParseAttributeText, KeepsTheFirstValueOfAName) {
  ASSERT_TRUE(parseAttributeText("type=\"if\" type=\"for\" />", attributes));
  EXPECT_EQ(attributes.value(Attribute::kType), "if");
  ASSERT_TRUE(parseAttributeText("type=\"while\" />", attributes));
  EXPECT_EQ(attributes.value(Attribute::kType), "if");
  attributes.clear();
  ASSERT_TRUE(parseAttributeText("type=\"while\" />", attributes));
  EXPECT_EQ(attributes.value(Attribute::kType), "while");
}

TEST_F(ParseAttributeText, EndsAfterTheLastValue) {
  const std::string_view endings[] = {
      "count1=\"0\" />",  // a blank and "/>"
      "count1=\"0\">",    // the ">" is the last separator
      "count1=\"0\"",     // nothing after the closing quote
      "count1=\"0",       // no closing quote: the value runs to the end
  };
  for (std::string_view text : endings) {
    attributes.clear();
    EXPECT_TRUE(parseAttributeText(text, attributes)) << text;
    EXPECT_EQ(attributes.value(Attribute::kCount1), "0") << text;
  }
  attributes.clear();
  EXPECT_TRUE(parseAttributeText("descr=\"\" count2=\"7\" />", attributes));
  EXPECT_TRUE(attributes.has(Attribute::kDescr));  // an empty value counts as present
  EXPECT_EQ(attributes.value(Attribute::kCount2), "7");
}

TEST_F(ParseAttributeText, FailsOnARestWithoutEquals) {
  const std::string_view texts[] = {
      "name=\"a.c\"  />",  // two blanks leave " />"
      "name=\"a.c\" x />",
      "/>",
  };
  for (std::string_view text : texts) EXPECT_FALSE(parseAttributeText(text, attributes)) << text;
}

TEST_F(ParseAttributeText, TakesOneByteAfterAValueAsItsSeparator) {
  ASSERT_TRUE(parseAttributeText("line=\"5\"count1=\"0\" />", attributes));
  EXPECT_EQ(attributes.value(Attribute::kLine), "5");
  EXPECT_FALSE(attributes.has(Attribute::kCount1));  // read as "ount1"
}

}  // namespace
}  // namespace kov
