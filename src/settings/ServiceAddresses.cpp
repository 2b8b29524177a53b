// Builds the add-in's outside addresses from the string table and the service host, honouring a registry override.
#include "settings/ServiceAddresses.h"

#include <exception>
#include <optional>

#include "core/ProductVersion.h"
#include "core/StringTable.h"
#include "core/Text.h"
#include "platform/Registry.h"

namespace tw::settings {

namespace {

constexpr int kReleaseInfoAddressId = 137;
constexpr int kReleaseFileId = 138;
constexpr int kReleaseDownloadPageId = 153;
constexpr int kSettingsKeyId = 455;
constexpr int kSpamReportId = 852;
constexpr int kLegitimateReportId = 853;
constexpr int kVirusReportId = 854;
constexpr int kFraudReportId = 855;

constexpr std::string_view kAddinVersion = version::kText;
constexpr std::string_view kScriptingRuntimePage = "http://download.platform-vendor.example/scripting-runtime/";

bool isHostChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
           c == '_' || c == ':' || c == '[' || c == ']';
}

// Puts host in place of the default host at the start of an address ("http://host/path" or "host/path").
// An address on some other host is left alone: only what was built on the service host follows it.
std::string onHost(std::string_view address, std::string_view host) {
    size_t start = 0;
    for (std::string_view scheme : {std::string_view("http://"), std::string_view("https://")}) {
        if (text::startsWith(text::lower(address.substr(0, scheme.size())), scheme)) start = scheme.size();
    }
    size_t end = address.find_first_of("/?#", start);
    if (end == std::string_view::npos) end = address.size();
    if (!text::iequals(address.substr(start, end - start), kDefaultServiceHost)) return std::string(address);
    std::string result(address.substr(0, start));
    result += host;
    result += address.substr(end);
    return result;
}

std::optional<std::string> hostOverride(platform::Registry& registry) {
    try {
        auto value = registry.queryValue(platform::Hive::CurrentUser, loadString(kSettingsKeyId),
                                         std::string(kServiceHostValueName));
        if (!value || value->type != platform::ValueType::String) return std::nullopt;
        if (!isUsableServiceHost(value->text)) return std::nullopt;
        return value->text;
    } catch (const std::exception&) {
        // An unreadable key is no reason to stop: the built-in host serves.
        return std::nullopt;
    }
}

}  // namespace

const std::string& ServiceAddresses::reportAddress(int kind) const {
    switch (kind) {
        case 1: return spamReportAddress;
        case 3: return fraudReportAddress;
        case 4: return virusReportAddress;
        default: return legitimateReportAddress;
    }
}

bool ServiceAddresses::isReportAddress(std::string_view address) const {
    for (const std::string* mailbox : {&spamReportAddress, &legitimateReportAddress, &fraudReportAddress, &virusReportAddress})
        if (text::iequals(*mailbox, address)) return true;
    return false;
}

bool isUsableServiceHost(std::string_view host) {
    if (host.empty()) return false;
    for (char c : host) {
        if (!isHostChar(c)) return false;
    }
    return true;
}

ServiceAddresses serviceAddressesForHost(std::string_view host) {
    ServiceAddresses a;
    a.serviceHost = std::string(host);
    const std::string web = "http://" + a.serviceHost;

    a.pingHost = a.serviceHost + "/tarnwick";
    a.pingPage = "/tarnwickping.txt";

    a.releaseHost = onHost(loadString(kReleaseInfoAddressId), host);
    a.releasePage = "/" + loadString(kReleaseFileId);
    a.releaseDownloadPage = onHost(loadString(kReleaseDownloadPageId), host);

    a.updatePage = web + "/cgi-bin/cscgi.pl?f=iSupdt&p=" + std::string(kUpdateProductCode) + "&o=W&v=" +
                   std::string(kAddinVersion);
    a.onlineHelpPage = web + "/win/tarnwick/help/help.html";
    a.supportPage = web + "/win/tarnwick/help/help_2f.html#8";

    a.spamReportAddress = loadString(kSpamReportId);
    a.legitimateReportAddress = loadString(kLegitimateReportId);
    a.fraudReportAddress = loadString(kFraudReportId);
    a.virusReportAddress = loadString(kVirusReportId);

    a.scriptingRuntimeDownloadPage = std::string(kScriptingRuntimePage);
    return a;
}

ServiceAddresses serviceAddresses(platform::Registry& registry) {
    if (auto host = hostOverride(registry)) return serviceAddressesForHost(*host);
    return serviceAddressesForHost(kDefaultServiceHost);
}

}  // namespace tw::settings
