// Cls64, the loader class of Hollin.exe, and the wrapper that keeps the server alive under the
// objects it hands out.
#pragma once

#include <oaidl.h>

#include <string>

namespace kestrel {

// A new Cls64 object answered through interface iid; it holds the server while it lives.
HRESULT CreateLoaderObject(REFIID iid, void** object);

// Creates an object of the class registered under progId (in this process or its own server, as
// registered) and returns its IDispatch, wrapped so that the server keeps running while the
// client holds it. Throws ComError with the creation's HRESULT (CO_E_CLASSSTRING for a ProgID
// that names no class) and the system's text for it.
IDispatch* CreateHeldObject(const std::wstring& progId);

}  // namespace kestrel
