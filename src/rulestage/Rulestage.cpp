// Rulestage's two actions.
#include "rulestage/Rulestage.h"

#include "core/Error.h"

namespace tw::rulestage {

namespace {

struct DatedCopy {
    const char* ruleFile;
    const char* copy;
    Failure failure;
};

// The stamp after "full." is the release of the rule set shipped with this build.
constexpr DatedCopy kDatedCopies[] = {
    {"tw1.bin", "tw1.bin.full.2004.10.18.23.23.00", Tw1NotCopied},
    {"tw2.bin", "tw2.bin.full.2004.10.04.22.20.18", Tw2NotCopied},
    {"tw5.bin", "tw5.bin.full.2004.08.07.17.01.01", Tw5NotCopied},
};

struct InstallRecord {
    const char* key;
    Failure failure;
};

constexpr InstallRecord kInstallRecords[] = {
    {"Software\\Orvenna\\Updates", UpdatesKeyRemains},
    {"Software\\Orvenna\\Installed", InstalledKeyRemains},
};

}  // namespace

Rulestage::Rulestage(const regop::ProgramPorts& ports, std::string programFolder)
    : ports_(ports), programFolder_(std::move(programFolder)) {}

int Rulestage::run(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return 0;
    if (arguments.front() == "-install") return install();
    if (arguments.front() == "-uninstall") return uninstall();
    return 0;
}

int Rulestage::install() {
    int failures = 0;
    // A rule file that cannot be copied must not keep the others from their copies.
    for (const DatedCopy& row : kDatedCopies) {
        try {
            ports_.files.copyFile(regop::inFolder(programFolder_, row.ruleFile), regop::inFolder(programFolder_, row.copy));
        } catch (const Error&) {
            failures |= row.failure;
        }
    }
    return failures;
}

int Rulestage::uninstall() {
    int failures = 0;
    for (const InstallRecord& record : kInstallRecords) {
        regop::RegOp op = ports_.regOp(platform::Hive::LocalMachine, record.key);
        if (op.deleteKey()) continue;
        // A key that was never there is fine; one that is still there was not removed.
        try {
            if (!ports_.registry.keyExists(platform::Hive::LocalMachine, record.key)) continue;
        } catch (const Error&) {
        }
        failures |= record.failure;
    }
    return failures;
}

}  // namespace tw::rulestage
