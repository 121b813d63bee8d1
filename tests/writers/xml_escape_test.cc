#include "writers/xml_escape.h"

#include <gtest/gtest.h>

#include <string>

#include "base/text_sink.h"

namespace kov {
namespace {

TEST(EscapeXmlTest, EscapesTheFiveMarkupCharactersOnce) {
  struct Case {
    std::string text;
    std::string escaped;
  };
  for (const Case& test : {
           Case{"", ""},
           Case{"plain.c", "plain.c"},
           Case{"operator&", "operator&amp;"},
           Case{"const A<int> &", "const A&lt;int&gt; &amp;"},
           Case{"it's \"x\"", "it&apos;s &quot;x&quot;"},
           // An entity in the text is escaped again, so it comes out as read.
           Case{"&amp;&lt;", "&amp;amp;&amp;lt;"},
           // Control bytes and bytes above 127 are no business of escaping.
           Case{std::string("a\x01\xe9\tb"), std::string("a\x01\xe9\tb")},
       }) {
    EXPECT_EQ(escapeXml(test.text), test.escaped) << test.text;
  }
}

TEST(PutXmlTextTest, ReplacesBytesXmlCannotHold) {
  std::string every;
  for (int byte = 0; byte < 0x20; ++byte) every.push_back(static_cast<char>(byte));
  every += "<&\x7f\xff";
  // Only tab, line feed and carriage return stay of the bytes below 0x20.
  const std::string controls =
      std::string(9, '?') + "\t\n" + std::string(2, '?') + "\r" + std::string(18, '?');
  StringSink asStored;
  putXmlText(asStored, every, false);
  EXPECT_EQ(asStored.text(), controls + "<&\x7f\xff");
  StringSink escaped;
  putXmlText(escaped, every, true);
  EXPECT_EQ(escaped.text(), controls + "&lt;&amp;\x7f\xff");
}

}  // namespace
}  // namespace kov
