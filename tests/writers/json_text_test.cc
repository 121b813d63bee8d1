#include "writers/json_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "base/text_sink.h"
#include "writers/decimal.h"

namespace kov {
namespace {

std::string jsonString(std::string_view text) {
  std::string out;
  appendJsonString(out, text);
  return out;
}

TEST(JsonStringTest, ReportTextsBecomeUtf8WithControlsEscaped) {
  struct Case {
    std::string text;
    std::string json;
  } cases[] = {
      {"", R"j("")j"},
      {"if (a && b)", R"j("if (a && b)")j"},
      {"say \"hi\" \\ bye", R"j("say \"hi\" \\ bye")j"},
      {"tab\tnl\ncr\rnul", R"j("tab\u0009nl\u000Acr\u000Dnul")j"},
      {std::string("a\0b", 3), R"j("a\u0000b")j"},
      {"\x1f\x7f", R"j("\u001F\u007F")j"},
      {"\x80\x9f", R"j("\u0080\u009F")j"},            // C1 controls of ISO-8859-1
      {"caf\xe9 \xa0\xff", "\"caf\xc3\xa9 \xc2\xa0\xc3\xbf\""},  // letters become UTF-8
      {"</script>/", R"j("</script>/")j"},
      {"12345678\"12345678", R"j("12345678\"12345678")j"},  // a mark inside a run of eight
      {"abcdefgh\xe9", "\"abcdefgh\xc3\xa9\""},
  };
  for (const Case& c : cases) EXPECT_EQ(jsonString(c.text), c.json) << c.text;
}

TEST(JsonStringTest, EveryByteOnItsOwnAndAmongPlainOnes) {
  // The eight-byte scan must see a byte that needs escaping at every place.
  for (int byte = 0; byte < 256; ++byte) {
    const std::string single(1, static_cast<char>(byte));
    const std::string expected = jsonString(single);
    for (std::size_t at = 0; at < 17; ++at) {
      std::string text(17, 'x');
      text[at] = static_cast<char>(byte);
      // The string of the byte alone, with the plain bytes around it inside its quotes.
      std::string around = expected;
      around.insert(1, at, 'x');
      around.insert(around.size() - 1, 16 - at, 'x');
      EXPECT_EQ(jsonString(text), around) << "byte " << byte << " at " << at;
    }
  }
}

TEST(DecimalTest, WritesEveryWidth) {
  const std::uint64_t values[] = {0,     9,     10,    42,         99,
                                  100,   101,   999,   1000,       1009,
                                  9999,  10000, 65535, 4294967295, std::numeric_limits<std::uint64_t>::max()};
  for (std::uint64_t value : values) {
    char buffer[20];
    char* end = writeDecimal(buffer, value);
    EXPECT_EQ(std::string(buffer, end), std::to_string(value));
  }
}

TEST(JsonOutTest, PiecesReachTheSinkInOrderAndWhole) {
  StringSink sink;
  sink << "before ";
  std::string expected = "before ";
  {
    JsonOut json(sink);
    // A text far longer than one block, with bytes to escape at its end.
    const std::string description(200000, 'd');
    json.put("{").string(description + "\xe9").put(",").number(4294967295u);
    json.signedNumber(-2147483648LL).boolean(true).boolean(false);
    expected += "{\"" + description + "\xc3\xa9\"," + "4294967295" + "-2147483648truefalse";
  }
  sink << " after";
  expected += " after";
  EXPECT_EQ(sink.text(), expected);
}

}  // namespace
}  // namespace kov
