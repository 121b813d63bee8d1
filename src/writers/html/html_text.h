// The only way a text reaches a page of the HTML report: escaped for HTML and
// turned into UTF-8, the character set every page declares.
//
// Texts from the reports are ISO-8859-1 (the reports declare it), so each of
// their bytes is one character; source files are shown as UTF-8 where they
// are valid UTF-8 and as ISO-8859-1 otherwise. Characters that a page may
// not hold (control characters other than tab, noncharacters) are shown as
// U+FFFD, the replacement character, so that a byte of the input can never
// change the structure of a page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kov {

class TextSink;

namespace html {

/// How the bytes of a text are read.
enum class Charset : std::uint8_t {
  Latin1,  // each byte one character (ISO-8859-1): report texts
  Utf8,    // valid UTF-8 (see isValidUtf8): source files that are
};

/// The most bytes the escaped form of a text of `size` bytes takes.
constexpr std::size_t escapedSizeLimit(std::size_t size) { return 6 * size; }

/// Escapes `text` as the content of an element into `at`, which has room
/// for escapedSizeLimit(text.size()) bytes; returns the end of what it wrote.
char* escapeText(char* at, std::string_view text, Charset charset = Charset::Latin1);

/// Escapes `text` as an attribute value (to stand between double quotes)
/// into `at`, which has room for escapedSizeLimit(text.size()) bytes.
char* escapeAttribute(char* at, std::string_view text, Charset charset = Charset::Latin1);

/// Writes escapeText of `text`.
void putText(TextSink& out, std::string_view text, Charset charset = Charset::Latin1);

/// Writes escapeAttribute of `text`.
void putAttribute(TextSink& out, std::string_view text, Charset charset = Charset::Latin1);

/// Whether `text` is well-formed UTF-8: no stray continuation bytes, no
/// overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view text);

}  // namespace html
}  // namespace kov
