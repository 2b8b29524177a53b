// The stand-in's mapi32.dll: counted MAPI memory, MAPIInitialize and a MAPILogonEx that answers the shared session.
#include <windows.h>
#define USES_IID_IMAPISession
#include <initguid.h>
#include <mapix.h>

#include <cstddef>
#include <cstdlib>

namespace {

/// Each block starts with this header; the blocks allocated "more" on a block hang from it and go with it.
struct alignas(16) Block {
    DWORD magic;
    Block* next;  // the next "more" block of the same chain
};
constexpr DWORD kHead = 0x4D415049, kMore = 0x4D4F5245;

CRITICAL_SECTION lock;
LONG initialized = 0, logons = 0, prompts = 0, outstanding = 0;
IUnknown* shared = nullptr;

struct Guard {
    Guard() { EnterCriticalSection(&lock); }
    ~Guard() { LeaveCriticalSection(&lock); }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;
};

Block* header(void* buffer) {
    return buffer ? reinterpret_cast<Block*>(static_cast<char*>(buffer) - sizeof(Block)) : nullptr;
}

void* newBlock(ULONG size, DWORD magic) {
    auto* block = static_cast<Block*>(std::calloc(1, sizeof(Block) + size));
    if (!block) return nullptr;
    block->magic = magic;
    block->next = nullptr;
    return block + 1;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) InitializeCriticalSection(&lock);
    if (reason == DLL_PROCESS_DETACH) DeleteCriticalSection(&lock);
    return TRUE;
}

extern "C" {

__declspec(dllexport) SCODE WINAPI MAPIAllocateBuffer(ULONG size, LPVOID* out) {
    if (!out) return MAPI_E_INVALID_PARAMETER;
    *out = newBlock(size, kHead);
    if (!*out) return MAPI_E_NOT_ENOUGH_MEMORY;
    InterlockedIncrement(&outstanding);
    return S_OK;
}

__declspec(dllexport) SCODE WINAPI MAPIAllocateMore(ULONG size, LPVOID object, LPVOID* out) {
    if (!out) return MAPI_E_INVALID_PARAMETER;
    *out = nullptr;
    Block* head = header(object);
    if (!head || head->magic != kHead) return MAPI_E_INVALID_PARAMETER;
    void* buffer = newBlock(size, kMore);
    if (!buffer) return MAPI_E_NOT_ENOUGH_MEMORY;
    Guard guard;
    header(buffer)->next = head->next;
    head->next = header(buffer);
    *out = buffer;
    return S_OK;
}

__declspec(dllexport) ULONG WINAPI MAPIFreeBuffer(LPVOID buffer) {
    Block* head = header(buffer);
    // A block from MAPIAllocateMore goes with the one it was allocated on, not on its own.
    if (!head || head->magic != kHead) return 0;
    head->magic = 0;
    Block* chain = nullptr;
    {
        Guard guard;
        chain = head->next;
    }
    while (chain) {
        Block* next = chain->next;
        std::free(chain);
        chain = next;
    }
    std::free(head);
    InterlockedDecrement(&outstanding);
    return 0;
}

__declspec(dllexport) HRESULT WINAPI MAPIInitialize(LPVOID) {
    InterlockedIncrement(&initialized);
    return S_OK;
}

__declspec(dllexport) void WINAPI MAPIUninitialize() {
    Guard guard;
    if (initialized > 0) --initialized;
}

__declspec(dllexport) HRESULT WINAPI MAPILogonEx(ULONG_PTR, LPTSTR, LPTSTR, ULONG flags, LPMAPISESSION* out) {
    if (!out) return MAPI_E_INVALID_PARAMETER;
    *out = nullptr;
    Guard guard;
    if (initialized == 0) return MAPI_E_NOT_INITIALIZED;
    ++logons;
    if (flags & MAPI_LOGON_UI) ++prompts;
    bool wantsShared = (flags & MAPI_EXTENDED) && !(flags & (MAPI_NEW_SESSION | MAPI_LOGON_UI));
    // Wine's own mapi32 has no profile to log on to; without a shared session the stand-in answers as it does.
    if (!wantsShared || !shared) return MAPI_E_LOGON_FAILED;
    if (FAILED(shared->QueryInterface(IID_IMAPISession, reinterpret_cast<void**>(out)))) return MAPI_E_LOGON_FAILED;
    return S_OK;
}

/// The session a stand-in client shares with MAPILogonEx (held until replaced); null: none.
__declspec(dllexport) void WINAPI StandInMapiShareSession(IUnknown* session) {
    IUnknown* previous = nullptr;
    {
        Guard guard;
        if (session) session->AddRef();
        previous = shared;
        shared = session;
    }
    if (previous) previous->Release();
}

/// Buffers from MAPIAllocateBuffer not yet freed.
__declspec(dllexport) LONG WINAPI StandInMapiOutstandingBuffers() {
    return outstanding;
}

/// MAPIInitialize calls not yet undone, MAPILogonEx calls, and those that asked for a logon dialog.
__declspec(dllexport) void WINAPI StandInMapiState(LONG* initializeCount, LONG* logonCount, LONG* promptCount) {
    Guard guard;
    if (initializeCount) *initializeCount = initialized;
    if (logonCount) *logonCount = logons;
    if (promptCount) *promptCount = prompts;
}

}  // extern "C"
