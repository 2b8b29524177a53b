// Turns HTML into the text a reader sees, keeping the links and the tag names as evidence.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarn::engine {

struct HtmlText {
    std::string text;
    std::vector<std::string> links;     ///< href, src and action values, entities decoded
    std::vector<std::string> tagNames;  ///< lower case, one entry per opening tag
};

HtmlText htmlToText(std::string_view html);

/// Decodes character references (&amp; &#233; &#xE9;) into UTF-8; unknown ones stay as written.
void appendDecodedEntities(std::string_view text, std::string& out);

}  // namespace tarn::engine
