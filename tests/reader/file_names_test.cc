#include "reader/file_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kov {
namespace {

TEST(FileKey, NormalisesCaseSeparatorsAndDriveLetters) {
  const struct {
    std::string_view name;
    bool noDriveLetter;
    std::string_view key;
  } cases[] = {
      {"C:/Src//Main.C", false, "c:\\src\\main.c"},
      {"C:/Src//Main.C", true, "\\src\\main.c"},
      {"C:\\Work\\A.c", true, "\\work\\a.c"},
      {"d:/work/a.C", true, "\\work\\a.c"},
      {"C:\\Work\\A.c", false, "c:\\work\\a.c"},
      {"d:/work/a.C", false, "d:\\work\\a.c"},
      {"a\\\\\\\\b//\\c", false, "a\\b\\c"},
      {"C:", true, "c:"},  // nothing would remain: the name stays
      {"x:y", true, "y"},
      {"\xC4RGER.C", false, "\xC4rger.c"},  // only ASCII letters are lowered
  };
  for (const auto& c : cases) {
    EXPECT_EQ(fileKey(c.name, c.noDriveLetter), c.key) << c.name << " ndl=" << c.noDriveLetter;
  }
}

TEST(FileKey, CollapsesALongRunOfBackslashes) {
  const std::string name = "a" + std::string(200000, '/') + "b";
  EXPECT_EQ(fileKey(name, false), "a\\b");
}

TEST(MatchPattern, MatchesLikeAGlobWithStarsOnly) {
  const struct {
    std::string_view pattern;
    std::string_view text;
    bool matches;
  } cases[] = {
      {"*.c", "\\src\\main.c", true},
      {"*.c", "\\src\\main.h", false},
      {"*", "", true},
      {"*", "anything", true},
      {"main.c", "main.c", true},
      {"main.c", "xmain.c", false},
      {"main.c", "main.cc", false},
      {"*a.c", "a.c", true},
      {"*a*.c", "xa.ca.c", true},  // needs a later occurrence of ".c"
      {"*a*.c", "xa.cb", false},
      {"a*b*c", "aXbYbZc", true},
      {"a*b*c", "aXcYb", false},
      {"*src*", "\\src\\main.c", true},
      {"**", "x", true},
      {"a*", "", false},
      {"", "", true},
      {"", "a", false},
      {"?.c", "a.c", false},  // "?" is an ordinary byte
  };
  for (const auto& c : cases) {
    EXPECT_EQ(matchPattern(c.pattern, c.text), c.matches) << c.pattern << " vs " << c.text;
  }
}

TEST(MatchPattern, ManyStarsOnALongTextFinish) {
  // The recursive form would try every split of the text between the stars.
  const std::string text(5000, 'a');
  EXPECT_FALSE(matchPattern("*a*a*a*a*a*a*a*a*b", text));
  EXPECT_TRUE(matchPattern("*a*a*a*a*a*a*a*a*a", text));
}

TEST(FileChooser, ChoosesByTheFirstListGiven) {
  using Names = std::vector<std::string>;
  const struct {
    const char* label;
    bool noDriveLetter;
    Names chosen;
    Names unchosen;
    std::string_view shownName;
    bool expected;
  } cases[] = {
      {"no lists", false, {}, {}, "any.c", true},
      {"-f matches", false, {"*.c"}, {}, "\\src\\main.c", true},
      {"-f matches by key", false, {"SRC/*.C"}, {}, "src\\main.c", true},
      {"-f misses", false, {"*.h"}, {}, "main.c", false},
      {"-f one of two", false, {"*.h", "main.c"}, {}, "Main.C", true},
      {"-nf matches", false, {}, {"*.h"}, "inc/util.h", false},
      {"-nf misses", false, {}, {"*.h"}, "main.c", true},
      {"both: -nf not consulted", false, {"main.c"}, {"main.c"}, "main.c", true},
      {"both: -f misses", false, {"x.c"}, {"*.h"}, "main.c", false},
      {"-ndl drops the pattern's drive", true, {"c:\\work\\*"}, {}, "\\Work\\a.c", true},
      {"-ndl keeps the leading separator", true, {"d:/work/*"}, {}, "work\\a.c", false},
      {"glob fix", false, {"*a*.c"}, {}, "xa.ca.c", true},
  };
  for (const auto& c : cases) {
    const FileChooser chooser(c.noDriveLetter, c.chosen, c.unchosen);
    EXPECT_EQ(chooser.isChosen(c.shownName), c.expected) << c.label;
  }
}

}  // namespace
}  // namespace kov
