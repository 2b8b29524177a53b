// The Windows transfer over WinHTTP, so that TLS, proxies and certificates are the system's. WinHTTP
// knows no total time-out, so the transfer runs on a worker thread and the caller leaves at the
// deadline, closing the worker's handles so that its waits end too.
#include <algorithm>

#include "WinHttpJob.h"
#include "fetchapi/tarnfetch_api.h"

namespace tarn::fetch {

namespace {

/// Time the worker gets after its handles were closed to hand over what it has.
constexpr DWORD kGraceMs = 200;

/// The worker holds the library loaded (the reference the caller took for it), so that a caller who
/// unloads the library after a deadline cannot pull the code from under a thread still in WinHTTP.
struct Start {
    Job* job;
    HMODULE library;
};

DWORD WINAPI work(void* parameter) {
    const Start start = *static_cast<Start*>(parameter);
    delete static_cast<Start*>(parameter);
    try {
        start.job->result = runHops(*start.job);
    } catch (...) {
        start.job->result = TF_INTERNAL_ERROR;
    }
    start.job->release();
    FreeLibraryAndExitThread(start.library, 0);
    return 0;
}

DWORD millisecondsUntil(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<DWORD>(std::max<long long>(left, 0));
}

}  // namespace

int32_t transfer(const Request& request, BodyBuffer& body) {
    const auto deadline = Clock::now() + std::chrono::seconds(request.timeoutSeconds);
    body.restart();
    auto* job = new Job(request, body.capacity(), deadline);
    HMODULE library = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&work), &library)) {
        job->release();
        return TF_INTERNAL_ERROR;
    }
    job->addRef();
    auto* start = new Start{job, library};
    HANDLE thread = CreateThread(nullptr, 0, work, start, 0, nullptr);
    if (!thread) {
        delete start;
        job->release();
        job->release();
        FreeLibrary(library);
        return TF_INTERNAL_ERROR;
    }
    bool ended = WaitForSingleObject(thread, millisecondsUntil(deadline)) == WAIT_OBJECT_0;
    if (!ended) {
        job->cancel();
        ended = WaitForSingleObject(thread, kGraceMs) == WAIT_OBJECT_0;
    }
    CloseHandle(thread);
    int32_t result = TF_TIMED_OUT;
    if (ended) {
        result = job->result;
        body.append(job->answer.data(), job->answer.size());
    }
    job->release();
    return result;
}

}  // namespace tarn::fetch
