// The engine's shipped rules, tw1 and tw2 (word probabilities) and tw5 (tuning), and which copy of each is read.
#pragma once

#include <string>
#include <string_view>

#include "ShippedWords.h"

namespace tarn::engine {

/// The constants of tw5, read as "name value" lines; a name not known is passed over. A missing tw5
/// leaves the values measured best when the rules were made (bench/README.md).
struct RuleTuning {
    double strength = 10;  ///< how many of the user's messages a shipped probability weighs as, once training counts
    double low = 0.15;     ///< shipped probabilities are held within low..high
    double high = 0.99;
    double sharpen = 1.0;  ///< a shipped probability's log-odds are multiplied by this before use
    /// Once the user's training counts, the shipped prior keeps the share fade / (fade + messages of the
    /// store's smaller class) of its lean and of its strength, so the rules step aside as the store grows.
    double fade = 250;

    /// A shipped probability as scoring uses it: sharpened, then held within low..high.
    double use(double shipped) const;

    static RuleTuning parse(std::string_view body);
    std::string serialize() const;
};

class RuleSet {
public:
    static constexpr const char* kFileNames[] = {"tw1", "tw2", "tw5"};

    /// Reads "<name>.bin" for each rule file from `installFolder`; a copy in `updateFolder` (may be
    /// empty) is taken instead when it is intact, names the same file and its stamp is later, or when
    /// the installed one is missing or damaged. What cannot be read is left out and reported.
    void load(const std::string& installFolder, const std::string& updateFolder);
    void clear();

    const ShippedWords& words() const { return words_; }
    const RuleTuning& tuning() const { return tuning_; }
    /// One line per file, fields split by tabs: the file's name, then its stamp or "missing" or
    /// "damaged", then the path read (or looked for). A damaged update copy gets a line of its own.
    const std::string& status() const { return status_; }

private:
    void note(std::string_view name, std::string_view what, const std::string& path);

    ShippedWords words_;
    RuleTuning tuning_;
    std::string status_;
};

}  // namespace tarn::engine
