// Every address the add-in reaches outside the mail client: the network service, its web pages and report mailboxes.
#pragma once

#include <string>
#include <string_view>

namespace tw::platform {
class Registry;
}

namespace tw::settings {

/// The host the network service's web addresses are built on, unless the registry names another.
inline constexpr std::string_view kDefaultServiceHost = "service.tarnwick.example";

/// REG_SZ value under the settings key that points the add-in at another server, e.g. "127.0.0.1:8080".
inline constexpr std::string_view kServiceHostValueName = "serviceHost";

/// The product code sent as the update page's "p" parameter.
inline constexpr std::string_view kUpdateProductCode = "TWOutlook";

/// The whole text of the service's ping page (pingHost + pingPage); a line end after it is allowed.
/// Any other answer (a hotel's login page, a proxy's notice) means the service was not reached.
inline constexpr std::string_view kPingPageText = "tarnwick-ping ok";

struct ServiceAddresses {
    /// The host in use (the default or the registry's override).
    std::string serviceHost;

    /// Connectivity check: GET with pingHost as the host argument and pingPage as the page.
    std::string pingHost;
    std::string pingPage;

    /// Release check: GET with releaseHost (a host followed by a path) and releasePage ("/version.txt"),
    /// a text file whose line "version=X.Y.Z" names the current release.
    std::string releaseHost;
    std::string releasePage;
    /// The page offered when a newer release exists; shown to the user and opened in the browser.
    std::string releaseDownloadPage;

    /// Web pages opened in the default browser from the menus.
    std::string updatePage;
    std::string onlineHelpPage;
    std::string supportPage;

    /// Report mailboxes of the network service.
    std::string spamReportAddress;
    std::string legitimateReportAddress;
    std::string fraudReportAddress;
    std::string virusReportAddress;

    /// The platform vendor's page for the scripting runtime, offered when it is missing.
    std::string scriptingRuntimeDownloadPage;

    /// The mailbox of a report kind: 1 spam, 3 fraud, 4 virus; every other kind goes to the
    /// legitimate-mail mailbox.
    const std::string& reportAddress(int kind) const;
    /// True for one of the four report mailboxes, in any case.
    bool isReportAddress(std::string_view address) const;
};

/// True for a host that can stand in a web address as it is: letters, digits and ".-_:[]" only,
/// so that an override can name a host and port but never change the path that follows it.
bool isUsableServiceHost(std::string_view host);

/// The addresses built on the given host; the caller has checked it with isUsableServiceHost.
ServiceAddresses serviceAddressesForHost(std::string_view host);

/// The addresses in use: built on the "serviceHost" value under the settings key when that holds
/// a usable host, otherwise on the default host. A registry that fails gives the defaults.
ServiceAddresses serviceAddresses(platform::Registry& registry);

}  // namespace tw::settings
