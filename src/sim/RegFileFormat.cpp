// Reads and writes the registry editor's text format, strictly enough that whatever is written reads back the same.
#include "sim/RegFileFormat.h"

#include <cstdio>
#include <stdexcept>

#include "core/Error.h"
#include "core/Text.h"
#include "sim/Utf16Text.h"

namespace tw::sim::regfile {

using platform::Hive;
using platform::RegValue;
using platform::ValueType;

namespace {

constexpr long kCorruptRegistry = 1009;  // the number Windows gives a registry file it cannot read

struct HiveName {
    Hive hive;
    const char* name;
};
constexpr HiveName kHives[] = {
    {Hive::ClassesRoot, "HKEY_CLASSES_ROOT"},
    {Hive::CurrentUser, "HKEY_CURRENT_USER"},
    {Hive::LocalMachine, "HKEY_LOCAL_MACHINE"},
    {Hive::Users, "HKEY_USERS"},
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimView(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// 1 to 8 hex digits as a number; nothing for anything else.
bool parseHexNumber(std::string_view s, uint32_t& out) {
    if (s.empty() || s.size() > 8) return false;
    out = 0;
    for (char c : s) {
        int d = hexDigit(c);
        if (d < 0) return false;
        out = (out << 4) | static_cast<uint32_t>(d);
    }
    return true;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && text::iequals(s.substr(0, prefix.size()), prefix);
}

std::string quoted(std::string_view s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

std::string hexList(std::string prefix, const std::vector<uint8_t>& bytes) {
    static const char* const digits = "0123456789abcdef";
    std::string out = std::move(prefix);
    size_t lineLength = out.size();
    for (size_t i = 0; i < bytes.size(); ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 0xF];
        lineLength += 2;
        if (i + 1 == bytes.size()) break;
        out += ',';
        ++lineLength;
        // Wrap as the registry editor does, so lines stay under 80 characters.
        if (lineLength > 76) {
            out += "\\\r\n  ";
            lineLength = 2;
        }
    }
    return out;
}

bool needsHexString(std::string_view s) { return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos; }

std::string decodeText(const std::vector<uint8_t>& bytes) {
    std::u16string units = bytesToUtf16(bytes);
    if (!units.empty() && units.back() == 0) units.pop_back();
    return utf16ToUtf8(units);
}

// Turns a file's bytes into UTF-8 text.
std::string toUtf8(std::string_view raw, const std::string& origin) {
    if (raw.size() >= 2 && static_cast<unsigned char>(raw[0]) == 0xFF && static_cast<unsigned char>(raw[1]) == 0xFE) {
        if (raw.size() % 2 != 0)
            throw Error(kCorruptRegistry, "SimRegistry", origin + ": UTF-16 text with an odd number of bytes");
        std::vector<uint8_t> bytes(raw.begin() + 2, raw.end());
        return utf16ToUtf8(bytesToUtf16(bytes));
    }
    if (raw.size() >= 3 && raw.substr(0, 3) == "\xEF\xBB\xBF") raw.remove_prefix(3);
    return std::string(raw);
}

class Parser {
public:
    Parser(std::string_view text, const std::string& origin) : origin_(origin) {
        std::string utf8 = toUtf8(text, origin);
        lines_ = text::split(utf8, "\n");
        // The line break that ends the last line does not start another one.
        if (lines_.size() > 1 && lines_.back().empty()) lines_.pop_back();
        for (auto& line : lines_)
            if (!line.empty() && line.back() == '\r') line.pop_back();
    }

    std::vector<Edit> run() {
        if (trimView(lines_[0]) != kHeader) fail(0, "expected the header \"" + std::string(kHeader) + "\"");
        for (line_ = 1; line_ < lines_.size(); ++line_) {
            std::string_view line = trimView(lines_[line_]);
            if (line.empty() || line.front() == ';') continue;
            if (line.front() == '[') section(line);
            else if (line.front() == '"' || line.front() == '@') valueLine(line);
            else fail(line_, "expected \"name\"=value or a [key] line");
        }
        return std::move(edits_);
    }

private:
    [[noreturn]] void fail(size_t lineIndex, const std::string& what) const {
        throw Error(kCorruptRegistry, "SimRegistry", origin_ + " line " + std::to_string(lineIndex + 1) + ": " + what);
    }

    void section(std::string_view line) {
        if (line.back() != ']' || line.size() < 2) fail(line_, "expected ']' at the end of the key line");
        std::string_view inner = line.substr(1, line.size() - 2);
        bool deletion = !inner.empty() && inner.front() == '-';
        if (deletion) inner.remove_prefix(1);
        std::vector<std::string> parts = text::split(inner, "\\");
        if (parts.size() > 1 && parts.back().empty()) parts.pop_back();

        Edit edit;
        bool known = false;
        for (const auto& h : kHives)
            if (text::iequals(parts[0], h.name)) {
                edit.hive = h.hive;
                known = true;
            }
        if (!known) fail(line_, "unknown root key \"" + parts[0] + "\"");
        edit.keyPath.assign(parts.begin() + 1, parts.end());
        for (const auto& part : edit.keyPath)
            if (part.empty()) fail(line_, "empty key name in \"" + std::string(inner) + "\"");
        if (deletion && edit.keyPath.empty()) fail(line_, "a whole root key cannot be deleted");
        edit.kind = deletion ? Edit::Kind::DeleteTree : Edit::Kind::CreateKey;
        current_ = edit;
        inDeletedKey_ = deletion;
        haveKey_ = true;
        edits_.push_back(std::move(edit));
    }

    // Reads a quoted text at s[pos] and moves pos past its closing quote.
    std::string quotedText(std::string_view s, size_t& pos) const {
        std::string out;
        for (++pos; pos < s.size(); ++pos) {
            char c = s[pos];
            if (c == '"') {
                ++pos;
                return out;
            }
            if (c == '\\') {
                if (pos + 1 >= s.size()) break;
                char next = s[++pos];
                if (next != '\\' && next != '"') fail(line_, std::string("unknown escape \"\\") + next + "\" in a quoted text");
                out += next;
            } else {
                out += c;
            }
        }
        fail(line_, "missing closing quote");
    }

    void valueLine(std::string_view line) {
        if (!haveKey_) fail(line_, "value outside any [key] section");
        if (inDeletedKey_) fail(line_, "value under a deleted key");
        size_t start = line_;
        Edit edit = current_;
        size_t pos = 0;
        if (line.front() == '@') pos = 1;
        else edit.valueName = quotedText(line, pos);
        while (pos < line.size() && isBlank(line[pos])) ++pos;
        if (pos >= line.size() || line[pos] != '=') fail(start, "expected \"name\"=value");
        std::string_view data = trimView(line.substr(pos + 1));

        if (!data.empty() && data.front() == '"') {
            size_t at = 0;
            edit.kind = Edit::Kind::SetValue;
            edit.value = RegValue::ofString(quotedText(data, at));
            if (!trimView(data.substr(at)).empty()) fail(start, "unexpected text after the closing quote");
        } else if (data == "-") {
            edit.kind = Edit::Kind::DeleteValue;
        } else if (startsWithNoCase(data, "dword:")) {
            uint32_t number = 0;
            if (!parseHexNumber(data.substr(6), number)) fail(start, "expected up to 8 hex digits after dword:");
            edit.kind = Edit::Kind::SetValue;
            edit.value = RegValue::ofDword(number);
        } else if (startsWithNoCase(data, "hex")) {
            edit.kind = Edit::Kind::SetValue;
            edit.value = hexValue(data.substr(3), start);
        } else {
            fail(start, "unrecognised value data \"" + std::string(data) + "\"");
        }
        edits_.push_back(std::move(edit));
    }

    // The part after "hex": an optional "(type)", a colon, and comma-separated bytes that may
    // continue on following lines after a trailing backslash.
    RegValue hexValue(std::string_view rest, size_t start) {
        uint32_t type = static_cast<uint32_t>(ValueType::Binary);
        if (!rest.empty() && rest.front() == '(') {
            size_t close = rest.find(')');
            if (close == std::string_view::npos || !parseHexNumber(rest.substr(1, close - 1), type))
                fail(start, "expected hex(type): with the type in hex digits");
            rest.remove_prefix(close + 1);
        }
        if (rest.empty() || rest.front() != ':') fail(start, "expected ':' after hex");
        rest.remove_prefix(1);

        // The pieces are joined into one list; pieceStarts remembers where each line's piece begins
        // so that a bad byte is reported on its own line.
        std::string joined;
        std::vector<std::pair<size_t, size_t>> pieceStarts;  // offset in joined, line index
        std::string_view piece = rest;
        for (;;) {
            pieceStarts.emplace_back(joined.size(), line_);
            piece = trimView(piece);
            if (piece.empty() || piece.back() != '\\') {
                joined += piece;
                break;
            }
            piece.remove_suffix(1);
            joined += piece;
            if (line_ + 1 >= lines_.size()) fail(start, "hex data continues past the end of the file");
            piece = lines_[++line_];
        }
        auto lineAt = [&](size_t offset) {
            size_t line = start;
            for (const auto& [pieceOffset, pieceLine] : pieceStarts)
                if (pieceOffset <= offset) line = pieceLine;
            return line;
        };

        std::vector<uint8_t> bytes;
        if (!trimView(joined).empty()) {
            size_t itemStart = 0;
            for (;;) {
                size_t comma = joined.find(',', itemStart);
                std::string_view item = std::string_view(joined).substr(itemStart, comma == std::string::npos ? std::string::npos : comma - itemStart);
                std::string_view b = trimView(item);
                uint32_t value = 0;
                if (b.size() > 2 || !parseHexNumber(b, value))
                    fail(lineAt(itemStart), "expected a hex byte, found \"" + std::string(b) + "\"");
                bytes.push_back(static_cast<uint8_t>(value));
                if (comma == std::string::npos) break;
                itemStart = comma + 1;
            }
        }
        try {
            return valueFromBytes(static_cast<ValueType>(type), bytes);
        } catch (const std::invalid_argument& e) {
            fail(start, e.what());
        }
    }

    std::string origin_;
    std::vector<std::string> lines_;
    size_t line_ = 0;
    std::vector<Edit> edits_;
    Edit current_;
    bool haveKey_ = false;
    bool inDeletedKey_ = false;
};

}  // namespace

std::vector<Edit> parse(std::string_view text, const std::string& origin) { return Parser(text, origin).run(); }

std::string hiveName(Hive hive) {
    for (const auto& h : kHives)
        if (h.hive == hive) return h.name;
    return "HKEY_" + std::to_string(static_cast<uint32_t>(hive));
}

std::vector<uint8_t> valueBytes(const RegValue& value) {
    switch (value.type) {
    case ValueType::String:
    case ValueType::ExpandString: {
        std::u16string units = utf8ToUtf16(value.text);
        units += u'\0';
        return utf16ToBytes(units);
    }
    case ValueType::MultiString: {
        std::u16string units;
        for (const auto& s : value.strings) {
            units += utf8ToUtf16(s);
            units += u'\0';
        }
        units += u'\0';
        return utf16ToBytes(units);
    }
    case ValueType::Dword:
        return {static_cast<uint8_t>(value.dword), static_cast<uint8_t>(value.dword >> 8),
                static_cast<uint8_t>(value.dword >> 16), static_cast<uint8_t>(value.dword >> 24)};
    default:
        return value.bytes;
    }
}

RegValue valueFromBytes(ValueType type, const std::vector<uint8_t>& bytes) {
    switch (type) {
    case ValueType::String:
    case ValueType::ExpandString:
    case ValueType::MultiString:
        if (bytes.size() % 2 != 0) throw std::invalid_argument("UTF-16 text with an odd number of bytes");
        break;
    case ValueType::Dword:
        if (bytes.size() != 4) throw std::invalid_argument("a 32-bit number needs exactly 4 bytes");
        break;
    default:
        break;
    }
    switch (type) {
    case ValueType::String:
        return RegValue::ofString(decodeText(bytes));
    case ValueType::ExpandString:
        return RegValue::ofExpandString(decodeText(bytes));
    case ValueType::MultiString: {
        // Each text ends in NUL and the list in one more; a list missing its last NULs still reads.
        std::u16string units = bytesToUtf16(bytes);
        if (!units.empty() && units.back() == 0) units.pop_back();
        if (units.empty()) return RegValue::ofMultiString({});
        if (units.back() == 0) units.pop_back();
        std::vector<std::string> strings;
        size_t begin = 0;
        for (;;) {
            size_t nul = units.find(u'\0', begin);
            strings.push_back(utf16ToUtf8(std::u16string_view(units).substr(begin, nul - begin)));
            if (nul == std::u16string::npos) break;
            begin = nul + 1;
        }
        return RegValue::ofMultiString(std::move(strings));
    }
    case ValueType::Dword:
        return RegValue::ofDword(static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                                 static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24);
    default: {
        RegValue v;
        v.type = type;
        v.bytes = bytes;
        return v;
    }
    }
}

std::string formatValue(const std::string& name, const RegValue& value) {
    std::string prefix = name.empty() ? "@=" : quoted(name) + "=";
    switch (value.type) {
    case ValueType::String:
        if (needsHexString(value.text)) return hexList(prefix + "hex(1):", valueBytes(value));
        return prefix + quoted(value.text);
    case ValueType::Dword: {
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", static_cast<unsigned>(value.dword));
        return prefix + buf;
    }
    case ValueType::Binary:
        return hexList(prefix + "hex:", value.bytes);
    default: {
        char buf[24];
        std::snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(value.type));
        return hexList(prefix + buf, valueBytes(value));
    }
    }
}

}  // namespace tw::sim::regfile
