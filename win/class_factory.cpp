// ClassFactory and the factories of the class table's rows, found by class name.
#include "class_factory.h"

#include <array>
#include <memory>
#include <vector>

#include "registration/registration.h"
#include "automation_objects.h"
#include "com_error.h"
#include "connect_object.h"
#include "module.h"
#include "util/unicode.h"
#include "wide_text.h"

namespace kestrel {

CreateFunction FactoryOf(std::string_view className) {
  struct Factory {
    std::string_view name;
    CreateFunction create;
  };
  static constexpr std::array<Factory, 6> kFactories = {{
      {"Connect", &ConnectObject::Create},
      {"ClsFunction", &CreateFunctionObject},
      {"FunCad", &CreateFunCadObject},
      {"Ini", &CreateIniObject},
      {"OpenSaveDlg", &CreateOpenSaveDlgObject},
      {"cSpeedString", &CreateSpeedStringObject},
  }};
  for (const Factory& f : kFactories) {
    if (f.name == className) return f.create;
  }
  return nullptr;
}

HRESULT GetLibraryClassObject(REFCLSID clsid, REFIID iid, void** object) {
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
      CreateFunction create = FactoryOf(row->name);
      if (create == nullptr) return CLASS_E_CLASSNOTAVAILABLE;
      factory = std::make_unique<ClassFactory>(create);
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
