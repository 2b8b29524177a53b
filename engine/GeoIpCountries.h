// Reads the country edition of the legacy GeoIP database (Debian's geoip-database package).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarn::engine {

class GeoIpCountries {
public:
    /// False when the file is missing or is not a country database.
    bool open(const std::string& path);
    bool isOpen() const { return !data_.empty(); }
    /// The lower-case two-letter code of an IPv4 address, or empty when unknown.
    std::string lookup(uint32_t address) const;

    /// The same from the file's bytes.
    bool openFromBytes(std::string bytes);

private:
    bool examine();
    std::string data_;
    uint32_t segments_ = 0;
};

/// The process-wide database, opened at the first use from `preferredFolder`, else from the system copy.
const GeoIpCountries& sharedGeoIpCountries(const std::string& preferredFolder);

}  // namespace tarn::engine
