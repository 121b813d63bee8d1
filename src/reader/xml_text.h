// Decoding of the five predefined XML character entities in report texts.
#pragma once

#include <string>
#include <string_view>

namespace kov {

/// Replaces `out` by `text` with "&lt;", "&gt;", "&quot;", "&apos;" and
/// "&amp;" decoded. An "&amp;" decodes together with every "amp;" that
/// directly follows it ("&amp;amp;" is "&"), and the "&" it leaves never
/// starts another entity ("&amp;lt;" is "&lt;"). Numeric references stay.
void unescapeXmlInto(std::string& out, std::string_view text);

/// The decoded text, as unescapeXmlInto gives it.
std::string unescapeXml(std::string_view text);

}  // namespace kov
