// The class objects of the library's creatable classes, one per row of the class table.
#pragma once

#include <unknwn.h>

#include <functional>
#include <utility>

#include "registration/registration.h"

namespace kestrel {

class ServerContext;

// Makes a new object of one class, answered through interface iid.
using CreateFunction = std::function<HRESULT(REFIID iid, void** object)>;
// Makes a new object of one of the library's classes, serving through `context`.
using LibraryCreateFunction = HRESULT (*)(ServerContext& context, REFIID iid, void** object);

// The library's factory of a class-table row's id; null for the local server's rows.
LibraryCreateFunction LibraryFactoryOf(ComFactoryId id);

// The class object of an in-process class of the class table (what DllGetClassObject hands
// out), whose objects serve through `context`, which outlives them: CLASS_E_CLASSNOTAVAILABLE for
// a CLSID outside the table. The class objects are made once per process, for the first context.
HRESULT GetLibraryClassObject(ServerContext& context, REFCLSID clsid, REFIID iid, void** object);

// What IClassFactory::LockServer(lock) counts: a local server's own lifetime.
using ServerLockFunction = void (*)(bool lock);

// A class object that creates through one factory; aggregation is not supported. Static
// instances serve the process; a reference to one keeps the module loaded. LockServer counts on
// the module lock, or through serverLock when one is given.
class ClassFactory final : public IClassFactory {
 public:
  explicit ClassFactory(CreateFunction create, ServerLockFunction serverLock = nullptr)
      : create_(std::move(create)), serverLock_(serverLock) {}

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
