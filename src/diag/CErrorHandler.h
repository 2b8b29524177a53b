// The add-in's log: "report.txt" in the library folder, its levels, rotation and error entries.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/Error.h"
#include "diag/ConfigurationDump.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"

namespace tw::diag {

enum LogLevel : int32_t { oSerious = 0, oAll = 1, oNothing = 2 };

/// One per load of the library. Nothing it does ever throws: a line that cannot be written is lost.
class CErrorHandler {
public:
    /// The log rotates at this size so it never grows without end.
    static constexpr uint64_t kRotateAtBytes = 400000;

    CErrorHandler(platform::FileSystem& files, platform::Shell& shell, platform::Clock& clock);

    const std::string& logfile() const { return logfile_; }
    void setLogfile(std::string path) { logfile_ = std::move(path); }

    int32_t Enabled() const { return level_; }
    void setEnabled(int32_t level) { level_ = level; }

    /// The add-in supplies its facts for the configuration dump once it exists.
    void setFactsProvider(std::function<AddinFacts()> provider) { facts_ = std::move(provider); }
    /// The add-in supplies the descriptions of the mail client's COM add-ins.
    void setAddinsProvider(std::function<std::vector<std::string>()> provider) { addins_ = std::move(provider); }

    /// Rotates the log if due, then appends message and a line break to the named file.
    void logErrorToFile(const std::string& message, const std::string& fileName);

    /// Writes the configuration dump and then the error line, unless the error number is 0
    /// or the level is oNothing.
    void logError(const std::string& caller, const PendingError& error);
    /// The same for the exception being handled; outside a catch block it writes nothing.
    void logError(const std::string& caller);

    /// A progress line, written at oAll only.
    void LogErrorMessage(const std::string& message);
    /// An important line, written unless the level is oNothing.
    void LogSeriousErrorMessage(const std::string& message);

    void logCurrentConfiguration();
    void logCurrentAddins();

    /// The number of the last error logged; 1 until the first one.
    long lastErrorNumber() const { return lastErrorNumber_; }

    /// The current facts, falling back to what the shell knows when the add-in gives none.
    AddinFacts currentFacts();

private:
    /// Moves a full "report.txt" aside and points logfile at it; false when that failed.
    bool prepareLogFile();
    std::string timestamp();
    void writeEntry(const std::string& message);

    platform::FileSystem& files_;
    platform::Shell& shell_;
    platform::Clock& clock_;
    std::string logfile_;
    int32_t level_ = oSerious;
    long lastErrorNumber_ = 1;
    std::function<AddinFacts()> facts_;
    std::function<std::vector<std::string>()> addins_;
};

}  // namespace tw::diag
