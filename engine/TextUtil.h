// Small ASCII text helpers shared by the decoders and the tokenizer.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace tarn::engine {

inline char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

inline std::string toLowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = lowerAscii(c);
    return out;
}

inline bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

inline std::string_view trim(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

inline bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

inline bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

/// Case-insensitive search for an ASCII needle.
inline size_t findNoCase(std::string_view text, std::string_view needle, size_t from = 0) {
    if (needle.empty() || text.size() < needle.size()) return std::string_view::npos;
    const char first = lowerAscii(needle[0]);
    for (size_t i = from; i + needle.size() <= text.size(); ++i) {
        if (lowerAscii(text[i]) == first && equalsNoCase(text.substr(i, needle.size()), needle)) return i;
    }
    return std::string_view::npos;
}

inline void addUnique(std::vector<std::string>& list, std::string value) {
    if (!value.empty() && std::find(list.begin(), list.end(), value) == list.end()) list.push_back(std::move(value));
}

inline std::string joinComma(const std::vector<std::string>& list) {
    std::string out;
    for (const auto& item : list) {
        if (!out.empty()) out += ',';
        out += item;
    }
    return out;
}

}  // namespace tarn::engine
