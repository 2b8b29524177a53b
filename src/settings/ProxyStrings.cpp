// Builds the combined proxy texts of the settings record.
#include "settings/ProxyStrings.h"

namespace tw::settings {

void buildProxyStrings(Settings& settings) {
    settings.proxyHostAndPort = settings.proxyServer + ":" + settings.proxyServerPort;
    settings.proxyUserAndPassword = settings.proxyServerUser + ":" + settings.proxyServerPassword;
}

}  // namespace tw::settings
