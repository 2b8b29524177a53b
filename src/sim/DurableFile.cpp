// Durable whole-file replacement over the POSIX file calls, with a stage hook for crash tests.
#include "sim/DurableFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace tw::sim {

namespace fs = std::filesystem;

namespace {

WriteStageHook stageHook = nullptr;

[[noreturn]] void fail(const char* what, const fs::path& path, int error) {
    throw fs::filesystem_error(what, path, std::error_code(error, std::generic_category()));
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    /// Closes now; a late write error shows here on some file systems.
    int close() {
        int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

// 0 when every byte went out, else the error number.
int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t done = ::write(fd, bytes.data(), bytes.size());
        if (done < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<size_t>(done));
    }
    return 0;
}

void reachStage(WriteStage stage, const fs::path& target, const std::function<void(WriteStage)>& atStage) {
    if (atStage) atStage(stage);
    if (stageHook) stageHook(stage, target);
}

}  // namespace

void setWriteStageHookForTesting(WriteStageHook hook) { stageHook = hook; }

fs::path temporaryBeside(const fs::path& target) {
    fs::path temporary = target;
    temporary += ".tmp";
    return temporary;
}

void writeFileDurably(const fs::path& target, const fs::path& temporary, std::string_view bytes,
                      const std::function<void(WriteStage)>& atStage) {
    Descriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (file.get() < 0) fail("cannot create", temporary, errno);
    // Only a crash test stops between the halves; the stage calls themselves may throw, and then the
    // temporary file stays behind exactly as a crash would leave it.
    bool staged = atStage || stageHook;
    size_t firstPart = staged ? bytes.size() / 2 : bytes.size();
    int error = writeAll(file.get(), bytes.substr(0, firstPart));
    if (error == 0 && staged) {
        reachStage(WriteStage::halfWritten, target, atStage);
        error = writeAll(file.get(), bytes.substr(firstPart));
    }
    // The bytes reach the disk before the name does, so the rename can never show an empty or
    // partial file after a power cut; the rename itself then gives old or new, never a mix.
    if (error == 0 && ::fsync(file.get()) != 0) error = errno;
    if (file.close() != 0 && error == 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        fail("cannot write", temporary, error);
    }
    if (staged) reachStage(WriteStage::beforeRename, target, atStage);
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
        ::unlink(temporary.c_str());
        fail("cannot put the new file in place", target, error);
    }
}

}  // namespace tw::sim
