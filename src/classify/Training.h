// Teaching the scoring engine from messages whose class the user made known, and reading back what it learnt.
#pragma once

#include <cstdint>
#include <memory>

#include "core/KeyedSet.h"
#include "platform/Outlook.h"


namespace tw::classify {

class ClassifyHost;

/// Training weights: negative trains as legitimate, positive as spam.
inline constexpr int32_t kSentMailWeight = -120;
inline constexpr int32_t kReadMailWeight = -100;

/// Holds no state: every call works on the add-in's engine, settings and message reader.
class Training {
public:
    explicit Training(ClassifyHost& host) : host_(host) {}

    /// Hands one message to the engine's training store; errors are logged, never raised.
    void trainOnMessage(const std::shared_ptr<outlook::Item>& item, int32_t offset);
    /// The engine's trained totals; a total it cannot report stays 0.
    void getTrainingTotals(int32_t& ham, int32_t& spam);
    /// Both totals at least the min_training setting.
    bool hasReachedMinimumTraining();
    /// Lets the engine use its trained words once enough has been trained (telling the user so),
    /// and keeps them from it until then. Does nothing while word training is off.
    void checkIfUserWantsMinTraining();
    /// Adds the character sets and countries the engine finds in a mail item, lower-cased.
    void getExtraData(const std::shared_ptr<outlook::Item>& item, KeyedSet& countries, KeyedSet& charsets);

private:
    ClassifyHost& host_;
};

}  // namespace tw::classify
