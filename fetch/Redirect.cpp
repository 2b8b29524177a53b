// Resolving a Location header and the rule for which redirects the library follows.
#include "Redirect.h"

#include <algorithm>
#include <cctype>

namespace tarn::fetch {

namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

struct Address {
    std::string scheme;     // lower case; empty when the text is no absolute address
    std::string authority;  // as written: user information, host and port
    std::string host;       // lower case, without brackets or port
    std::string path;       // from the first "/", "?" or "#" on; may be empty
};

Address parse(const std::string& url) {
    Address a;
    size_t colon = url.find("://");
    if (colon == std::string::npos || colon == 0 || url.find_first_of("/?#") < colon) return a;
    a.scheme = lower(url.substr(0, colon));
    size_t start = colon + 3;
    size_t end = url.find_first_of("/?#", start);
    a.authority = url.substr(start, end == std::string::npos ? std::string::npos : end - start);
    a.path = end == std::string::npos ? "" : url.substr(end);
    std::string rest = a.authority;
    if (size_t at = rest.rfind('@'); at != std::string::npos) rest = rest.substr(at + 1);
    if (!rest.empty() && rest[0] == '[') {
        a.host = rest.substr(1, rest.find(']') - 1);
    } else {
        a.host = rest.substr(0, rest.find(':'));
    }
    a.host = lower(a.host);
    return a;
}

bool isWeb(const std::string& scheme) { return scheme == "http" || scheme == "https"; }

std::string trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

std::string resolveLocation(const std::string& from, const std::string& location) {
    const std::string target = trimmed(location);
    const Address base = parse(from);
    if (target.empty() || !isWeb(base.scheme)) return {};
    if (Address absolute = parse(target); !absolute.scheme.empty()) return isWeb(absolute.scheme) ? target : "";
    if (target.rfind("//", 0) == 0) return base.scheme + ":" + target;
    const std::string origin = base.scheme + "://" + base.authority;
    const std::string basePath = base.path.substr(0, base.path.find_first_of("?#"));
    if (target[0] == '/') return origin + target;
    if (target[0] == '?') return origin + (basePath.empty() ? "/" : basePath) + target;
    // A scheme-less text with a colon before any slash ("mailto:x") is no web address.
    if (size_t colon = target.find(':'); colon != std::string::npos && colon < target.find_first_of("/?#")) return {};
    const size_t slash = basePath.rfind('/');
    return origin + (slash == std::string::npos ? "/" : basePath.substr(0, slash + 1)) + target;
}

bool redirectAllowed(const std::string& from, const std::string& to) {
    const Address a = parse(from), b = parse(to);
    if (!isWeb(a.scheme) || !isWeb(b.scheme) || b.host.empty()) return false;
    if (a.scheme == "https" && b.scheme == "http") return false;
    // User information in the new address could pass another host off as this one.
    if (b.authority.find('@') != std::string::npos) return false;
    return a.host == b.host;
}

}  // namespace tarn::fetch
