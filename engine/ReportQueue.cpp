// Each record carries its own lengths and checksum, so one torn record never spoils the others.
#include "ReportQueue.h"

#include <cstdio>
#include <cstdlib>

#include "FileIo.h"
#include "MailDate.h"

namespace tarn::engine {

namespace {

constexpr size_t kMaxText = 64 * 1024;
constexpr std::string_view kRecordStart = "TWREPORT ";

std::string cut(std::string_view text) { return std::string(text.substr(0, kMaxText)); }

bool parseNumber(std::string_view text, unsigned long long& value) {
    if (text.empty() || text.size() > 19) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned long long>(c - '0');
    }
    return true;
}

}  // namespace

std::string ReportQueue::encode(const SenderReport& report) {
    std::string address = cut(report.address), headers = cut(report.headers), body = cut(report.body);
    for (char& c : address)
        if (c == '\n' || c == '\r' || c == ' ') c = '_';
    std::string payload = address + headers + body;
    char checksum[16];
    std::snprintf(checksum, sizeof checksum, "%08x", static_cast<unsigned>(crc32(payload)));
    return std::string(kRecordStart) + std::to_string(report.action) + ' ' + std::to_string(address.size()) + ' ' +
           std::to_string(headers.size()) + ' ' + std::to_string(body.size()) + ' ' + checksum + '\n' + payload + '\n';
}

std::vector<SenderReport> ReportQueue::decode(std::string_view data) {
    std::vector<SenderReport> reports;
    size_t pos = 0;
    while ((pos = data.find(kRecordStart, pos)) != std::string_view::npos) {
        size_t lineEnd = data.find('\n', pos);
        if (lineEnd == std::string_view::npos) break;
        std::string_view line = data.substr(pos + kRecordStart.size(), lineEnd - pos - kRecordStart.size());
        std::string_view fields[5];
        size_t count = 0, start = 0;
        for (size_t i = 0; i <= line.size() && count < 5; ++i) {
            if (i == line.size() || line[i] == ' ') {
                fields[count++] = line.substr(start, i - start);
                start = i + 1;
            }
        }
        unsigned long long action = 0, lengths[3] = {0, 0, 0}, crc = 0;
        bool negative = !fields[0].empty() && fields[0][0] == '-';
        bool ok = count == 5 && parseNumber(negative ? fields[0].substr(1) : fields[0], action) &&
                  parseNumber(fields[1], lengths[0]) && parseNumber(fields[2], lengths[1]) &&
                  parseNumber(fields[3], lengths[2]) && fields[4].size() == 8;
        if (ok) crc = std::strtoull(std::string(fields[4]).c_str(), nullptr, 16);
        unsigned long long total = lengths[0] + lengths[1] + lengths[2];
        ok = ok && lengths[0] <= kMaxText && lengths[1] <= kMaxText && lengths[2] <= kMaxText &&
             lineEnd + 1 + total <= data.size();
        if (ok) {
            std::string_view payload = data.substr(lineEnd + 1, total);
            ok = crc32(payload) == crc;
            if (ok) {
                SenderReport report;
                report.action = static_cast<int32_t>(negative ? -static_cast<long long>(action) : static_cast<long long>(action));
                report.address.assign(payload.substr(0, lengths[0]));
                report.headers.assign(payload.substr(lengths[0], lengths[1]));
                report.body.assign(payload.substr(lengths[0] + lengths[1], lengths[2]));
                reports.push_back(std::move(report));
                pos = lineEnd + 1 + total;
                continue;
            }
        }
        pos = lineEnd + 1;
    }
    return reports;
}

bool ReportQueue::add(const SenderReport& report) { return appendToFile(queueFile_, encode(report)); }

std::vector<SenderReport> ReportQueue::pending() const {
    auto data = readWholeFile(queueFile_);
    return data ? decode(*data) : std::vector<SenderReport>{};
}

int32_t ReportQueue::sendTo(const std::string& outboxFolder) {
    auto reports = pending();
    if (reports.empty()) {
        removeFile(queueFile_);
        return 0;
    }
    std::string batch;
    for (const auto& report : reports) batch += encode(report);
    if (!ensureDirectory(outboxFolder) ||
        !replaceFileAtomically(joinPath(outboxFolder, "reports-" + uniqueStamp() + ".batch"), batch))
        return -3;
    removeFile(queueFile_);
    return static_cast<int32_t>(reports.size());
}

}  // namespace tarn::engine
