// Where a redirect may lead: the same host only, and never from an encrypted address to a plain one.
#pragma once

#include <string>

namespace tarn::fetch {

/// The absolute address a Location header names, resolved against the address that answered with it;
/// empty when it names no http or https address.
std::string resolveLocation(const std::string& from, const std::string& location);

/// True when a redirect from `from` to the absolute address `to` may be followed: the same host
/// (in any case; another port is allowed), and not from https to http. A captive portal or a hijacked
/// answer sends the request elsewhere; the library refuses that rather than take the other host's page.
bool redirectAllowed(const std::string& from, const std::string& to);

}  // namespace tarn::fetch
