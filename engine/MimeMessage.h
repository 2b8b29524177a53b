// Splits mail into header fields and decoded text parts, walking multipart bodies.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarn::engine {

struct HeaderField {
    std::string_view name;
    std::string_view value;  ///< raw, possibly folded over several lines
};

/// Header fields of a block of header lines (CRLF or LF); lines that are not fields are skipped.
std::vector<HeaderField> parseHeaderFields(std::string_view block);

/// Splits raw mail at the first blank line; without one the whole text is headers.
void splitAtBlankLine(std::string_view raw, std::string_view& headers, std::string_view& body);

/// The first field of that name, or an empty view.
std::string_view findHeader(const std::vector<HeaderField>& fields, std::string_view name);

/// A header parameter such as charset= or boundary=, unquoted; empty when absent.
std::string headerParameter(std::string_view value, std::string_view parameter);

/// The media type of a Content-Type value in lower case ("text/plain" when empty).
std::string mediaType(std::string_view contentType);

struct TextPart {
    std::string text;
    bool html = false;
};

struct DecodedBody {
    std::vector<TextPart> texts;
    std::vector<std::string> charsets;       ///< lower case, in order of appearance
    std::vector<std::string> mediaTypes;     ///< of every leaf part
    std::vector<std::string> fileNames;      ///< of attachments
    size_t decodedBytes = 0;
};

/// Decodes `body` as described by `fields`. A body whose headers promise MIME structure that is not
/// there (an already composed text) is taken as it stands. Decoded text is capped at `maxTextBytes`.
DecodedBody decodeBody(const std::vector<HeaderField>& fields, std::string_view body, size_t maxTextBytes);

/// True when a plain text looks like markup worth stripping.
bool looksLikeHtml(std::string_view text);

}  // namespace tarn::engine
