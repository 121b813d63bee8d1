// Report texts in the Markdown summary. A name from a report is shown as a
// code span: its content is never read as emphasis, a link, HTML, an entity,
// a mention, an issue reference or an emoji, on GitHub and GitLab alike; only
// "|", which ends a table cell even there, is escaped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kov {

/// Appends `text`, ISO-8859-1 bytes, as a code span of GitHub-flavoured
/// Markdown that may stand in a table cell. Texts longer than `limit`
/// characters keep their last `limit` - 1 characters behind "…" (the end of a
/// path names the file). Control characters (U+0000 to U+001F and U+007F to
/// U+009F; a line end would end the table) become "?"; other bytes become
/// UTF-8. An empty text appends nothing.
void appendMarkdownCode(std::string& out, std::string_view text, std::size_t limit);

}  // namespace kov
