// Cutting one cleaned report line into its tag and its text or attributes.
#pragma once

#include <optional>
#include <string_view>

#include "reader/first_value_map.h"
#include "reader/report_tags.h"

namespace kov {

using ElementMap = FirstValueMap<tag::Element, tag::kElementTags.size()>;
using AttributeMap = FirstValueMap<tag::Attribute, tag::kAttributeNames.size()>;

/// A text element's tag (up to and including the first ">", empty where the
/// line has none) and text (after that ">", up to the next "<").
struct TextElement {
  std::string_view tag;
  std::string_view text;
};

/// Splits a line like `<lines>12</lines>`.
TextElement splitTextElement(std::string_view line);

/// A start tag's name (up to the first blank) and attribute text (after it).
struct StartTag {
  std::string_view tag;
  std::string_view attributes;
};

/// Splits a line like `<file name="a.c">`; nothing where it has no blank.
std::optional<StartTag> splitStartTag(std::string_view line);

/// Fills the map from an attribute text such as `name="f" descr="a &gt; b" />`:
/// each name runs to the next "=", each value between the next two double
/// quotes, one separating byte follows a value, and a rest of "/>" ends the
/// text. "name" and "descr" values are entity-decoded. Returns false where a
/// rest holds no "=" (the text is then not a report's). Values may refer into
/// `text`: call `attributes.keep()` before its bytes change.
bool parseAttributeText(std::string_view text, AttributeMap& attributes);

}  // namespace kov
