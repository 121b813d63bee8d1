#include "reader/unified_diff.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/diagnostic.h"

namespace kov {
namespace {

using Lines = std::vector<std::uint32_t>;

struct Expected {
  std::string path;
  Lines lines;
};

struct DiffCase {
  const char* name;
  std::string diff;
  std::vector<Expected> files;
};

std::vector<Expected> filesOf(const ChangeSet& change) {
  std::vector<Expected> files;
  for (const ChangedFile& file : change.files) files.push_back({file.path, file.lines});
  return files;
}

bool operator==(const Expected& a, const Expected& b) {
  return a.path == b.path && a.lines == b.lines;
}

void PrintTo(const Expected& e, std::ostream* os) {
  *os << e.path << ":";
  for (std::uint32_t line : e.lines) *os << " " << line;
}

const std::string kModified =
    "diff --git a/src/main.c b/src/main.c\n"
    "index 1111111..2222222 100644\n"
    "--- a/src/main.c\n"
    "+++ b/src/main.c\n"
    "@@ -10,7 +10,8 @@ int main(int argc)\n"
    " ctx 10\n"
    " ctx 11\n"
    "-old 12\n"
    "+new 12\n"
    "+new 13\n"
    " ctx 14\n"
    "\n"  // an empty context line whose blank a tool dropped
    " ctx 16\n"
    " ctx 17\n";

TEST(UnifiedDiff, AddedLinesOfEveryLayout) {
  const std::vector<DiffCase> cases = {
      {"default context", kModified, {{"src/main.c", {12, 13}}}},
      {"no context (-U0), a hunk that only removes names the line before",
       "diff --git a/x.c b/x.c\n--- a/x.c\n+++ b/x.c\n"
       "@@ -3 +3 @@ head\n-a\n+b\n@@ -7,2 +6,0 @@\n-c\n-d\n@@ -20,0 +20,2 @@\n+e\n+f\n",
       {{"x.c", {3, 20, 21}}}},
      {"CR LF line ends", "--- a/w.c\r\n+++ b/w.c\r\n@@ -1,2 +1,2 @@\r\n-a\r\n+b\r\n c\r\n",
       {{"w.c", {1}}}},
      {"new file, deleted file, binary note and mode change",
       "diff --git a/n.c b/n.c\nnew file mode 100644\n--- /dev/null\n+++ b/n.c\n"
       "@@ -0,0 +1,2 @@\n+one\n+two\n"
       "diff --git a/gone.c b/gone.c\ndeleted file mode 100644\n--- a/gone.c\n+++ /dev/null\n"
       "@@ -1,2 +0,0 @@\n-one\n-two\n"
       "diff --git a/logo.png b/logo.png\nBinary files a/logo.png and b/logo.png differ\n"
       "diff --git a/run.sh b/run.sh\nold mode 100644\nnew mode 100755\n",
       {{"n.c", {1, 2}}}},
      {"rename with changes counts under the new name",
       "diff --git a/old/p.c b/new/p.c\nsimilarity index 90%\nrename from old/p.c\n"
       "rename to new/p.c\n--- a/old/p.c\n+++ b/new/p.c\n@@ -4,2 +4,2 @@\n k\n-x\n+y\n",
       {{"new/p.c", {5}}}},
      {"quoted names with escapes",
       "--- \"a/t\\tab.c\"\n+++ \"b/t\\tab \\\"q\\\" \\\\ \\303\\251.c\"\n@@ -1 +1 @@\n-a\n+b\n",
       {{"t\tab \"q\" \\ \xc3\xa9.c", {1}}}},
      {"a time stamp behind the name (diff -u) and no prefix",
       "--- x/lib.c\t2026-12-01 10:00:00\n+++ lib.c\t2026-12-02 10:00:00\n@@ -1 +1,2 @@\n a\n+b\n",
       {{"lib.c", {2}}}},
      {"text around the diff and no newline at the end",
       "From 123 Mon Sep 17 00:00:00 2001\nSubject: [PATCH] fix\n\n---\n m.c | 1 +\n\n"
       "diff --git a/m.c b/m.c\n--- a/m.c\n+++ b/m.c\n@@ -1 +1 @@\n-a\n\\ No newline at end of file\n"
       "+b\n\\ No newline at end of file\n-- \n2.39.5\n",
       {{"m.c", {1}}}},
      {"a file named twice adds up", kModified + "--- a/src/main.c\n+++ b/src/main.c\n"
       "@@ -40 +41,2 @@\n-z\n+y\n+13 again\n", {{"src/main.c", {12, 13, 41, 42}}}},
      {"added lines that look like headers", "--- a/h.c\n+++ b/h.c\n@@ -1,2 +1,3 @@\n"
       "+++ b/looks-like-a-header\n+--- a/so-does-this\n a\n-b\n", {{"h.c", {1, 2}}}},
      {"empty diff", "", {}},
      {"only removals", "--- a/r.c\n+++ b/r.c\n@@ -1,2 +1 @@\n-a\n b\n", {}},
  };
  for (const DiffCase& c : cases) {
    EXPECT_EQ(filesOf(parseUnifiedDiff(c.diff, "change.diff")), c.files) << c.name;
  }
}

struct BadCase {
  const char* name;
  std::string diff;
  int line;  // where reading stopped
};

TEST(UnifiedDiff, TextThatIsNoDiffNamesItsLine) {
  const std::vector<BadCase> cases = {
      {"hunk cut short", "--- a/x\n+++ b/x\n@@ -1,3 +1,3 @@\n a\n", 4},
      {"more added lines than the header says", "--- a/x\n+++ b/x\n@@ -1 +1 @@\n-a\n+b\n+c\n", 6},
      {"line of no kind inside a hunk", "--- a/x\n+++ b/x\n@@ -1,2 +1,2 @@\n a\n*b\n", 5},
      {"hunk before any file", "@@ -1 +1 @@\n-a\n+b\n", 1},
      {"bad hunk header", "--- a/x\n+++ b/x\n@@ -1 +a @@\n", 3},
      {"hunk header without its closing marks", "--- a/x\n+++ b/x\n@@ -1 +1\n", 3},
      {"old side without the new", "--- a/x\nindex 1..2\n", 2},
      {"new side cut off at the end", "--- a/x\n", 1},
      {"quoted name not closed", "--- a/x\n+++ \"b/x\n", 2},
      {"unknown escape", "--- a/x\n+++ \"b/\\q\"\n", 2},
      {"added lines from line 0", "--- a/x\n+++ b/x\n@@ -0,0 +0,1 @@\n+a\n", 3},
      {"number out of range", "--- a/x\n+++ b/x\n@@ -1 +4294967296 @@\n", 3},
      {"empty name", "--- a/x\n+++ b/\n", 2},
  };
  for (const BadCase& c : cases) {
    try {
      parseUnifiedDiff(c.diff, "d.diff");
      ADD_FAILURE() << c.name << ": accepted";
    } catch (const DiagnosticError& error) {
      EXPECT_EQ(std::string(error.what()),
                "*** kovxmlmerge error 51 (10/130): Diff file can not be parsed: d.diff, line " +
                    std::to_string(c.line))
          << c.name;
    }
  }
}

TEST(UnifiedDiff, AMissingFileCannotBeRead) {
  try {
    readUnifiedDiff("/nonexistent/change.diff");
    ADD_FAILURE() << "read";
  } catch (const DiagnosticError& error) {
    EXPECT_EQ(std::string(error.what()),
              "*** kovxmlmerge error 50 (10/110): Diff file can not be read: "
              "/nonexistent/change.diff");
  }
}

}  // namespace
}  // namespace kov
