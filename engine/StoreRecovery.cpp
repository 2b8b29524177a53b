// A store that cannot be read never silently costs the user the file: it is kept aside and said.
#include "StoreRecovery.h"

#include "FileIo.h"

namespace tarn::engine {

std::string damagedFileName(const std::string& path, std::time_t when) {
    char stamp[32] = "00000000-000000";
    // Called under the engine's lock; the C library's own buffer is not shared with another caller here.
    if (const std::tm* local = std::localtime(&when)) std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", local);
    return path + ".damaged-" + stamp;
}

std::string keepDamagedAside(const std::string& path) {
    const std::string base = damagedFileName(path, std::time(nullptr));
    // Two damaged files in one second, or a clock set back, must not cost an older kept file.
    for (int attempt = 1; attempt <= 100; ++attempt) {
        std::string candidate = attempt == 1 ? base : base + "-" + std::to_string(attempt);
        if (fileExists(candidate)) continue;
        return renameWithoutReplacing(path, candidate) ? candidate : std::string();
    }
    return {};
}

StoreLoad loadStoreFile(const std::string& path, const std::function<bool(std::string_view)>& accept) {
    StoreLoad result;
    auto data = readWholeFile(path);
    if (data && accept(*data)) {
        result.source = StoreLoad::Source::file;
        return result;
    }
    const bool fileDamaged = data.has_value() || fileExists(path);

    const std::string backupPath = path + ".bak";
    auto backup = readWholeFile(backupPath);
    const bool backupIntact = backup && accept(*backup);
    const bool backupDamaged = !backupIntact && (backup.has_value() || fileExists(backupPath));

    result.damaged = fileDamaged || backupDamaged;
    if (fileDamaged) result.keptAside.emplace_back(path, keepDamagedAside(path));
    if (backupIntact) {
        result.source = StoreLoad::Source::backup;
        // The file takes the backup's place again, so the next start finds an intact store.
        if (fileDamaged || !fileExists(path)) replaceFileAtomically(path, *backup);
    } else if (backupDamaged) {
        result.keptAside.emplace_back(backupPath, keepDamagedAside(backupPath));
    }
    return result;
}

}  // namespace tarn::engine
