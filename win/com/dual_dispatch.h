// IDispatch for a dual interface of the embedded type library: names and calls go through its type info.
#pragma once

#include <oaidl.h>

namespace kestrel {

// The bodies of the four IDispatch methods of an object's dual interface `iid`; `object` is the
// object's pointer of that interface (whose vtable DispInvoke calls). None of them throws.
HRESULT DualGetTypeInfoCount(UINT* count);
HRESULT DualGetTypeInfo(REFIID iid, UINT index, ITypeInfo** info);
// Names are matched without regard to case, as the host's ribbon and late-bound macros expect.
HRESULT DualGetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, DISPID* ids);
HRESULT DualInvoke(REFIID iid, void* object, DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT* argumentError);

}  // namespace kestrel
