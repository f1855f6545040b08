// The class object of Connect that DllGetClassObject hands out.
#pragma once

#include <unknwn.h>

namespace kestrel {

// One static instance serves the process; a reference to it keeps the module loaded.
class ConnectClassFactory final : public IClassFactory {
 public:
  static ConnectClassFactory& Instance();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;
};

}  // namespace kestrel
