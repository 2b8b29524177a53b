// One transfer as its worker thread runs it: the request, the answer so far and the handles a deadline closes.
#pragma once

#include <windows.h>
#include <winhttp.h>

#include <chrono>
#include <string>
#include <vector>

#include "Transfer.h"
#include "fetchapi/tarnfetch_api.h"

namespace tarn::fetch {

using Clock = std::chrono::steady_clock;

/// Shared by the caller and the worker; whichever lets go last deletes it. The caller reads
/// `result` and `answer` only once the worker has ended.
class Job {
public:
    Job(const Request& request, size_t capacity, Clock::time_point deadline);
    ~Job();
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;

    void addRef() { InterlockedIncrement(&refs_); }
    void release();

    /// Keeps `handle` for cancel(); after a cancel it is closed at once and nullptr returned.
    HINTERNET track(HINTERNET handle);
    /// Closes a tracked handle unless cancel() already has.
    void close(HINTERNET handle);
    /// Closes every open handle, so that a call waiting in WinHTTP ends, and stops the worker's loop.
    void cancel();
    bool cancelled();

    const Request request;
    const size_t capacity;
    const Clock::time_point deadline;
    std::string answer;
    int32_t result = TF_INTERNAL_ERROR;

private:
    LONG refs_ = 1;
    CRITICAL_SECTION lock_;
    std::vector<HINTERNET> open_;
    bool cancelled_ = false;
};

/// Runs the request hop by hop with redirects followed here; TF_OK, a final status or a library code.
int32_t runHops(Job& job);

}  // namespace tarn::fetch
