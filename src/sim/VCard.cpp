// Reading and writing vCard contacts.
#include "sim/VCard.h"

#include <cctype>
#include <optional>

#include "core/Text.h"
#include "sim/MimeMessage.h"

namespace tw::sim {

namespace {

struct ContentLine {
    std::string name;  // upper case, without a group prefix ("item1.")
    std::vector<std::string> params;
    std::string value;
};

std::string decodeQuotedPrintable(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '=' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
            out += static_cast<char>(std::stoi(std::string(s.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string unescape(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            char n = s[++i];
            out += (n == 'n' || n == 'N') ? '\n' : n;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string escape(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c == '\\' || c == ',' || c == ';') out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        if (c != '\r') out += c;
    }
    return out;
}

std::optional<ContentLine> parseLine(std::string_view line) {
    size_t colon = std::string_view::npos;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (line[i] == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon == std::string_view::npos) return std::nullopt;
    ContentLine cl;
    auto parts = text::split(line.substr(0, colon), ";");
    std::string name = text::upper(text::trim(parts[0]));
    size_t dot = name.rfind('.');
    cl.name = dot == std::string::npos ? name : name.substr(dot + 1);
    for (size_t i = 1; i < parts.size(); ++i) cl.params.push_back(text::upper(text::trim(parts[i])));
    cl.value = std::string(line.substr(colon + 1));
    return cl;
}

std::string paramValue(const ContentLine& cl, std::string_view key) {
    for (const auto& p : cl.params) {
        if (text::startsWith(p, std::string(key) + "=")) {
            std::string v = p.substr(key.size() + 1);
            if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
            return v;
        }
    }
    return {};
}

std::string valueOf(const ContentLine& cl) {
    std::string v = cl.value;
    bool qp = paramValue(cl, "ENCODING") == "QUOTED-PRINTABLE";
    for (const auto& p : cl.params) qp = qp || p == "QUOTED-PRINTABLE";
    if (qp) v = decodeQuotedPrintable(v);
    // A carriage return left inside a line is debris, not text: the writer never writes one back,
    // so the reader drops it too and a card read and written reads back the same.
    std::string decoded = unescape(v);
    std::erase(decoded, '\r');
    return text::trim(toUtf8(decoded, paramValue(cl, "CHARSET")));
}

}  // namespace

std::string vcardText(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return std::string(bytes.substr(3));
    if (bytes.substr(0, 2) == "\xFF\xFE") return toUtf8(bytes.substr(2), "UTF-16LE");
    if (bytes.substr(0, 2) == "\xFE\xFF") return toUtf8(bytes.substr(2), "UTF-16BE");
    return std::string(bytes);
}

namespace {

struct LogicalLine {
    /// Where its first physical line starts in the text.
    size_t offset = 0;
    std::string text;
};

/// Physical lines joined into logical ones: a line starting with a blank continues the one before,
/// and in quoted-printable values a line ending in "=" continues on the next.
std::vector<LogicalLine> logicalLines(std::string_view text) {
    std::vector<LogicalLine> lines;
    bool softBreak = false;
    size_t offset = 0;
    for (auto raw : text::split(text, "\n")) {
        const size_t start = offset;
        offset += raw.size() + 1;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        if (softBreak && !lines.empty()) {
            lines.back().text.pop_back();  // the "="
            lines.back().text += raw;
        } else if (!raw.empty() && (raw[0] == ' ' || raw[0] == '\t') && !lines.empty()) {
            lines.back().text += raw.substr(1);
        } else {
            lines.push_back({start, raw});
        }
        const std::string& last = lines.back().text;
        softBreak = !last.empty() && last.back() == '=' && text::icontains(last.substr(0, last.find(':')), "QUOTED-PRINTABLE");
    }
    return lines;
}

bool beginsCard(const ContentLine& cl) { return cl.name == "BEGIN" && text::iequals(text::trim(cl.value), "VCARD"); }

}  // namespace

std::vector<VCardContact> parseVCards(std::string_view bytes) {
    std::vector<VCardContact> contacts;
    // A plain flag rather than an optional: GCC 12 mistakes the optional's strings for uninitialised.
    VCardContact contact;
    VCardContact* current = nullptr;
    std::string structuredName;
    auto finish = [&] {
        if (!current) return;
        if (current->fullName.empty()) current->fullName = structuredName;
        contacts.push_back(std::move(*current));
        contact = VCardContact{};
        current = nullptr;
    };
    for (const auto& line : logicalLines(vcardText(bytes))) {
        auto cl = parseLine(line.text);
        if (!cl) continue;
        if (beginsCard(*cl)) {
            finish();
            current = &contact;
            structuredName.clear();
        } else if (!current) {
            continue;
        } else if (cl->name == "END") {
            finish();
        } else if (cl->name == "FN") {
            current->fullName = valueOf(*cl);
        } else if (cl->name == "N") {
            // Family;Given;Additional;Prefix;Suffix
            auto parts = text::split(cl->value, ";");
            std::string given = parts.size() > 1 ? valueOf(ContentLine{cl->name, cl->params, parts[1]}) : "";
            std::string family = valueOf(ContentLine{cl->name, cl->params, parts[0]});
            structuredName = text::trim(given + " " + family);
        } else if (cl->name == "EMAIL") {
            std::string address = valueOf(*cl);
            // Every "mailto:" in front goes, or a card written back from what was read would lose one more.
            while (text::startsWith(text::lower(address), "mailto:")) address = text::trim(address.substr(7));
            if (!address.empty()) current->emails.push_back(address);
        } else if (cl->name == "UID") {
            current->uid = valueOf(*cl);
        } else if (cl->name == "X-TARNWICK-EX") {
            current->exchangeName = valueOf(*cl);
        } else if (cl->name == "KIND" || cl->name == "X-ADDRESSBOOKSERVER-KIND") {
            current->isGroup = text::iequals(valueOf(*cl), "group");
        }
    }
    finish();
    return contacts;
}

std::vector<std::pair<size_t, size_t>> vcardBlocks(std::string_view text) {
    // The cards begin where parseVCards begins them, so that block n is card n.
    std::vector<size_t> starts;
    for (const auto& line : logicalLines(text)) {
        auto cl = parseLine(line.text);
        if (cl && beginsCard(*cl)) starts.push_back(line.offset);
    }
    std::vector<std::pair<size_t, size_t>> blocks;
    for (size_t i = 0; i < starts.size(); ++i) blocks.emplace_back(starts[i], i + 1 < starts.size() ? starts[i + 1] : text.size());
    return blocks;
}

std::string writeVCard(const VCardContact& contact) {
    std::string out = "BEGIN:VCARD\r\nVERSION:3.0\r\n";
    out += "FN:" + escape(contact.fullName) + "\r\n";
    out += "N:" + escape(contact.fullName) + ";;;;\r\n";
    for (const auto& email : contact.emails) out += "EMAIL;TYPE=INTERNET:" + escape(email) + "\r\n";
    if (!contact.uid.empty()) out += "UID:" + escape(contact.uid) + "\r\n";
    return out + "END:VCARD\r\n";
}

}  // namespace tw::sim
