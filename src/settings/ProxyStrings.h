// The combined proxy texts the engine is given, built from the four proxy settings.
#pragma once

#include "settings/Settings.h"

namespace tw::settings {

/// proxyHostAndPort = proxyServer ":" proxyServerPort; proxyUserAndPassword = proxyServerUser ":" proxyServerPassword.
void buildProxyStrings(Settings& settings);

}  // namespace tw::settings
