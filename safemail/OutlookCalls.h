// Late-bound reads of the mail client's objects: a member by name, its MAPI object, its session.
#pragma once

#include <string>

#include "DispatchObject.h"
#include "Mapi.h"

namespace tarn {

/// Reads a member by property get (or method call); the failure, DISP_E_UNKNOWNNAME for a name the object lacks.
HRESULT readMember(IDispatch* object, const wchar_t* name, Variant& out);
/// The object a member answers; empty when it has none or the read fails.
Com<IDispatch> objectMember(IDispatch* object, const wchar_t* name);
/// A member's text; empty when it has none.
std::wstring textMember(IDispatch* object, const wchar_t* name);
/// The object's MAPIOBJECT answering `iid`; empty (with the reason in `failure`) when it has none.
Com<IUnknown> mapiObjectOf(IDispatch* object, REFIID iid, HRESULT* failure);
/// Whether the object knows the member name.
bool hasMember(IDispatch* object, const wchar_t* name);

}  // namespace tarn
