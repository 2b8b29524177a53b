// A forgiving HTML scanner: unbalanced quotes, stray '<' and unterminated comments never stop it.
#include "HtmlText.h"

#include <array>

#include "TextUtil.h"

namespace tarn::engine {

namespace {

constexpr size_t kMaxLinks = 200;
constexpr size_t kMaxTags = 2000;

void appendUtf8(uint32_t code, std::string& out) {
    if (code == 0 || code > 0x10FFFF) code = 0xFFFD;
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

struct NamedEntity {
    const char* name;
    uint32_t code;
};
constexpr std::array<NamedEntity, 16> kNamed{{{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'},
                                               {"apos", '\''}, {"nbsp", ' '}, {"copy", 0xA9}, {"reg", 0xAE},
                                               {"trade", 0x2122}, {"euro", 0x20AC}, {"pound", 0xA3},
                                               {"eacute", 0xE9}, {"egrave", 0xE8}, {"agrave", 0xE0},
                                               {"uuml", 0xFC}, {"ouml", 0xF6}}};

bool isTagNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == ':';
}

bool breaksWords(std::string_view tag) {
    static constexpr std::array<std::string_view, 18> blocks{"br", "p", "div", "td", "th", "tr", "li", "table",
                                                              "h1", "h2", "h3", "h4", "ul", "ol", "hr", "title",
                                                              "center", "blockquote"};
    for (auto b : blocks)
        if (tag == b) return true;
    return false;
}

/// The value of attribute `name` inside a tag's text, if present.
bool attributeValue(std::string_view tag, std::string_view name, std::string_view& value) {
    size_t pos = 0;
    while ((pos = findNoCase(tag, name, pos)) != std::string_view::npos) {
        bool startsWord = pos > 0 && (isBlank(tag[pos - 1]) || tag[pos - 1] == '"' || tag[pos - 1] == '\'');
        size_t after = pos + name.size();
        while (after < tag.size() && isBlank(tag[after])) ++after;
        if (!startsWord || after >= tag.size() || tag[after] != '=') {
            pos += name.size();
            continue;
        }
        ++after;
        while (after < tag.size() && isBlank(tag[after])) ++after;
        if (after < tag.size() && (tag[after] == '"' || tag[after] == '\'')) {
            size_t close = tag.find(tag[after], after + 1);
            if (close == std::string_view::npos) close = tag.size();
            value = tag.substr(after + 1, close - after - 1);
        } else {
            size_t end = after;
            while (end < tag.size() && !isBlank(tag[end]) && tag[end] != '>') ++end;
            value = tag.substr(after, end - after);
        }
        return true;
    }
    return false;
}

}  // namespace

void appendDecodedEntities(std::string_view text, std::string& out) {
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '&') {
            out.push_back(c);
            continue;
        }
        size_t semi = text.find(';', i + 1);
        if (semi == std::string_view::npos || semi - i > 10) {
            out.push_back(c);
            continue;
        }
        std::string_view name = text.substr(i + 1, semi - i - 1);
        bool decoded = false;
        if (name.size() >= 2 && name[0] == '#') {
            uint32_t code = 0;
            bool hex = name[1] == 'x' || name[1] == 'X';
            bool valid = name.size() > (hex ? 2u : 1u);
            for (size_t k = hex ? 2 : 1; k < name.size() && valid; ++k) {
                char d = name[k];
                int v = (d >= '0' && d <= '9') ? d - '0'
                        : hex && (d | 0x20) >= 'a' && (d | 0x20) <= 'f' ? (d | 0x20) - 'a' + 10
                                                                        : -1;
                if (v < 0) valid = false;
                else code = code * (hex ? 16 : 10) + static_cast<uint32_t>(v);
                if (code > 0x10FFFF) valid = false;
            }
            if (valid) {
                appendUtf8(code, out);
                decoded = true;
            }
        } else {
            for (const auto& entity : kNamed) {
                if (equalsNoCase(name, entity.name)) {
                    appendUtf8(entity.code, out);
                    decoded = true;
                    break;
                }
            }
        }
        if (decoded) i = semi;
        else out.push_back(c);
    }
}

HtmlText htmlToText(std::string_view html) {
    HtmlText result;
    result.text.reserve(html.size() / 2);
    size_t i = 0;
    size_t textStart = 0;
    auto flushText = [&](size_t end) {
        if (end > textStart) appendDecodedEntities(html.substr(textStart, end - textStart), result.text);
    };
    while (i < html.size()) {
        if (html[i] != '<') {
            ++i;
            continue;
        }
        char next = i + 1 < html.size() ? html[i + 1] : '\0';
        bool tagStart = isTagNameChar(next) || next == '/' || next == '!' || next == '?';
        if (!tagStart) {
            ++i;
            continue;
        }
        flushText(i);
        if (html.substr(i, 4) == "<!--") {
            size_t end = html.find("-->", i + 4);
            i = end == std::string_view::npos ? html.size() : end + 3;
            textStart = i;
            continue;
        }
        size_t close = html.find('>', i + 1);
        if (close == std::string_view::npos) close = html.size();
        std::string_view tag = html.substr(i + 1, close - i - 1);
        bool closing = !tag.empty() && tag[0] == '/';
        size_t nameStart = closing ? 1 : 0;
        size_t nameEnd = nameStart;
        while (nameEnd < tag.size() && isTagNameChar(tag[nameEnd])) ++nameEnd;
        std::string name = toLowerAscii(tag.substr(nameStart, nameEnd - nameStart));
        i = close == html.size() ? close : close + 1;
        textStart = i;

        if (!closing && (name == "style" || name == "script")) {
            // Their content is never shown; skip to the matching end tag.
            size_t end = findNoCase(html, "</" + name, i);
            i = end == std::string_view::npos ? html.size() : end;
            textStart = i;
        }
        if (breaksWords(name)) result.text.push_back('\n');
        if (closing || name.empty()) continue;
        if (result.tagNames.size() < kMaxTags) result.tagNames.push_back(name);
        std::string_view link;
        for (std::string_view attribute : {"href", "src", "action"}) {
            if (result.links.size() < kMaxLinks && attributeValue(tag, attribute, link)) {
                std::string decoded;
                appendDecodedEntities(link, decoded);
                result.links.push_back(std::move(decoded));
            }
        }
    }
    flushText(html.size());
    return result;
}

}  // namespace tarn::engine
