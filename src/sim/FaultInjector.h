// Arms failures of named operations on a sim adapter, once or from now on, so error paths get exercised.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tw::sim {

/// An armed failure is named by the port method ("setValue") optionally followed by ":" and the
/// target it applies to ("setValue:Software\Orvenna", "readAll:C:\data\list.txt"). Targets compare
/// without regard to case, "/" counts as "\" and a trailing "\" is ignored.
class FaultInjector {
public:
    /// The next matching call fails, later ones succeed.
    void failNext(const std::string& operation) { arm(operation, false); }
    /// Every matching call fails until clearFailures.
    void failAlways(const std::string& operation) { arm(operation, true); }
    /// The n-th matching call from now on fails (n = 1 is the next one), the others succeed.
    void failNth(const std::string& operation, int n);
    void clearFailures() { rules_.clear(); }
    /// Whether an armed one-shot failure has not struck yet.
    bool pending() const;

    /// Whether this call must fail; a one-shot rule that matches is used up. A call may be known
    /// by more than one target form (a key path with and without its hive name).
    bool trips(std::string_view operation, const std::vector<std::string>& targets);

private:
    struct Rule {
        std::string operation;
        std::string target;  // empty: every target
        bool always = false;
        int callsToLetPass = 0;
    };
    void arm(const std::string& request, bool always, int callsToLetPass = 0);

    std::vector<Rule> rules_;
};

}  // namespace tw::sim
