// Factories of the public automation classes: ClsFunction, FunCad, Ini, OpenSaveDlg, cSpeedString.
#pragma once

#include <unknwn.h>

namespace kestrel {

class ServerContext;

// Each makes a new object answered through interface iid (E_NOINTERFACE for another), which holds
// the server through `context` while it lives; ClsFunction and FunCad also work through it.
HRESULT CreateFunctionObject(ServerContext& context, REFIID iid, void** object);
HRESULT CreateFunCadObject(ServerContext& context, REFIID iid, void** object);
HRESULT CreateIniObject(ServerContext& context, REFIID iid, void** object);
HRESULT CreateOpenSaveDlgObject(ServerContext& context, REFIID iid, void** object);
HRESULT CreateSpeedStringObject(ServerContext& context, REFIID iid, void** object);

}  // namespace kestrel
