// Factories of the public automation classes: ClsFunction, FunCad, Ini, OpenSaveDlg, cSpeedString.
#pragma once

#include <unknwn.h>

namespace kestrel {

// Each makes a new object answered through interface iid (E_NOINTERFACE for another).
HRESULT CreateFunctionObject(REFIID iid, void** object);
HRESULT CreateFunCadObject(REFIID iid, void** object);
HRESULT CreateIniObject(REFIID iid, void** object);
HRESULT CreateOpenSaveDlgObject(REFIID iid, void** object);
HRESULT CreateSpeedStringObject(REFIID iid, void** object);

}  // namespace kestrel
