// ClassFactory and the library's factories of the class table's rows, by their factory ids.
#include "class_factory.h"

#include <memory>
#include <vector>

#include "registration/registration.h"
#include "automation_objects.h"
#include "com_error.h"
#include "connect_object.h"
#include "module.h"
#include "util/unicode.h"
#include "platform/wide_text.h"

namespace kestrel {

// Every id has its case: a row added to the class table without a factory here does not compile.
#pragma GCC diagnostic push
#pragma GCC diagnostic error "-Wswitch"
LibraryCreateFunction LibraryFactoryOf(ComFactoryId id) {
  switch (id) {
    case ComFactoryId::Connect:
      return &ConnectObject::Create;
    case ComFactoryId::ClsFunction:
      return &CreateFunctionObject;
    case ComFactoryId::FunCad:
      return &CreateFunCadObject;
    case ComFactoryId::Ini:
      return &CreateIniObject;
    case ComFactoryId::OpenSaveDlg:
      return &CreateOpenSaveDlgObject;
    case ComFactoryId::SpeedString:
      return &CreateSpeedStringObject;
    case ComFactoryId::Cls64:  // Hollin.exe's
      return nullptr;
  }
  return nullptr;
}
#pragma GCC diagnostic pop

HRESULT GetLibraryClassObject(ServerContext& context, REFCLSID clsid, REFIID iid, void** object) {
  return ComBarrier(IID_IClassFactory, [&] {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    wchar_t text[40] = {};
    if (StringFromGUID2(clsid, text, 40) == 0) return CLASS_E_CLASSNOTAVAILABLE;
    const ComClass* row = FindLibraryClass(FromWide(text));
    if (row == nullptr || row->server != ServerKind::InProcess) return CLASS_E_CLASSNOTAVAILABLE;
    // One class object per row, made on first demand and kept for the life of the process.
    static std::vector<std::unique_ptr<ClassFactory>> factories(LibraryClasses().size());
    std::unique_ptr<ClassFactory>& factory = factories[row - LibraryClasses().data()];
    if (!factory) {
      LibraryCreateFunction create = LibraryFactoryOf(row->factory);
      if (create == nullptr) return CLASS_E_CLASSNOTAVAILABLE;
      factory = std::make_unique<ClassFactory>(
          [create, &context](REFIID created, void** made) { return create(context, created, made); });
    }
    return factory->QueryInterface(iid, object);
  });
}

HRESULT ClassFactory::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG ClassFactory::AddRef() {
  LockModule();
  return 2;
}

ULONG ClassFactory::Release() {
  UnlockModule();
  return 1;
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  return create_(iid, object);
}

HRESULT ClassFactory::LockServer(BOOL lock) {
  if (serverLock_ != nullptr) {
    serverLock_(lock != FALSE);
  } else if (lock) {
    LockModule();
  } else {
    UnlockModule();
  }
  return S_OK;
}

}  // namespace kestrel
