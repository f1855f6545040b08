// ConnectClassFactory: creates ConnectObject; aggregation is not supported.
#include "class_factory.h"

#include "connect_object.h"
#include "module.h"

namespace kestrel {

ConnectClassFactory& ConnectClassFactory::Instance() {
  static ConnectClassFactory factory;
  return factory;
}

HRESULT ConnectClassFactory::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG ConnectClassFactory::AddRef() {
  LockModule();
  return 2;
}

ULONG ConnectClassFactory::Release() {
  UnlockModule();
  return 1;
}

HRESULT ConnectClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  return ConnectObject::Create(iid, object);
}

HRESULT ConnectClassFactory::LockServer(BOOL lock) {
  if (lock) {
    LockModule();
  } else {
    UnlockModule();
  }
  return S_OK;
}

}  // namespace kestrel
