// DispGetIDsOfNames and DispInvoke over the cached type info of one interface.
#include "dual_dispatch.h"

#include <oleauto.h>

#include "com_error.h"
#include "type_library.h"

namespace kestrel {

HRESULT DualGetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT DualGetTypeInfo(REFIID iid, UINT index, ITypeInfo** info) {
  return ComBarrier(iid, [&] {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    *info = LibraryTypeInfo(iid);
    (*info)->AddRef();
    return S_OK;
  });
}

HRESULT DualGetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, DISPID* ids) {
  return ComBarrier(iid, [&] {
    // A member's name alone, as a late-bound call asks before each call: from the member table.
    if (count == 1 && names != nullptr && names[0] != nullptr && ids != nullptr &&
        LibraryMemberId(iid, names[0], ids)) {
      return S_OK;
    }
    return DispGetIDsOfNames(LibraryTypeInfo(iid), names, count, ids);
  });
}

HRESULT DualInvoke(REFIID iid, void* object, DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT* argumentError) {
  return ComBarrier(iid, [&] {
    return DispInvoke(object, LibraryTypeInfo(iid), member, flags, params, result, exception, argumentError);
  });
}

}  // namespace kestrel
