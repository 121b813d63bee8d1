#include "writers/html/html_text.h"

#include <gtest/gtest.h>

#include <string>

#include "base/text_sink.h"

namespace kov::html {
namespace {

std::string text(std::string_view bytes, Charset charset = Charset::Latin1) {
  StringSink out;
  putText(out, bytes, charset);
  return out.text();
}

std::string attribute(std::string_view bytes, Charset charset = Charset::Latin1) {
  StringSink out;
  putAttribute(out, bytes, charset);
  return out.text();
}

const std::string kReplacement = "\xEF\xBF\xBD";

TEST(HtmlTextTest, ReportTextsAreEscapedAndReadAsIso88591) {
  struct Case {
    std::string bytes;
    std::string asText;
    std::string asAttribute;
  } cases[] = {
      {"if (a < b && c > d)", "if (a &lt; b &amp;&amp; c &gt; d)", "if (a &lt; b &amp;&amp; c &gt; d)"},
      {"<img src=x onerror=alert(1)>", "&lt;img src=x onerror=alert(1)&gt;",
       "&lt;img src=x onerror=alert(1)&gt;"},
      {"\"><script>", "\"&gt;&lt;script&gt;", "&quot;&gt;&lt;script&gt;"},
      {"it's", "it's", "it&#39;s"},
      {"&amp;", "&amp;amp;", "&amp;amp;"},  // an entity in a report is text, shown as it stands
      {"caf\xE9 \xFF \xA0", "caf\xC3\xA9 \xC3\xBF \xC2\xA0", "caf\xC3\xA9 \xC3\xBF \xC2\xA0"},
      // Control characters cannot stand in a page; tab can.
      {std::string("a\0b\x01\x1F\x7F\r\n\tc", 10),
       "a" + kReplacement + "b" + kReplacement + kReplacement + kReplacement + kReplacement +
           kReplacement + "\tc",
       "a" + kReplacement + "b" + kReplacement + kReplacement + kReplacement + kReplacement +
           kReplacement + "\tc"},
      {"\x85\x9F", kReplacement + kReplacement, kReplacement + kReplacement},  // C1 controls
      {"", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(text(c.bytes), c.asText) << c.bytes;
    EXPECT_EQ(attribute(c.bytes), c.asAttribute) << c.bytes;
  }
}

TEST(HtmlTextTest, Utf8IsKeptExceptWhatAPageCannotHold) {
  struct Case {
    std::string bytes;
    std::string shown;
  } cases[] = {
      {"caf\xC3\xA9 \xE2\x80\x93 \xF0\x9F\x98\x80", "caf\xC3\xA9 \xE2\x80\x93 \xF0\x9F\x98\x80"},
      {"a < \xC3\xBC", "a &lt; \xC3\xBC"},
      {"\xC2\x85", kReplacement},                 // U+0085, a C1 control
      {"\xC2\xA0", "\xC2\xA0"},                   // U+00A0 is a character
      {"\xEF\xB7\x90", kReplacement},             // U+FDD0, a noncharacter
      {"\xEF\xBF\xBE\xEF\xBF\xBF", kReplacement + kReplacement},  // U+FFFE, U+FFFF
      {"\xF0\x9F\xBF\xBF", kReplacement},         // U+1FFFF
      {"\xEF\xBF\xBD", kReplacement},             // U+FFFD itself
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(isValidUtf8(c.bytes)) << c.bytes;
    EXPECT_EQ(text(c.bytes, Charset::Utf8), c.shown) << c.bytes;
  }
}

TEST(HtmlTextTest, ValidUtf8) {
  struct Case {
    std::string bytes;
    bool valid;
  } cases[] = {
      {"plain ASCII text that is longer than eight bytes", true},
      {"\xC3\xA9", true},
      {"\xE2\x82\xAC", true},
      {"\xF4\x8F\xBF\xBF", true},   // U+10FFFF
      {"caf\xE9", false},           // ISO-8859-1
      {"\xC3", false},              // cut short
      {"abcdefgh\xE2\x82", false},  // cut short after an ASCII run
      {"\x80", false},              // a continuation byte alone
      {"\xC0\xAF", false},          // overlong "/"
      {"\xE0\x80\xAF", false},      // overlong
      {"\xED\xA0\x80", false},      // a surrogate
      {"\xF4\x90\x80\x80", false},  // above U+10FFFF
      {"\xF5\x80\x80\x80", false},
      {"\xFF", false},
      {"", true},
  };
  for (const Case& c : cases) EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << c.bytes;
}

}  // namespace
}  // namespace kov::html
