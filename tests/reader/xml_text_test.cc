#include "reader/xml_text.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>

namespace kov {
namespace {

// The decoding as the reports' rules state it: one entity kind after the
// other, each search restarting from the beginning after every replacement.
std::string restartingUnescape(std::string text) {
  const std::array<std::pair<std::string_view, std::string_view>, 5> entities = {{
      {"&lt;", "<"},
      {"&gt;", ">"},
      {"&quot;", "\""},
      {"&apos;", "'"},
      {"&amp;", "&"},
  }};
  for (const auto& [entity, replacement] : entities) {
    for (std::size_t at; (at = text.find(entity)) != std::string::npos;) {
      text.replace(at, entity.size(), replacement);
    }
  }
  return text;
}

TEST(UnescapeXml, DecodesTheFivePredefinedEntities) {
  const struct {
    std::string_view text;
    std::string_view decoded;
  } cases[] = {
      {"a &lt;&lt; b", "a << b"},
      {"x &amp;&amp; y", "x && y"},
      {"a &gt; b", "a > b"},
      {"&quot;s&quot; &apos;c&apos;", "\"s\" 'c'"},
      {"&amp;lt;", "&lt;"},  // "&amp;" is decoded last
      {"&amp;amp;", "&"},    // and again wherever it forms anew
      {"&amp;amp;amp;lt;", "&lt;"},
      {"&amp;&amp;amp;", "&&"},
      {"&am&amp;p;", "&am&p;"},
      {"&#60; &LT; &lt &", "&#60; &LT; &lt &"},  // no numeric references, exact case
      {"", ""},
      {"plain", "plain"},
  };
  for (const auto& c : cases) EXPECT_EQ(unescapeXml(c.text), c.decoded) << c.text;
}

TEST(UnescapeXml, EqualsTheRestartingFormOnEveryShortMix) {
  // Every sequence of up to five pieces that can form or break entities.
  const std::array<std::string_view, 9> pieces = {"&",     "amp;", "lt;", "gt;", "quot;",
                                                  "apos;", "a",    ";",   "&amp"};
  std::array<std::size_t, 5> index{};
  std::size_t checked = 0;
  for (std::size_t length = 0; length <= index.size(); ++length) {
    index.fill(0);
    for (;;) {
      std::string text;
      for (std::size_t i = 0; i < length; ++i) text += pieces[index[i]];
      ASSERT_EQ(unescapeXml(text), restartingUnescape(text)) << text;
      ++checked;
      std::size_t digit = 0;
      while (digit < length && ++index[digit] == pieces.size()) index[digit++] = 0;
      if (digit == length) break;
    }
  }
  EXPECT_GT(checked, 60000u);
}

}  // namespace
}  // namespace kov
