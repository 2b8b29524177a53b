// Header and MIME structure parsing with hard limits on depth and size, so hostile mail stays cheap.
#include "MimeMessage.h"

#include "TextUtil.h"
#include "TransferDecoding.h"

namespace tarn::engine {

namespace {

constexpr int kMaxDepth = 8;
constexpr size_t kMaxParts = 64;

struct Walker {
    DecodedBody& out;
    size_t maxTextBytes;
    size_t parts = 0;

    void addText(std::string text, bool html) {
        if (out.decodedBytes >= maxTextBytes) return;
        if (text.size() > maxTextBytes - out.decodedBytes) text.resize(maxTextBytes - out.decodedBytes);
        out.decodedBytes += text.size();
        out.texts.push_back({std::move(text), html});
    }

    void walk(const std::vector<HeaderField>& fields, std::string_view body, int depth, bool topLevel);
    void walkMultipart(std::string_view body, const std::string& boundary, int depth);
};

std::string_view nextLine(std::string_view text, size_t& pos) {
    size_t end = text.find('\n', pos);
    std::string_view line = text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    pos = end == std::string_view::npos ? text.size() : end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

void Walker::walkMultipart(std::string_view body, const std::string& boundary, int depth) {
    const std::string delimiter = "--" + boundary;
    size_t pos = 0;
    size_t partStart = std::string_view::npos;
    while (pos < body.size()) {
        size_t lineStart = pos;
        std::string_view line = nextLine(body, pos);
        if (line.size() < delimiter.size() || line.compare(0, delimiter.size(), delimiter) != 0) continue;
        bool closing = line.substr(delimiter.size()).substr(0, 2) == "--";
        if (partStart != std::string_view::npos && parts < kMaxParts) {
            size_t partEnd = lineStart;
            // The line break before a delimiter belongs to the delimiter.
            if (partEnd > partStart && body[partEnd - 1] == '\n') --partEnd;
            if (partEnd > partStart && body[partEnd - 1] == '\r') --partEnd;
            std::string_view part = body.substr(partStart, partEnd - partStart);
            std::string_view partHeaders, partBody;
            splitAtBlankLine(part, partHeaders, partBody);
            // A part that starts with a blank line has no headers of its own.
            if (!part.empty() && (part[0] == '\n' || part.substr(0, 2) == "\r\n")) {
                partHeaders = {};
                partBody = part.substr(part[0] == '\n' ? 1 : 2);
            }
            ++parts;
            walk(parseHeaderFields(partHeaders), partBody, depth + 1, false);
        }
        if (closing) return;
        partStart = pos;
    }
    // An unterminated last part still counts.
    if (partStart != std::string_view::npos && partStart < body.size() && parts < kMaxParts) {
        std::string_view partHeaders, partBody;
        splitAtBlankLine(body.substr(partStart), partHeaders, partBody);
        ++parts;
        walk(parseHeaderFields(partHeaders), partBody, depth + 1, false);
    }
}

void Walker::walk(const std::vector<HeaderField>& fields, std::string_view body, int depth, bool topLevel) {
    std::string_view contentType = findHeader(fields, "Content-Type");
    std::string type = mediaType(contentType);
    std::string charset = toLowerAscii(trim(headerParameter(contentType, "charset")));
    addUnique(out.charsets, charset);

    if (type.rfind("multipart/", 0) == 0 && depth < kMaxDepth) {
        std::string boundary = headerParameter(contentType, "boundary");
        if (!boundary.empty() && body.find("--" + boundary) != std::string_view::npos) {
            walkMultipart(body, boundary, depth);
            return;
        }
        // Promised parts are missing: an already composed text.
        type = "text/plain";
    }
    if (type == "message/rfc822" && depth < kMaxDepth) {
        std::string_view innerHeaders, innerBody;
        splitAtBlankLine(body, innerHeaders, innerBody);
        auto inner = parseHeaderFields(innerHeaders);
        for (const auto& field : inner) {
            if (equalsNoCase(field.name, "Subject")) addText(decodeEncodedWords(field.value, &out.charsets), false);
        }
        walk(inner, innerBody, depth + 1, false);
        return;
    }
    out.mediaTypes.push_back(type);

    std::string fileName = headerParameter(findHeader(fields, "Content-Disposition"), "filename");
    if (fileName.empty()) fileName = headerParameter(contentType, "name");
    if (!fileName.empty()) out.fileNames.push_back(decodeEncodedWords(fileName));

    bool textual = type.rfind("text/", 0) == 0 || (topLevel && type.empty());
    if (!textual) return;

    std::string encoding = toLowerAscii(trim(findHeader(fields, "Content-Transfer-Encoding")));
    std::string decoded;
    if (encoding == "base64" && looksLikeBase64(body)) {
        decoded = decodeBase64(body.substr(0, maxTextBytes / 3 * 4 + 4));
    } else if (encoding == "quoted-printable") {
        decoded = decodeQuotedPrintable(body.substr(0, maxTextBytes + maxTextBytes / 2));
    } else {
        decoded.assign(body.substr(0, maxTextBytes));
    }
    bool html = type == "text/html" || looksLikeHtml(decoded);
    addText(std::move(decoded), html);
}

}  // namespace

std::vector<HeaderField> parseHeaderFields(std::string_view block) {
    std::vector<HeaderField> fields;
    size_t pos = 0;
    while (pos < block.size()) {
        size_t lineStart = pos;
        std::string_view line = nextLine(block, pos);
        if (line.empty()) continue;
        if ((line[0] == ' ' || line[0] == '\t')) {
            // A continuation line extends the previous field's value.
            if (!fields.empty()) {
                const char* valueStart = fields.back().value.data();
                size_t end = lineStart + line.size();
                fields.back().value = std::string_view(valueStart, static_cast<size_t>(block.data() + end - valueStart));
            }
            continue;
        }
        size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0) continue;
        std::string_view name = trim(line.substr(0, colon));
        if (name.empty() || name.find(' ') != std::string_view::npos) continue;
        std::string_view value = line.substr(colon + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
        if (value.empty()) value = std::string_view(line.data() + line.size(), 0);
        fields.push_back({name, value});
    }
    return fields;
}

void splitAtBlankLine(std::string_view raw, std::string_view& headers, std::string_view& body) {
    size_t pos = 0;
    while (pos < raw.size()) {
        size_t lineStart = pos;
        std::string_view line = nextLine(raw, pos);
        if (line.empty()) {
            headers = raw.substr(0, lineStart);
            body = raw.substr(pos);
            return;
        }
    }
    headers = raw;
    body = {};
}

std::string_view findHeader(const std::vector<HeaderField>& fields, std::string_view name) {
    for (const auto& field : fields)
        if (equalsNoCase(field.name, name)) return field.value;
    return {};
}

std::string headerParameter(std::string_view value, std::string_view parameter) {
    size_t pos = 0;
    while ((pos = findNoCase(value, parameter, pos)) != std::string_view::npos) {
        bool boundaryBefore = pos == 0 || value[pos - 1] == ';' || isBlank(value[pos - 1]);
        size_t after = pos + parameter.size();
        while (after < value.size() && isBlank(value[after])) ++after;
        if (!boundaryBefore || after >= value.size() || value[after] != '=') {
            pos += parameter.size();
            continue;
        }
        ++after;
        while (after < value.size() && isBlank(value[after])) ++after;
        if (after < value.size() && value[after] == '"') {
            size_t close = value.find('"', after + 1);
            if (close == std::string_view::npos) close = value.size();
            return std::string(value.substr(after + 1, close - after - 1));
        }
        size_t end = after;
        while (end < value.size() && value[end] != ';' && !isBlank(value[end])) ++end;
        return std::string(value.substr(after, end - after));
    }
    return {};
}

std::string mediaType(std::string_view contentType) {
    std::string_view type = trim(contentType.substr(0, contentType.find(';')));
    if (type.empty()) return "text/plain";
    return toLowerAscii(type);
}

bool looksLikeHtml(std::string_view text) {
    std::string_view head = text.substr(0, 4096);
    return findNoCase(head, "<html") != std::string_view::npos || findNoCase(head, "<body") != std::string_view::npos ||
           findNoCase(head, "<br") != std::string_view::npos || findNoCase(head, "<p>") != std::string_view::npos ||
           findNoCase(head, "<div") != std::string_view::npos || findNoCase(head, "<table") != std::string_view::npos ||
           findNoCase(head, "<font") != std::string_view::npos || findNoCase(head, "<a href") != std::string_view::npos;
}

DecodedBody decodeBody(const std::vector<HeaderField>& fields, std::string_view body, size_t maxTextBytes) {
    DecodedBody out;
    Walker walker{out, maxTextBytes};
    walker.walk(fields, body, 0, true);
    return out;
}

}  // namespace tarn::engine
