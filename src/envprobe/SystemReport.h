// The lines of "systeminfo.txt": settings, directories, file versions, other products, the Exchange extensions.
#pragma once

#include <optional>
#include <string>

#include "regop/ProgramPorts.h"

namespace tw::envprobe {

class SystemReport {
public:
    explicit SystemReport(const regop::ProgramPorts& ports) : ports_(ports) {}

    /// Appends every line, each ending in CR LF, so that after a failure `out` holds the lines
    /// written so far. Repairs the Exchange extensions value on the way.
    void write(std::string& out);

    static constexpr const char* kExchangeExtensionsKey = "SOFTWARE\\Microsoft\\Exchange\\Client\\Extensions";
    static constexpr const char* kExchangeExtensionsValue = "Exchange Extensions";
    static constexpr const char* kExpectedExchangeExtensions = "4.0;emsuix32.dll;7;011111111111110;1111011100";

private:
    /// The folder of the registered add-in library, ending in "\"; nothing when the lookup fails.
    std::optional<std::string> addinFolder();
    std::string mailClientFolder();
    /// The label and version of a file, or its not-found line; nothing when the file is missing and
    /// has no not-found line.
    std::optional<std::string> fileLine(const std::optional<std::string>& folder, const std::string& fileName,
                                        const std::string& label, bool reportMissing);
    bool fileExists(const std::string& path);
    std::string fileVersionText(const std::string& path);
    void repairExchangeExtensions(std::string& out);

    const regop::ProgramPorts& ports_;
};

}  // namespace tw::envprobe
