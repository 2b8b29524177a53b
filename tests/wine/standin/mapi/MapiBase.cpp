// The MAPI interface ids the stand-in answers, its count of live MAPI objects, and its own entry ids.
#include <windows.h>
#define USES_IID_IMAPISession
#define USES_IID_IMAPITable
#define USES_IID_IMAPIProp
#define USES_IID_IMAPIStatus
#define USES_IID_IMsgStore
#define USES_IID_IMessage
#define USES_IID_IAddrBook
#define USES_IID_IMailUser
#define USES_IID_IMAPIContainer
#define USES_IID_IMAPIFolder
#define USES_IID_IABContainer
#define USES_IID_IDistList
#include <initguid.h>
#include <mapiguid.h>

#include <cstring>

#include "mapi/MapiParts.h"
#include "mapi/StandInMapi.h"

namespace tw::standin {

namespace mapi {

namespace {
// The stand-in's provider UID, which starts every entry id of its own.
constexpr unsigned char kProvider[16] = {0x8E, 0x21, 0x5A, 0x3C, 0x74, 0x0B, 0x4D, 0x19,
                                         0xA2, 0x66, 0x3F, 0xC8, 0x15, 0xD0, 0x9B, 0x47};
constexpr size_t kHeader = 4 + sizeof(kProvider) + 1;
}  // namespace

LONG& liveCounter() {
    static LONG live = 0;
    return live;
}

std::string ownEntryId(char kind, const std::string& payload) {
    std::string id(4, '\0');
    id.append(reinterpret_cast<const char*>(kProvider), sizeof(kProvider));
    id.push_back(kind);
    return id + payload;
}

bool readOwnEntryId(ULONG size, LPENTRYID id, char& kind, std::string& payload) {
    if (!id || size < kHeader) return false;
    const auto* bytes = reinterpret_cast<const char*>(id);
    if (std::memcmp(bytes + 4, kProvider, sizeof(kProvider)) != 0) return false;
    kind = bytes[kHeader - 1];
    payload.assign(bytes + kHeader, size - kHeader);
    return true;
}

}  // namespace mapi

long liveMapiObjects() {
    return mapi::liveCounter();
}

}  // namespace tw::standin
