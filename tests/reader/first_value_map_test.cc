#include "reader/first_value_map.h"

#include <gtest/gtest.h>

#include <string>

#include "reader/element_scanner.h"
#include "reader/report_tags.h"

namespace kov {
namespace {

using tag::Attribute;

TEST(FirstValueMap, FindsEveryNameOfItsTableAndNoOther) {
  ElementMap elements{tag::kElementTags};
  for (std::size_t i = 0; i < tag::kElementTags.size(); ++i) {
    ASSERT_NE(elements.claim(tag::kElementTags[i]), nullptr) << tag::kElementTags[i];
  }
  AttributeMap attributes{tag::kAttributeNames};
  for (std::string_view name : {"", "nam", "names", "Name", "count", "count3", "subcond_no"}) {
    EXPECT_EQ(attributes.claim(name), nullptr) << name;
  }
  for (std::size_t i = 0; i < tag::kAttributeNames.size(); ++i) {
    attributes.claimBorrowed(tag::kAttributeNames[i], "v");
    EXPECT_TRUE(attributes.has(static_cast<Attribute>(i))) << tag::kAttributeNames[i];
  }
}

TEST(FirstValueMap, KeepsTheFirstValueWhetherOwnedOrBorrowed) {
  AttributeMap attributes{tag::kAttributeNames};
  attributes.claimBorrowed("type", "if");
  EXPECT_EQ(attributes.claim("type"), nullptr);
  attributes.claimBorrowed("type", "for");
  EXPECT_EQ(attributes.value(Attribute::kType), "if");

  attributes.claim("descr")->append("owned");
  attributes.claimBorrowed("descr", "borrowed");
  EXPECT_EQ(attributes.value(Attribute::kDescr), "owned");

  attributes.clear();
  EXPECT_FALSE(attributes.has(Attribute::kType));
  attributes.claimBorrowed("type", "while");
  EXPECT_EQ(attributes.value(Attribute::kType), "while");
}

TEST(FirstValueMap, KeepCopiesBorrowedValuesBeforeTheirBytesChange) {
  AttributeMap attributes{tag::kAttributeNames};
  std::string line = R"(type="if" line="12" descr="a &amp; b" />)";
  ASSERT_TRUE(parseAttributeText(line, attributes));
  attributes.keep();
  line.assign(line.size(), 'x');  // the reader's buffer is reused for the next line
  EXPECT_EQ(attributes.value(Attribute::kType), "if");
  EXPECT_EQ(attributes.value(Attribute::kLine), "12");
  EXPECT_EQ(attributes.value(Attribute::kDescr), "a & b");

  // A value that was owned before a later borrowed one stays as it was.
  attributes.clear();
  attributes.claim("name")->push_back('f');
  std::string next(1, 'g');
  attributes.claimBorrowed("nesting", next);
  attributes.keep();
  next[0] = 'h';
  EXPECT_EQ(attributes.value(Attribute::kName), "f");
  EXPECT_EQ(attributes.value(Attribute::kNesting), "g");
}

}  // namespace
}  // namespace kov
