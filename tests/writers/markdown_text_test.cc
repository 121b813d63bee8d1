#include "writers/markdown_text.h"

#include <gtest/gtest.h>

#include <string>

namespace kov {
namespace {

std::string code(std::string_view text, std::size_t limit = 120) {
  std::string out;
  appendMarkdownCode(out, text, limit);
  return out;
}

// A code span renders its content literally: emphasis, links, HTML, entities,
// mentions and references are plain text in it. Only the table's "|" needs
// escaping, and the fence must be longer than any run of backticks inside.
TEST(MarkdownCodeTest, NamesAsCodeSpans) {
  struct Case {
    std::string text;
    std::string markdown;
  } cases[] = {
      {"src/main.c", "`src/main.c`"},
      {"a|b", "`a\\|b`"},
      {"a\\|b", "`a\\\\|b`"},  // a backslash before the "|" stays
      {"*x* _y_ [l](http://e.com) <b>&amp; @u #1 :+1:", "`*x* _y_ [l](http://e.com) <b>&amp; @u #1 :+1:`"},
      {"a`b", "``a`b``"},
      {"a``b`c", "```a``b`c```"},
      {"`a", "`` `a ``"},      // a backtick at an end would join the fence
      {"a`", "`` a` ``"},
      {" a", "`  a `"},        // a span loses one blank at each end where both have one
      {"a ", "` a  `"},
      {"   ", "`   `"},        // blanks only lose nothing
      {"", ""},
      {"tab\tnl\ncr\r\x01\x7f\x85", "`tab?nl?cr????`"},
      {"caf\xe9 \xa0", "`caf\xc3\xa9 \xc2\xa0`"},
  };
  for (const Case& c : cases) EXPECT_EQ(code(c.text), c.markdown) << c.text;
}

TEST(MarkdownCodeTest, LongTextsKeepTheirEnd) {
  EXPECT_EQ(code("abcdef", 6), "`abcdef`");
  EXPECT_EQ(code("abcdefg", 6), "`\xe2\x80\xa6" "cdefg`");  // "…" and the last five
  EXPECT_EQ(code("dir/|`x", 4), "``\xe2\x80\xa6\\|`x``");
  EXPECT_EQ(code("abcde ", 4), "` \xe2\x80\xa6" "de  `");
  // However long: at most two bytes a character, and fences one longer.
  const std::string shown = code(std::string(100000, '`'), 120);
  EXPECT_EQ(shown, std::string(120, '`') + " \xe2\x80\xa6" + std::string(119, '`') + " " +
                       std::string(120, '`'));
}

}  // namespace
}  // namespace kov
