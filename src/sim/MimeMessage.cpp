// Parsing and composing Internet messages with GMime; header blocks are split by hand so that the
// transport headers keep every byte as it arrived.
#include "sim/MimeMessage.h"

#include <gmime/gmime.h>
#include <iconv.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <mutex>

#include "core/Text.h"

namespace tw::sim {

namespace {

constexpr int olTo = 1, olCC = 2, olBCC = 3;

void initMime() {
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
}

/// Owns one GObject reference.
template <typename T>
class GRef {
public:
    explicit GRef(T* object = nullptr) : object_(object) {}
    ~GRef() {
        if (object_) g_object_unref(object_);
    }
    GRef(const GRef&) = delete;
    GRef& operator=(const GRef&) = delete;
    T* get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    T* object_;
};

bool isFieldLine(std::string_view line) {
    size_t colon = line.find(':');
    if (colon == 0 || colon == std::string_view::npos) return false;
    for (size_t i = 0; i < colon; ++i) {
        auto c = static_cast<unsigned char>(line[i]);
        if (c < 33 || c > 126) return false;
    }
    return true;
}

/// Where the header block starts and ends, and where the body starts.
struct HeaderBlock {
    std::vector<std::string_view> lines;
    size_t bodyOffset = 0;
};

HeaderBlock splitHeaderBlock(std::string_view raw) {
    HeaderBlock block;
    size_t pos = 0;
    if (raw.substr(0, 5) == "From ") {
        size_t nl = raw.find('\n');
        pos = nl == std::string_view::npos ? raw.size() : nl + 1;
    }
    const size_t start = pos;
    while (pos < raw.size()) {
        size_t nl = raw.find('\n', pos);
        size_t end = nl == std::string_view::npos ? raw.size() : nl;
        std::string_view line = raw.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        size_t next = nl == std::string_view::npos ? raw.size() : nl + 1;
        if (line.empty()) {
            block.bodyOffset = next;
            return block;
        }
        bool continuation = line[0] == ' ' || line[0] == '\t';
        if ((continuation && block.lines.empty()) || (!continuation && !isFieldLine(line))) {
            // Not a header: the block ends here and this line already belongs to the body.
            block.bodyOffset = block.lines.empty() ? start : pos;
            return block;
        }
        block.lines.push_back(line);
        pos = next;
    }
    block.bodyOffset = block.lines.empty() ? start : raw.size();
    return block;
}

GMimeMessage* parseMessage(std::string_view bytes) {
    initMime();
    GRef<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(bytes.data(), bytes.size()));
    GRef<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
    g_mime_parser_set_format(parser.get(), GMIME_FORMAT_MESSAGE);
    return g_mime_parser_construct_message(parser.get(), nullptr);
}

void collectAddresses(InternetAddressList* list, std::vector<MailAddress>& out, int depth = 0) {
    if (!list || depth > 8) return;
    int count = internet_address_list_length(list);
    for (int i = 0; i < count; ++i) {
        InternetAddress* address = internet_address_list_get_address(list, i);
        if (INTERNET_ADDRESS_IS_MAILBOX(address)) {
            const char* addr = internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(address));
            const char* name = internet_address_get_name(address);
            out.push_back({name ? name : "", addr ? addr : ""});
        } else if (INTERNET_ADDRESS_IS_GROUP(address)) {
            collectAddresses(internet_address_group_get_members(INTERNET_ADDRESS_GROUP(address)), out, depth + 1);
        }
    }
}

/// The end of the RFC 2047 encoded word "=?charset?B|Q?text?=" at `at`, or npos when none starts there.
size_t encodedWordEnd(std::string_view text, size_t at) {
    if (text.compare(at, 2, "=?") != 0) return std::string_view::npos;
    size_t charsetEnd = text.find('?', at + 2);
    if (charsetEnd == std::string_view::npos || charsetEnd == at + 2 || charsetEnd + 2 >= text.size()) return std::string_view::npos;
    char encoding = static_cast<char>(std::toupper(static_cast<unsigned char>(text[charsetEnd + 1])));
    if ((encoding != 'B' && encoding != 'Q') || text[charsetEnd + 2] != '?') return std::string_view::npos;
    size_t close = text.find("?=", charsetEnd + 3);
    if (close == std::string_view::npos) return std::string_view::npos;
    for (size_t i = at + 2; i < close; ++i)
        if (std::isspace(static_cast<unsigned char>(text[i]))) return std::string_view::npos;
    return close + 2;
}

std::string decodeText(const std::string& text) {
    char* decoded = g_mime_utils_header_decode_text(nullptr, text.c_str());
    std::string out = decoded ? decoded : "";
    g_free(decoded);
    return out;
}

/// An unstructured header value decoded one encoded word at a time. The library joins the
/// payloads of neighbouring words in the same character set before decoding them, which loses
/// everything after a word that ends in base64 padding ("=?UTF-8?B?YWI=?= =?UTF-8?B?Y2Q=?=" gave
/// "ab"), and most mailers pad every word.
std::string decodeHeaderText(std::string_view raw) {
    std::string value;
    for (char c : raw)
        if (c != '\r' && c != '\n') value += c;
    std::string out, plain;
    bool afterWord = false;
    size_t i = 0;
    while (i < value.size()) {
        size_t end = encodedWordEnd(value, i);
        if (end == std::string_view::npos) {
            plain += value[i++];
            continue;
        }
        // White space between two encoded words is not part of the text.
        bool onlySpace = plain.find_first_not_of(" \t") == std::string::npos;
        if (!(afterWord && onlySpace)) out += decodeText(plain);
        plain.clear();
        out += decodeText(value.substr(i, end - i));
        afterWord = true;
        i = end;
    }
    out += decodeText(plain);
    return text::trim(out);
}

std::string subjectOf(GMimeMessage* message) {
    GMimeHeaderList* list = g_mime_object_get_header_list(GMIME_OBJECT(message));
    GMimeHeader* header = list ? g_mime_header_list_get_header(list, "Subject") : nullptr;
    const char* raw = header ? g_mime_header_get_raw_value(header) : nullptr;
    if (raw) return decodeHeaderText(raw);
    const char* subject = g_mime_message_get_subject(message);
    return subject ? subject : "";
}

std::string bytesOf(GMimeStream* stream) {
    GByteArray* array = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream));
    return array ? std::string(reinterpret_cast<const char*>(array->data), array->len) : std::string();
}

std::string decodedContent(GMimePart* part) {
    GMimeDataWrapper* content = g_mime_part_get_content(part);
    if (!content) return {};
    GRef<GMimeStream> out(g_mime_stream_mem_new());
    g_mime_data_wrapper_write_to_stream(content, out.get());
    return bytesOf(out.get());
}

std::string messageText(GMimeMessage* message) {
    GRef<GMimeStream> out(g_mime_stream_mem_new());
    g_mime_object_write_to_stream(GMIME_OBJECT(message), nullptr, out.get());
    return bytesOf(out.get());
}

std::string latin1ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

/// GLib refuses any NUL byte, which UTF-8 allows: text with one was taken for ISO-8859-1 and its
/// UTF-8 characters doubly encoded. A NUL here only separates the parts validated.
bool isUtf8(std::string_view bytes) {
    for (size_t start = 0;;) {
        size_t nul = bytes.find('\0', start);
        size_t end = nul == std::string_view::npos ? bytes.size() : nul;
        if (!g_utf8_validate(bytes.data() + start, static_cast<gssize>(end - start), nullptr)) return false;
        if (nul == std::string_view::npos) return true;
        start = nul + 1;
    }
}

struct BodyWalk {
    MessageBodies* bodies;
};

void visitPart(GMimeObject* /*parent*/, GMimeObject* part, gpointer data) {
    auto* bodies = static_cast<BodyWalk*>(data)->bodies;
    if (GMIME_IS_MESSAGE_PART(part)) {
        GMimeMessage* inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(part));
        MailAttachment attachment;
        attachment.embeddedMessage = true;
        if (inner) {
            const char* subject = g_mime_message_get_subject(inner);
            attachment.fileName = subject ? subject : "";
            attachment.content = messageText(inner);
        }
        bodies->attachments.push_back(std::move(attachment));
        return;
    }
    if (!GMIME_IS_PART(part)) return;  // a multipart: its children are visited on their own
    GMimeContentType* type = g_mime_object_get_content_type(part);
    GMimeContentDisposition* disposition = g_mime_object_get_content_disposition(part);
    const char* fileName = g_mime_part_get_filename(GMIME_PART(part));
    bool attached = (disposition && g_mime_content_disposition_is_attachment(disposition)) || fileName;
    bool plain = type && g_mime_content_type_is_type(type, "text", "plain");
    bool html = type && g_mime_content_type_is_type(type, "text", "html");
    if (!attached && ((plain && bodies->plain.empty()) || (html && bodies->html.empty()))) {
        const char* charset = g_mime_object_get_content_type_parameter(part, "charset");
        std::string text = toUtf8(decodedContent(GMIME_PART(part)), charset ? charset : "");
        (plain ? bodies->plain : bodies->html) = std::move(text);
        return;
    }
    MailAttachment attachment;
    attachment.fileName = fileName ? fileName : "";
    attachment.content = decodedContent(GMIME_PART(part));
    bodies->attachments.push_back(std::move(attachment));
}

GMimeAddressType addressType(int recipientType) {
    if (recipientType == olCC) return GMIME_ADDRESS_TYPE_CC;
    if (recipientType == olBCC) return GMIME_ADDRESS_TYPE_BCC;
    return GMIME_ADDRESS_TYPE_TO;
}

GMimeObject* textPart(const char* subtype, const std::string& text) {
    GMimeTextPart* part = g_mime_text_part_new_with_subtype(subtype);
    g_mime_text_part_set_text(part, text.c_str());
    g_mime_part_set_content_encoding(
        GMIME_PART(part), g_mime_part_get_best_content_encoding(GMIME_PART(part), GMIME_ENCODING_CONSTRAINT_7BIT));
    return GMIME_OBJECT(part);
}

GMimeObject* attachmentPart(const MailAttachment& attachment) {
    if (attachment.embeddedMessage) {
        if (GMimeMessage* inner = parseMessage(attachment.content)) {
            GMimeMessagePart* part = g_mime_message_part_new_with_message("rfc822", inner);
            g_object_unref(inner);
            return GMIME_OBJECT(part);
        }
    }
    GMimePart* part = g_mime_part_new_with_type("application", "octet-stream");
    GRef<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(attachment.content.data(), attachment.content.size()));
    GRef<GMimeDataWrapper> wrapper(g_mime_data_wrapper_new_with_stream(stream.get(), GMIME_CONTENT_ENCODING_DEFAULT));
    g_mime_part_set_content(part, wrapper.get());
    g_mime_part_set_content_encoding(part, GMIME_CONTENT_ENCODING_BASE64);
    if (!attachment.fileName.empty()) g_mime_part_set_filename(part, attachment.fileName.c_str());
    return GMIME_OBJECT(part);
}

}  // namespace

RawKind classifyRaw(std::string_view raw) {
    if (raw.empty()) return RawKind::Empty;
    if (!splitHeaderBlock(raw).lines.empty()) return RawKind::Message;
    // Without headers, text is still a (headerless) message; bytes that are mostly not text are not.
    std::string_view head = raw.substr(0, 8192);
    size_t odd = 0;
    for (char ch : head) {
        auto c = static_cast<unsigned char>(ch);
        if (c == 0) return RawKind::Binary;
        if (c < 32 && c != '\n' && c != '\r' && c != '\t' && c != '\f') ++odd;
    }
    return odd * 10 > head.size() ? RawKind::Binary : RawKind::Message;
}

MessageHeaders parseHeaders(std::string_view raw) {
    MessageHeaders headers;
    HeaderBlock block = splitHeaderBlock(raw);
    if (block.lines.empty()) return headers;
    headers.hasHeaders = true;
    for (auto line : block.lines) {
        headers.transportHeaders.append(line);
        headers.transportHeaders += "\r\n";
    }
    GRef<GMimeMessage> message(parseMessage(headers.transportHeaders + "\r\n"));
    if (!message) return headers;
    headers.subject = toUtf8(subjectOf(message.get()), "utf-8");
    std::vector<MailAddress> from;
    collectAddresses(g_mime_message_get_from(message.get()), from);
    if (from.empty()) collectAddresses(g_mime_message_get_sender(message.get()), from);
    if (!from.empty()) headers.sender = from.front();
    const std::pair<GMimeAddressType, int> kinds[] = {
        {GMIME_ADDRESS_TYPE_TO, olTo}, {GMIME_ADDRESS_TYPE_CC, olCC}, {GMIME_ADDRESS_TYPE_BCC, olBCC}};
    for (const auto& [gmimeType, type] : kinds) {
        std::vector<MailAddress> list;
        collectAddresses(g_mime_message_get_addresses(message.get(), gmimeType), list);
        for (auto& who : list) headers.recipients.push_back({std::move(who), type});
    }
    if (GDateTime* date = g_mime_message_get_date(message.get()))
        headers.date = OleDate::fromUnixSeconds(g_date_time_to_unix(date));
    for (auto line : block.lines) {
        bool calendar = (text::startsWith(text::lower(line.substr(0, 14)), "content-class:") && text::icontains(line, "calendarmessage")) ||
                        (text::startsWith(text::lower(line.substr(0, 13)), "content-type:") && text::icontains(line, "text/calendar"));
        if (calendar) headers.messageClass = "IPM.Schedule.Meeting.Request";
    }
    return headers;
}

MessageBodies parseBodies(std::string_view raw) {
    MessageBodies bodies;
    HeaderBlock block = splitHeaderBlock(raw);
    std::string_view rest = raw.substr(std::min(block.bodyOffset, raw.size()));
    if (!block.lines.empty()) {
        size_t start = raw.substr(0, 5) == "From " ? raw.find('\n') + 1 : 0;
        GRef<GMimeMessage> message(parseMessage(raw.substr(start)));
        if (message) {
            BodyWalk walk{&bodies};
            g_mime_message_foreach(message.get(), visitPart, &walk);
        }
    }
    // A structure that yielded no text at all (no headers, a boundary that never comes) still
    // shows the user what was sent.
    if (bodies.plain.empty() && bodies.html.empty() && bodies.attachments.empty()) bodies.plain = toUtf8(rest, "");
    if (bodies.plain.empty() && !bodies.html.empty()) bodies.plain = htmlToText(bodies.html);
    return bodies;
}

std::string composeMessage(const ComposedMessage& composed) {
    initMime();
    GRef<GMimeMessage> message(g_mime_message_new(TRUE));
    g_mime_message_add_mailbox(message.get(), GMIME_ADDRESS_TYPE_FROM, composed.from.name.c_str(),
                               composed.from.address.c_str());
    for (const auto& r : composed.recipients)
        g_mime_message_add_mailbox(message.get(), addressType(r.type), r.who.name.c_str(), r.who.address.c_str());
    g_mime_message_set_subject(message.get(), composed.subject.c_str(), "utf-8");
    GDateTime* date = g_date_time_new_from_unix_utc(composed.date.toUnixSeconds());
    g_mime_message_set_date(message.get(), date);
    g_date_time_unref(date);

    GMimeObject* body = textPart("plain", composed.plain);
    if (!composed.html.empty()) {
        GMimeMultipart* alternative = g_mime_multipart_new_with_subtype("alternative");
        g_mime_multipart_add(alternative, body);
        g_object_unref(body);
        GMimeObject* html = textPart("html", composed.html);
        g_mime_multipart_add(alternative, html);
        g_object_unref(html);
        body = GMIME_OBJECT(alternative);
    }
    if (!composed.attachments.empty()) {
        GMimeMultipart* mixed = g_mime_multipart_new_with_subtype("mixed");
        g_mime_multipart_add(mixed, body);
        g_object_unref(body);
        for (const auto& attachment : composed.attachments) {
            GMimeObject* part = attachmentPart(attachment);
            g_mime_multipart_add(mixed, part);
            g_object_unref(part);
        }
        body = GMIME_OBJECT(mixed);
    }
    g_mime_message_set_mime_part(message.get(), body);
    g_object_unref(body);
    return messageText(message.get());
}

std::string toUtf8(std::string_view bytes, std::string_view charset) {
    std::string name = text::lower(text::trim(charset));
    if (name.empty() || name == "us-ascii" || name == "utf-8" || name == "utf8")
        return isUtf8(bytes) ? std::string(bytes) : latin1ToUtf8(bytes);
    initMime();
    iconv_t cd = g_mime_iconv_open("UTF-8", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return isUtf8(bytes) ? std::string(bytes) : latin1ToUtf8(bytes);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    std::string input(bytes);
    char* in = input.data();
    size_t inLeft = input.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t done = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        if (done != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // An invalid or cut-off sequence: mark it and go on with the next byte.
        out += "\xEF\xBF\xBD";
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
    g_mime_iconv_close(cd);
    return out;
}

std::string htmlToText(std::string_view html) {
    std::string out;
    size_t i = 0;
    while (i < html.size()) {
        char c = html[i];
        if (c == '<') {
            size_t end = html.find('>', i);
            if (end == std::string_view::npos) break;
            std::string tag = text::lower(html.substr(i + 1, std::min<size_t>(end - i - 1, 10)));
            std::string name;
            for (char t : tag) {
                if (!std::isalnum(static_cast<unsigned char>(t)) && t != '/') break;
                name += t;
            }
            if (name == "script" || name == "style") {
                size_t close = text::lower(html.substr(end)).find("</" + name);
                end = close == std::string::npos ? html.size() - 1 : html.find('>', end + close);
                if (end == std::string_view::npos) break;
            } else if (name == "br" || name == "p" || name == "/p" || name == "div" || name == "/div" || name == "tr" ||
                       name == "li") {
                out += "\r\n";
            }
            i = end + 1;
        } else if (c == '&') {
            size_t end = html.find(';', i);
            std::string entity = end == std::string_view::npos || end - i > 10 ? "" : text::lower(html.substr(i + 1, end - i - 1));
            const std::pair<const char*, const char*> named[] = {
                {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}, {"nbsp", " "}};
            bool done = false;
            for (const auto& [key, value] : named) {
                if (entity == key) {
                    out += value;
                    done = true;
                }
            }
            if (!done && entity.size() > 1 && entity[0] == '#') {
                long code = entity[1] == 'x' ? std::strtol(entity.c_str() + 2, nullptr, 16) : std::strtol(entity.c_str() + 1, nullptr, 10);
                if (code > 0 && code < 0x110000) {
                    char utf8[8] = {};
                    int n = g_unichar_to_utf8(static_cast<gunichar>(code), utf8);
                    out.append(utf8, static_cast<size_t>(n));
                    done = true;
                }
            }
            if (done) {
                i = end + 1;
            } else {
                out += c;
                ++i;
            }
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

MailAddress parseMailAddress(std::string_view textIn) {
    std::string t = text::trim(textIn);
    size_t open = t.rfind('<');
    size_t close = t.rfind('>');
    if (open != std::string::npos && close != std::string::npos && close > open) {
        std::string name = text::trim(t.substr(0, open));
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
        return {name, text::trim(t.substr(open + 1, close - open - 1))};
    }
    return {"", t};
}

}  // namespace tw::sim
