// Content transfer decodings: base64, quoted-printable and the encoded words of header texts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarn::engine {

/// Skips anything that is not in the base64 alphabet; stops at padding. Never fails.
std::string decodeBase64(std::string_view text);
/// Soft line breaks joined, =XX decoded; a malformed escape stays as it is.
std::string decodeQuotedPrintable(std::string_view text);
/// Replaces =?charset?B|Q?...?= words by their bytes and adds each charset (lower case) to `charsets`.
std::string decodeEncodedWords(std::string_view text, std::vector<std::string>* charsets = nullptr);
/// True when the start of `text` holds nothing but base64 characters and line breaks.
bool looksLikeBase64(std::string_view text);

std::string encodeBase64(std::string_view bytes);

}  // namespace tarn::engine
