// Where the library's MAPI session comes from, held until Cleanup.
#pragma once

#include "ComRef.h"
#include "Mapi.h"

namespace tarn {

class MapiSession {
public:
    /// The session the library holds; else the one behind the client object's name space
    /// (object.Session.MAPIOBJECT); else the client's own session shared through MAPILogonEx, never
    /// prompting. Empty when there is none, the reason in `failure`.
    static Com<IMAPISession> get(IDispatch* clientObject, HRESULT* failure);
    /// The session's address book, opened once per session.
    static Com<IAddrBook> addressBook(IDispatch* clientObject, HRESULT* failure);
    /// Whether a session (or MAPIInitialize) is held, which keeps the library loaded.
    static bool holding();
    /// Lets go of the session and book, and balances the library's MAPIInitialize.
    static void cleanup();
};

}  // namespace tarn
