// The real files through std::filesystem, with UTF-8 paths on every system.
#include "twupdate/UpdateFiles.h"

#include <filesystem>
#include <fstream>

namespace tw::twupdate {

namespace {

namespace fs = std::filesystem;

fs::path fromUtf8(const std::string& text) {
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(text.data()), text.size()));
}

std::string toUtf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

class RealUpdateFiles final : public UpdateFiles {
public:
    bool write(const std::string& folder, const std::string& name, const std::string& bytes) override {
        std::error_code error;
        fs::create_directories(fromUtf8(folder), error);
        std::ofstream out(fromUtf8(folder) / fromUtf8(name), std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        return !out.fail();
    }
    bool rename(const std::string& folder, const std::string& from, const std::string& to) override {
        std::error_code error;
        fs::rename(fromUtf8(folder) / fromUtf8(from), fromUtf8(folder) / fromUtf8(to), error);
        return !error;
    }
    void remove(const std::string& folder, const std::string& name) override {
        std::error_code error;
        fs::remove(fromUtf8(folder) / fromUtf8(name), error);
    }
    std::string path(const std::string& folder, const std::string& name) const override {
        return toUtf8((fromUtf8(folder) / fromUtf8(name)).make_preferred());
    }
};

}  // namespace

std::unique_ptr<UpdateFiles> realUpdateFiles() { return std::make_unique<RealUpdateFiles>(); }

}  // namespace tw::twupdate
