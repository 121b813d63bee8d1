#include "reader/unified_diff.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <unistd.h>

#include "base/diagnostic.h"

namespace kov {
namespace {

bool readAll(int fd, std::string& text) {
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    text.append(buffer, static_cast<std::size_t>(got));
  }
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// A decimal number of a hunk header; false where there is none or it does
// not fit in 32 bits.
bool takeNumber(std::string_view& text, std::uint32_t& value) {
  std::size_t digits = 0;
  std::uint64_t number = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
    number = number * 10 + static_cast<std::uint64_t>(text[digits] - '0');
    if (number > 0xFFFFFFFFu) return false;
    ++digits;
  }
  if (digits == 0) return false;
  value = static_cast<std::uint32_t>(number);
  text.remove_prefix(digits);
  return true;
}

// One side of a hunk header: start and line count ("12,3", or "12" for one line).
bool takeRange(std::string_view& text, char sign, std::uint32_t& start, std::uint32_t& count) {
  if (text.empty() || text.front() != sign) return false;
  text.remove_prefix(1);
  if (!takeNumber(text, start)) return false;
  count = 1;
  if (!text.empty() && text.front() == ',') {
    text.remove_prefix(1);
    if (!takeNumber(text, count)) return false;
  }
  return true;
}

struct Hunk {
  std::uint32_t oldLeft = 0;
  std::uint32_t newLeft = 0;
  std::uint32_t nextLine = 0;  // the new-side number of the next context or added line
};

// "@@ -a,b +c,d @@ anything".
bool parseHunkHeader(std::string_view line, Hunk& hunk) {
  line.remove_prefix(3);  // "@@ "
  std::uint32_t oldStart = 0;
  if (!takeRange(line, '-', oldStart, hunk.oldLeft)) return false;
  if (line.empty() || line.front() != ' ') return false;
  line.remove_prefix(1);
  if (!takeRange(line, '+', hunk.nextLine, hunk.newLeft)) return false;
  if (!startsWith(line, " @@")) return false;
  // A hunk that adds lines starts at line 1 or later; one that only removes
  // names the line before the gap, which may be 0.
  return hunk.newLeft == 0 || hunk.nextLine != 0;
}

class DiffParser {
 public:
  explicit DiffParser(const std::string& name) : name_(name) {}

  ChangeSet parse(std::string_view text) {
    while (!text.empty()) {
      const std::size_t end = text.find('\n');
      std::string_view line = text.substr(0, end);
      text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
      ++lineNumber_;
      // Line ends converted to CR LF read alike.
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      inHunk() ? hunkLine(line) : headerLine(line);
    }
    if (inHunk()) fail();  // cut short inside a hunk
    if (newSidePending_) fail();
    return finish();
  }

 private:
  bool inHunk() const { return hunk_.oldLeft != 0 || hunk_.newLeft != 0; }

  void headerLine(std::string_view line) {
    if (newSidePending_ && !startsWith(line, "+++ ")) fail();  // "---" without its "+++"
    if (startsWith(line, "diff ")) {
      file_ = nullptr;
      inFile_ = false;
    } else if (startsWith(line, "--- ")) {
      newSidePending_ = true;
    } else if (startsWith(line, "+++ ")) {
      newSidePending_ = false;
      startFile(line.substr(4));
    } else if (startsWith(line, "@@ ")) {
      if (!inFile_ || !parseHunkHeader(line, hunk_)) fail();
    } else if (inFile_ && startsWith(line, "+")) {
      fail();  // an added line past the end of its hunk: the counts are wrong
    }
    // Anything else between files is git's extended header (index, mode,
    // rename, copy, similarity, binary notes) or text around the diff, such
    // as a commit message: nothing of it changes a line.
  }

  void startFile(std::string_view text) {
    std::string path;
    if (!decodeDiffPath(text, path)) fail();
    inFile_ = true;
    file_ = nullptr;
    if (path == "/dev/null") return;  // a deleted file changes nothing
    if (startsWith(path, "b/") || startsWith(path, "a/")) path.erase(0, 2);
    if (path.empty()) fail();
    auto [at, fresh] = index_.try_emplace(path, files_.size());
    if (fresh) files_.push_back(ChangedFile{path, {}});
    file_ = &files_[at->second];
  }

  void hunkLine(std::string_view line) {
    // Some tools drop the blank of an empty context line.
    const char kind = line.empty() ? ' ' : line.front();
    switch (kind) {
      case ' ':
        if (hunk_.oldLeft == 0 || hunk_.newLeft == 0) fail();
        --hunk_.oldLeft;
        --hunk_.newLeft;
        ++hunk_.nextLine;
        break;
      case '+':
        if (hunk_.newLeft == 0) fail();
        if (file_ != nullptr) file_->lines.push_back(hunk_.nextLine);
        --hunk_.newLeft;
        ++hunk_.nextLine;
        break;
      case '-':
        if (hunk_.oldLeft == 0) fail();
        --hunk_.oldLeft;
        break;
      case '\\':
        break;  // "\ No newline at end of file"
      default:
        fail();
    }
  }

  ChangeSet finish() {
    ChangeSet change;
    for (ChangedFile& file : files_) {
      std::sort(file.lines.begin(), file.lines.end());
      file.lines.erase(std::unique(file.lines.begin(), file.lines.end()), file.lines.end());
      if (!file.lines.empty()) change.files.push_back(std::move(file));
    }
    return change;
  }

  [[noreturn]] void fail() const {
    raise(diag::kDiffNotParsed, name_ + ", line " + std::to_string(lineNumber_));
  }

  const std::string& name_;
  std::uint64_t lineNumber_ = 0;
  Hunk hunk_;
  bool inFile_ = false;          // a "+++" line was read and no "diff" line since
  bool newSidePending_ = false;  // a "---" line waits for its "+++"
  ChangedFile* file_ = nullptr;  // where added lines go; null for a deleted file
  std::vector<ChangedFile> files_;
  std::map<std::string, std::size_t, std::less<>> index_;
};

int octalDigit(char c) { return c >= '0' && c <= '7' ? c - '0' : -1; }

bool decodeQuoted(std::string_view text, std::string& path) {
  path.clear();
  for (std::size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') return true;  // whatever follows (a time stamp) is not the name
    if (c != '\\') {
      path += c;
      continue;
    }
    if (++i == text.size()) return false;
    const char e = text[i];
    static constexpr std::string_view kEscapes = "abtnvfr\"\\";
    static constexpr std::string_view kBytes = "\a\b\t\n\v\f\r\"\\";
    if (const std::size_t at = kEscapes.find(e); at != std::string_view::npos) {
      path += kBytes[at];
    } else if (octalDigit(e) >= 0 && i + 2 < text.size() && octalDigit(text[i + 1]) >= 0 &&
               octalDigit(text[i + 2]) >= 0) {
      const int value = octalDigit(e) * 64 + octalDigit(text[i + 1]) * 8 + octalDigit(text[i + 2]);
      if (value > 0xFF) return false;
      path += static_cast<char>(value);
      i += 2;
    } else {
      return false;
    }
  }
  return false;  // no closing quote
}

}  // namespace

bool decodeDiffPath(std::string_view text, std::string& path) {
  if (!text.empty() && text.front() == '"') return decodeQuoted(text, path);
  path.assign(text.substr(0, text.find('\t')));
  return true;
}

ChangeSet parseUnifiedDiff(std::string_view text, const std::string& name) {
  return DiffParser(name).parse(text);
}

ChangeSet readUnifiedDiff(const std::string& name) {
  std::string text;
  if (name == "-") {
    if (!readAll(STDIN_FILENO, text)) raise(diag::kDiffNotRead, name);
  } else {
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) raise(diag::kDiffNotRead, name);
    const bool ok = readAll(fd, text);
    ::close(fd);
    if (!ok) raise(diag::kDiffNotRead, name);
  }
  return parseUnifiedDiff(text, name);
}

}  // namespace kov
