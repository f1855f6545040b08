// The exports of Kestrel.dll: class objects, unloading, and registration per user or per machine.
#include <windows.h>
#include <olectl.h>

#include <string>

#include "registration/registration.h"
#include "class_factory.h"
#include "com_error.h"
#include "kestrel_h.h"
#include "module.h"
#include "registry_apply.h"
#include "server_context.h"
#include "type_library.h"
#include "util/unicode.h"
#include "platform/wide_text.h"

namespace kestrel {
namespace {

HRESULT Register(RegistrationScope scope) {
  return ComBarrier(IID_NULL, [&] {
    return WriteRegistryValues(RegistrationValues(FromWide(ThisModulePath()), scope));
  });
}

HRESULT Unregister(RegistrationScope scope) {
  return ComBarrier(IID_NULL, [&] {
    const HRESULT keys = DeleteRegistryKeys(RegistrationKeys(scope));
    const HRESULT shared = DeleteRegistryValues(RegistrationSharedValues(scope));
    return FAILED(keys) ? keys : shared;
  });
}

}  // namespace
}  // namespace kestrel

using namespace kestrel;

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  return GetLibraryClassObject(LibraryContext(), clsid, iid, object);
}

STDAPI DllCanUnloadNow() {
  return ComBarrier(IID_NULL, [] {
    if (ModuleInUse()) return S_FALSE;
    ReleaseLibraryTypeInfo();
    return S_OK;
  });
}

// Per user: no administrator rights needed, and what the host reads on Windows.
STDAPI DllRegisterServer() { return Register(RegistrationScope::PerUser); }
STDAPI DllUnregisterServer() { return Unregister(RegistrationScope::PerUser); }

// regsvr32 /i:machine registers the classes per machine (for clients that do not read per-user
// classes, such as Wine); /i:user or an empty command line is per user. /u /i:... unregisters.
STDAPI DllInstall(BOOL install, LPCWSTR commandLine) {
  return ComBarrier(IID_NULL, [&] {
    std::string scopeName = AsciiLower(FromWide(commandLine == nullptr ? L"" : commandLine));
    RegistrationScope scope;
    if (scopeName == "machine") {
      scope = RegistrationScope::PerMachine;
    } else if (scopeName.empty() || scopeName == "user") {
      scope = RegistrationScope::PerUser;
    } else {
      return E_INVALIDARG;
    }
    return install ? Register(scope) : Unregister(scope);
  });
}
