// Follows the add-in's log file across its rotations, the way a reader tailing it would, and keeps
// what the soak benchmark checks: every line read once, how the files grew and rotated.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace tw::bench {

class LogFollower {
public:
    /// `current` is the log ("report.txt"), `older` the file it rotates into ("report0.txt").
    LogFollower(std::filesystem::path current, std::filesystem::path older, std::function<void(const std::string&)> onLine);

    /// Reads what was appended since the last call. When the log was rotated meanwhile, the rest of
    /// the older file comes first. Call it often enough that the log cannot rotate twice in between.
    void poll();

    int rotations() const { return rotations_; }
    /// The largest size the log had at a poll, and the smallest the older file had right after a rotation.
    uintmax_t largestCurrent() const { return largestCurrent_; }
    uintmax_t smallestRotated() const { return smallestRotated_; }
    /// Files in the log's folder whose names start with "report", the two logs included.
    int reportFiles() const;

private:
    void readFrom(const std::filesystem::path& file, uintmax_t from);

    std::filesystem::path current_, older_;
    std::function<void(const std::string&)> onLine_;
    uintmax_t offset_ = 0;
    std::string partial_;
    int rotations_ = 0;
    uintmax_t largestCurrent_ = 0, smallestRotated_ = UINTMAX_MAX;
};

}  // namespace tw::bench
