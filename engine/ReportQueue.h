// Sender reports (block or approve) queued on disk until they are sent as one batch.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarn::engine {

struct SenderReport {
    int32_t action = 0;  ///< 0 block, 1 approve; other values are kept as given
    std::string address;
    std::string headers;
    std::string body;
};

class ReportQueue {
public:
    explicit ReportQueue(std::string queueFile) : queueFile_(std::move(queueFile)) {}

    /// Appends one report durably; texts longer than 64 KB are cut.
    bool add(const SenderReport& report);
    /// The intact reports in the queue; a record torn by a crash while it was appended is skipped.
    std::vector<SenderReport> pending() const;
    /// Writes every pending report into one batch file in `outboxFolder` and empties the queue.
    /// Returns the number of reports sent, or -3 when the batch could not be written.
    int32_t sendTo(const std::string& outboxFolder);

    static std::string encode(const SenderReport& report);
    static std::vector<SenderReport> decode(std::string_view data);

private:
    std::string queueFile_;
};

}  // namespace tarn::engine
