// Reading the add-in's log as it grows and rotates.
#include "LogFollower.h"

#include <algorithm>
#include <fstream>
#include <system_error>

namespace tw::bench {

LogFollower::LogFollower(std::filesystem::path current, std::filesystem::path older,
                         std::function<void(const std::string&)> onLine)
    : current_(std::move(current)), older_(std::move(older)), onLine_(std::move(onLine)) {}

void LogFollower::poll() {
    std::error_code ec;
    uintmax_t size = std::filesystem::file_size(current_, ec);
    if (ec) size = 0;
    if (size < offset_) {
        ++rotations_;
        uintmax_t olderSize = std::filesystem::file_size(older_, ec);
        smallestRotated_ = std::min(smallestRotated_, ec ? 0 : olderSize);
        readFrom(older_, offset_);
        offset_ = 0;
    }
    readFrom(current_, offset_);
    offset_ = size;
    largestCurrent_ = std::max(largestCurrent_, size);
}

void LogFollower::readFrom(const std::filesystem::path& file, uintmax_t from) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return;
    in.seekg(static_cast<std::streamoff>(from));
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    partial_ += text;
    size_t start = 0;
    for (size_t end; (end = partial_.find('\n', start)) != std::string::npos; start = end + 1) {
        size_t length = end - start;
        if (length > 0 && partial_[end - 1] == '\r') --length;
        onLine_(partial_.substr(start, length));
    }
    partial_.erase(0, start);
}

int LogFollower::reportFiles() const {
    int count = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(current_.parent_path(), ec)) {
        std::string name = entry.path().filename().string();
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        if (name.rfind("report", 0) == 0) ++count;
    }
    return count;
}

}  // namespace tw::bench
