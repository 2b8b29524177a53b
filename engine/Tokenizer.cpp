// Header-aware tokens: each header family gets its own token space, URLs are split into host and
// path evidence, HTML adds its tag names, and the MIME skeleton (types, charsets, file types) counts too.
#include "Tokenizer.h"

#include <algorithm>
#include <string>

#include "Hash.h"
#include "HtmlText.h"
#include "MimeMessage.h"
#include "TextUtil.h"
#include "TokenScanner.h"
#include "TransferDecoding.h"

namespace tarn::engine {

namespace {

uint64_t seedOf(std::string_view prefix) { return hashBytes(prefix, 0x51ed27d3a1b2c3f5ULL); }

const uint64_t kBody = seedOf("body:");
const uint64_t kBigram = seedOf("bigram:");
const uint64_t kLongWord = seedOf("skip:");
const uint64_t kSubject = seedOf("subject:");
const uint64_t kHeaderName = seedOf("header:");
const uint64_t kAddress = seedOf("address:");
const uint64_t kDomain = seedOf("domain:");
const uint64_t kReceived = seedOf("received:");
const uint64_t kMessageId = seedOf("message-id:");
const uint64_t kMailer = seedOf("mailer:");
const uint64_t kUrlHost = seedOf("url-host:");
const uint64_t kUrlPath = seedOf("url-path:");
const uint64_t kUrlKind = seedOf("url-kind:");
const uint64_t kTag = seedOf("tag:");
const uint64_t kMediaType = seedOf("media-type:");
const uint64_t kCharset = seedOf("charset:");
const uint64_t kFileType = seedOf("file-type:");
const uint64_t kShape = seedOf("shape:");

constexpr size_t kMaxWordsPerHeader = 40;

}  // namespace

/// Only when explaining a score: finds the text behind a few wanted keys, with the field it came from.
struct Tokenizer::Namer {
    const std::vector<uint64_t>& keys;
    std::vector<std::string> names;
    std::string_view field;  ///< the header field being read; empty in the body

    void offer(uint64_t key, uint64_t seed, std::string_view token) {
        for (size_t i = 0; i < keys.size(); ++i) {
            if (keys[i] != key || !names[i].empty()) continue;
            names[i] = labelOf(seed) + ':';
            for (char c : token) names[i] += c == '\t' || c == '\r' || c == '\n' ? ' ' : c;
        }
    }

    std::string labelOf(uint64_t seed) const {
        static const std::pair<uint64_t, const char*> known[] = {
            {kBody, "body"}, {kSubject, "subject"}, {kHeaderName, "header"}, {kReceived, "received"},
            {kMessageId, "message-id"}, {kMailer, "mailer"}, {kUrlHost, "url-host"}, {kUrlPath, "url-path"},
            {kUrlKind, "url-kind"}, {kTag, "tag"}, {kMediaType, "media-type"}, {kCharset, "charset"},
            {kFileType, "file-type"}, {kShape, "shape"}};
        auto base = [&](uint64_t s) -> std::string {
            for (const auto& [knownSeed, label] : known)
                if (s == knownSeed) return label;
            if (!field.empty() && s == hashBytes(field, kHeaderName)) return std::string(field);
            return {};
        };
        const std::pair<uint64_t, const char*> derived[] = {{0, ""}, {kAddress, "-address"}, {kDomain, "-domain"},
                                                            {kLongWord, "-long"}};
        for (const auto& [mask, suffix] : derived)
            if (std::string label = base(seed ^ mask); !label.empty()) return label + suffix;
        return "?";
    }
};

namespace {

class FeatureSink {
public:
    FeatureSink(std::vector<uint64_t>& out, size_t limit, Tokenizer::Namer* namer)
        : out_(out), limit_(limit), namer_(namer) {}
    void add(uint64_t seed, std::string_view token) {
        const uint64_t h = hashToken(seed, token);
        if (out_.size() < limit_) out_.push_back(h);
        if (namer_) namer_->offer(h, seed, token);
    }
    void addHash(uint64_t h) {
        if (out_.size() < limit_) out_.push_back(h == 0 ? 1 : h);
    }
    bool full() const { return out_.size() >= limit_; }
    Tokenizer::Namer* namer() const { return namer_; }

private:
    std::vector<uint64_t>& out_;
    size_t limit_;
    Tokenizer::Namer* namer_;
};

void addLongWord(FeatureSink& sink, uint64_t seed, char first, size_t length) {
    char shape[8] = {first, ':', static_cast<char>('0' + std::min<size_t>(length / 10, 9))};
    sink.add(seed ^ kLongWord, std::string_view(shape, 3));
}

/// Plain words, plus word pairs from running text where word order carries meaning.
void addWords(FeatureSink& sink, uint64_t seed, std::string_view text, bool pairs, size_t maxWords = SIZE_MAX) {
    uint64_t previous = 0;
    size_t count = 0;
    scanWords(
        text,
        [&](std::string_view word) {
            if (count++ >= maxWords || sink.full()) return;
            uint64_t h = hashToken(seed, word);
            sink.addHash(h);
            if (sink.namer()) sink.namer()->offer(h, seed, word);
            if (pairs && previous) sink.addHash(mix64(previous * 0x9E3779B97F4A7C15ULL + h) ^ kBigram);
            previous = h;
        },
        [&](char first, size_t length) {
            if (count++ >= maxWords) return;
            addLongWord(sink, seed, first, length);
            previous = 0;
        });
}

/// "mail.example.co.uk" gives the host and each of its parent domains down to two labels.
void addHostAndParents(FeatureSink& sink, uint64_t seed, std::string_view host) {
    if (host.empty() || host.size() > 255) return;
    sink.add(seed, host);
    size_t dot = host.find('.');
    int parents = 0;
    while (dot != std::string_view::npos && parents++ < 4) {
        std::string_view parent = host.substr(dot + 1);
        if (parent.find('.') == std::string_view::npos) break;
        sink.add(seed, parent);
        dot = host.find('.', dot + 1);
    }
}

bool isAddressChar(char c) {
    return isWordStart(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_' || c == '+' || c == '=';
}

void addAddresses(FeatureSink& sink, uint64_t fieldSeed, std::string_view value) {
    std::string lowered = toLowerAscii(value);
    std::string_view text = lowered;
    size_t at = 0;
    while ((at = text.find('@', at)) != std::string_view::npos) {
        size_t start = at, end = at + 1;
        while (start > 0 && isAddressChar(text[start - 1])) --start;
        while (end < text.size() && isAddressChar(text[end])) ++end;
        std::string_view address = text.substr(start, end - start);
        std::string_view domain = text.substr(at + 1, end - at - 1);
        while (!domain.empty() && domain.back() == '.') domain.remove_suffix(1);
        if (at > start && !domain.empty()) {
            sink.add(fieldSeed ^ kAddress, address);
            addHostAndParents(sink, fieldSeed ^ kDomain, domain);
        }
        at = end;
    }
    // The display name's words, without the addresses.
    addWords(sink, fieldSeed, text, false, kMaxWordsPerHeader);
}

bool isUrlChar(char c) {
    return c > ' ' && c != '"' && c != '\'' && c != '<' && c != '>' && c != '(' && c != ')' &&
           static_cast<unsigned char>(c) < 0x80;
}

void addUrl(FeatureSink& sink, std::string_view url) {
    std::string lowered = toLowerAscii(url.substr(0, 512));
    std::string_view u = lowered;
    if (startsWithNoCase(u, "mailto:")) {
        sink.add(kUrlKind, "mailto");
        addAddresses(sink, kUrlHost, u.substr(7));
        return;
    }
    size_t scheme = u.find("://");
    if (scheme != std::string_view::npos && scheme < 10) {
        sink.add(kUrlKind, u.substr(0, scheme));
        u.remove_prefix(scheme + 3);
    } else if (!startsWithNoCase(u, "www.")) {
        return;  // relative links say nothing about where the reader is sent
    }
    size_t hostEnd = 0;
    while (hostEnd < u.size() && u[hostEnd] != '/' && u[hostEnd] != '?' && u[hostEnd] != '#') ++hostEnd;
    std::string_view host = u.substr(0, hostEnd);
    if (size_t at = host.rfind('@'); at != std::string_view::npos) {
        sink.add(kUrlKind, "userinfo");  // http://bank.example@elsewhere hides the real host
        host.remove_prefix(at + 1);
    }
    if (size_t colon = host.find(':'); colon != std::string_view::npos) {
        sink.add(kUrlKind, "port");
        host = host.substr(0, colon);
    }
    bool numeric = !host.empty() && std::all_of(host.begin(), host.end(), [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
    if (numeric) sink.add(kUrlKind, "ip-address");
    else addHostAndParents(sink, kUrlHost, host);
    std::string_view rest = u.substr(hostEnd);
    if (rest.find('%') != std::string_view::npos) sink.add(kUrlKind, "escaped");
    addWords(sink, kUrlPath, rest, false, 20);
}

void addUrlsInText(FeatureSink& sink, std::string_view text) {
    size_t pos = 0;
    int found = 0;
    while (found < 100 && pos < text.size()) {
        size_t http = findNoCase(text, "http", pos);
        size_t www = findNoCase(text, "www.", pos);
        size_t start = std::min(http, www);
        if (start == std::string_view::npos) break;
        size_t end = start;
        while (end < text.size() && isUrlChar(text[end])) ++end;
        if (end - start > 7) {
            addUrl(sink, text.substr(start, end - start));
            ++found;
        }
        pos = std::max(end, start + 4);
    }
}

void addLowerCased(FeatureSink& sink, uint64_t seed, std::string_view value, size_t cap = 64) {
    std::string lowered = toLowerAscii(trim(value.substr(0, cap)));
    sink.add(seed, lowered);
}

void sortUnique(std::vector<uint64_t>& features) {
    std::sort(features.begin(), features.end());
    features.erase(std::unique(features.begin(), features.end()), features.end());
}

/// Fields the recipient's own mail client or mailbox writes: they describe where a message is kept,
/// not who sent it, and would teach the store one mailbox's habits.
bool isMailboxBookkeeping(std::string_view name) {
    return name.starts_with("x-mozilla-") || name == "x-uidl" || name == "x-account-key" || name == "status" ||
           name == "x-status" || name == "x-keywords" || name == "content-length" || name == "lines";
}

void tokenizeHeaderField(FeatureSink& sink, const HeaderField& field, bool pairs) {
    char nameBuffer[48];
    size_t nameLength = std::min(field.name.size(), sizeof nameBuffer);
    for (size_t i = 0; i < nameLength; ++i) nameBuffer[i] = lowerAscii(field.name[i]);
    std::string_view name(nameBuffer, nameLength);
    if (isMailboxBookkeeping(name)) return;
    if (sink.namer()) sink.namer()->field = name;
    sink.add(kHeaderName, name);
    const uint64_t fieldSeed = hashBytes(name, kHeaderName);

    if (name == "subject") {
        std::string subject = decodeEncodedWords(field.value);
        addWords(sink, kSubject, subject, pairs, kMaxWordsPerHeader);
        size_t letters = 0, upper = 0;
        for (char c : subject) {
            if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) ++letters;
            if (c >= 'A' && c <= 'Z') ++upper;
        }
        if (letters >= 6 && upper * 10 >= letters * 8) sink.add(kShape, "subject-shouts");
        if (subject.find('!') != std::string::npos) sink.add(kShape, "subject-exclaims");
        if (subject.find("   ") != std::string::npos) sink.add(kShape, "subject-padded");
    } else if (name == "from" || name == "to" || name == "cc" || name == "reply-to" || name == "sender" ||
               name == "return-path" || name == "delivered-to" || name == "errors-to") {
        addAddresses(sink, fieldSeed, decodeEncodedWords(field.value));
    } else if (name == "received") {
        addWords(sink, kReceived, field.value, false, kMaxWordsPerHeader);
    } else if (name == "message-id") {
        std::string_view id = field.value;
        size_t at = id.rfind('@');
        if (at != std::string_view::npos) {
            std::string_view host = id.substr(at + 1);
            host = host.substr(0, host.find('>'));
            addLowerCased(sink, kMessageId, host);
        } else {
            sink.add(kMessageId, "no-host");
        }
    } else if (name == "date") {
        // The time zone says where the sender's clock is; the time itself is noise.
        std::string_view value = trim(field.value);
        size_t blank = value.rfind(' ');
        if (blank != std::string_view::npos) addLowerCased(sink, fieldSeed, value.substr(blank + 1), 8);
    } else if (name == "x-mailer" || name == "user-agent" || name == "x-mimeole") {
        addLowerCased(sink, kMailer, field.value);
        addWords(sink, fieldSeed, field.value, false, kMaxWordsPerHeader);
    } else {
        addWords(sink, fieldSeed, field.value, false, kMaxWordsPerHeader);
    }
}

}  // namespace

void Tokenizer::tokenize(std::string_view headers, std::string_view body, MessageFeatures& features) const {
    run(headers, body, features, nullptr);
}

std::vector<std::string> Tokenizer::nameFeatures(std::string_view headers, std::string_view body,
                                                 const std::vector<uint64_t>& keys) const {
    Namer namer{keys, std::vector<std::string>(keys.size()), {}};
    MessageFeatures features;
    run(headers, body, features, &namer);
    static const char kHex[] = "0123456789abcdef";
    for (size_t i = 0; i < keys.size(); ++i) {
        if (!namer.names[i].empty()) continue;
        namer.names[i] = "#";
        for (int shift = 60; shift >= 0; shift -= 4) namer.names[i] += kHex[(keys[i] >> shift) & 15];
    }
    return std::move(namer.names);
}

void Tokenizer::run(std::string_view headers, std::string_view body, MessageFeatures& features, Namer* namer) const {
    features.header.clear();
    features.body.clear();
    FeatureSink headerSink(features.header, limits_.maxFeatures / 4, namer);
    auto fields = parseHeaderFields(headers.substr(0, limits_.maxHeaderBytes));
    for (const auto& field : fields) tokenizeHeaderField(headerSink, field, limits_.wordPairs);
    sortUnique(features.header);
    if (namer) namer->field = {};

    FeatureSink sink(features.body, limits_.maxFeatures, namer);

    DecodedBody decoded = decodeBody(fields, body, limits_.maxTextBytes);
    for (const auto& type : decoded.mediaTypes) sink.add(kMediaType, type);
    for (const auto& charset : decoded.charsets) sink.add(kCharset, charset);
    for (const auto& fileName : decoded.fileNames) {
        size_t dot = fileName.rfind('.');
        sink.add(kFileType, dot == std::string::npos ? std::string() : toLowerAscii(fileName.substr(dot + 1, 8)));
    }
    if (decoded.texts.empty()) sink.add(kShape, "no-text");
    for (const auto& part : decoded.texts) {
        if (part.html) {
            HtmlText html = htmlToText(part.text);
            sink.add(kShape, "html");
            for (const auto& tag : html.tagNames) sink.add(kTag, tag);
            for (const auto& link : html.links) addUrl(sink, link);
            addWords(sink, kBody, html.text, limits_.wordPairs);
            addUrlsInText(sink, html.text);
        } else {
            addWords(sink, kBody, part.text, limits_.wordPairs);
            addUrlsInText(sink, part.text);
        }
    }
    sortUnique(features.body);
}

}  // namespace tarn::engine
