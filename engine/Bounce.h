// Composes the delivery-failure notice sent back to the sender of blocked mail.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarn::engine {

enum class BounceResult : int32_t {
    Queued = 0,
    Suppressed = 1,  ///< the original was itself automatic mail; answering it could start a mail loop
    BadRecipient = -2,
    WriteFailed = -3,
};

/// The whole notice as RFC 5322 text: a multipart/report with a readable part, the delivery
/// status and the original headers.
std::string composeBounce(std::string_view recipient, std::string_view originalHeaders, std::string_view date,
                          std::string_view stamp);

/// True when the original must not be answered automatically.
bool isAutomaticMail(std::string_view originalHeaders);

/// Composes the notice and drops it into `outboxFolder` as a new .eml file.
BounceResult bounceToOutbox(const std::string& outboxFolder, std::string_view recipient,
                            std::string_view originalHeaders);

}  // namespace tarn::engine
