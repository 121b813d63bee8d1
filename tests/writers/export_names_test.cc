#include "writers/export_names.h"

#include <gtest/gtest.h>

#include <string>

#include "base/text_sink.h"

namespace kov {
namespace {

TEST(ExportRootTest, ShownNames) {
  struct Case {
    const char* root;
    const char* displayName;
    const char* shown;
  } cases[] = {
      {"", "src\\lib\\a.c", "src/lib/a.c"},           // no root: separators only
      {"C:\\Work\\", "c:/work/src/a.c", "src/a.c"},    // "\" against "/", case, trailing "/"
      {"c:/WORK", "C:\\Work\\Src\\A.c", "Src/A.c"},   // the rest keeps its case
      {"src//", "src/a.c", "a.c"},                    // every trailing "/" ignored
      {"/", "/usr/include/x.h", "usr/include/x.h"},   // the root directory
      {"c:/work", "c:/workshop/a.c", "c:/workshop/a.c"},  // a longer directory name
      {"c:/work", "c:/work", "c:/work"},              // the directory itself
      {"c:/work", "c:/work/", "c:/work/"},            // nothing would be left
      {"src", "lib/src/a.c", "lib/src/a.c"},          // only at the start
      {"\xC4", "\xE4/x.c", "\xE4/x.c"},               // only ASCII letters fold
      {"s\xE9", "s\xE9\\x.c", "x.c"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExportRoot(c.root).shownName(c.displayName), c.shown)
        << "root " << c.root << ", name " << c.displayName;
  }
}

TEST(LcovNamesTest, ControlBytesAndCommas) {
  struct Case {
    std::string text;
    std::string fileName;
    std::string functionName;
  } cases[] = {
      {"f(int a, int b)", "f(int a, int b)", "f(int a; int b)"},
      {std::string("a\rb\nc\td\x01""e\x7F""f\x1F", 12), "a?b?c?d?e?f?", "a?b?c?d?e?f?"},
      {std::string("n\0l", 3), "n?l", "n?l"},
      {"Caf\xE9 <&> \\x", "Caf\xE9 <&> \\x", "Caf\xE9 <&> \\x"},  // bytes as they are
  };
  for (const Case& c : cases) {
    EXPECT_EQ(lcovText(c.text), c.fileName);
    EXPECT_EQ(lcovFunctionName(c.text), c.functionName);
    StringSink file;
    putLcovText(file, c.text, false);
    EXPECT_EQ(file.text(), c.fileName);
    StringSink function;
    putLcovText(function, c.text, true);
    EXPECT_EQ(function.text(), c.functionName);
  }
}

}  // namespace
}  // namespace kov
