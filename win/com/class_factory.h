// The class objects of the library's creatable classes, one per row of the class table.
#pragma once

#include <unknwn.h>

#include "registration/registration.h"

namespace kestrel {

// Makes a new object of one class, answered through interface iid.
using CreateFunction = HRESULT (*)(REFIID iid, void** object);

// The library's factory of a class-table row's id; null for the local server's rows.
CreateFunction LibraryFactoryOf(ComFactoryId id);

// The class object of an in-process class of the class table (what DllGetClassObject hands
// out): CLASS_E_CLASSNOTAVAILABLE for a CLSID outside the table.
HRESULT GetLibraryClassObject(REFCLSID clsid, REFIID iid, void** object);

// What IClassFactory::LockServer(lock) counts: a local server's own lifetime.
using ServerLockFunction = void (*)(bool lock);

// A class object that creates through one factory; aggregation is not supported. Static
// instances serve the process; a reference to one keeps the module loaded. LockServer counts on
// the module lock, or through serverLock when one is given.
class ClassFactory final : public IClassFactory {
 public:
  explicit ClassFactory(CreateFunction create, ServerLockFunction serverLock = nullptr)
      : create_(create), serverLock_(serverLock) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  CreateFunction create_;
  ServerLockFunction serverLock_;
};

}  // namespace kestrel
