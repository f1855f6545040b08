// Hollin.exe: the 32-bit COM local server through which 64-bit clients create Kestrel's objects.
// Started by COM with -Embedding it offers the class objects of the class table's local-server
// rows and runs until the last object it handed out has been released for a moment (or, when no
// client comes, a while after its start); /RegServer and /UnregServer
// write and remove its registration. Windowless: failures show nothing, only the exit code.
#include <windows.h>
#include <objbase.h>

#include <vector>

#include "registration/registration.h"
#include "com/class_factory.h"
#include "com/com_error.h"
#include "loader_object.h"
#include "com/module.h"
#include "com/registry_apply.h"
#include "server_lifetime.h"
#include "server_switch.h"
#include "platform/wide_text.h"

namespace kestrel {
namespace {

void LockServer(bool lock) {
  if (lock) {
    HoldServer();
  } else {
    ReleaseServer();
  }
}

// The factory of a local-server row of the class table; null for the library's rows. Every id
// has its case: a row added to the class table without one here does not compile.
#pragma GCC diagnostic push
#pragma GCC diagnostic error "-Wswitch"
CreateFunction LocalFactoryOf(ComFactoryId id) {
  switch (id) {
    case ComFactoryId::Cls64:
      return &CreateLoaderObject;
    case ComFactoryId::Connect:  // Kestrel.dll's
    case ComFactoryId::ClsFunction:
    case ComFactoryId::FunCad:
    case ComFactoryId::Ini:
    case ComFactoryId::OpenSaveDlg:
    case ComFactoryId::SpeedString:
      return nullptr;
  }
  return nullptr;
}
#pragma GCC diagnostic pop

int Serve() {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  std::vector<ClassFactory> factories;
  factories.reserve(LocalServerClasses().size());
  std::vector<DWORD> cookies;
  HRESULT hr = S_OK;
  for (const ComClass& c : LocalServerClasses()) {
    CreateFunction create = LocalFactoryOf(c.factory);
    CLSID clsid;
    const std::wstring text = ToWide(c.clsid);
    hr = create == nullptr ? CLASS_E_CLASSNOTAVAILABLE : CLSIDFromString(text.c_str(), &clsid);
    if (FAILED(hr)) break;
    factories.emplace_back(create, &LockServer);
    DWORD cookie = 0;
    // Suspended until all are registered; at the last release COM suspends them again itself.
    hr = CoRegisterClassObject(clsid, &factories.back(), CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE | REGCLS_SUSPENDED,
                               &cookie);
    if (FAILED(hr)) break;
    cookies.push_back(cookie);
  }
  if (SUCCEEDED(hr)) hr = CoResumeClassObjects();
  if (SUCCEEDED(hr)) RunServerLoop();
  for (DWORD cookie : cookies) CoRevokeClassObject(cookie);
  CoUninitialize();
  return SUCCEEDED(hr) ? 0 : 1;
}

int Register(bool install, bool perMachine) {
  const RegistrationScope scope = perMachine ? RegistrationScope::PerMachine : RegistrationScope::PerUser;
  HRESULT hr = ComBarrier(IID_NULL, [&] {
    return install ? WriteRegistryValues(LocalServerRegistrationValues(FromWide(ThisModulePath()), scope))
                   : DeleteRegistryKeys(LocalServerRegistrationKeys(scope));
  });
  return SUCCEEDED(hr) ? 0 : 1;
}

}  // namespace
}  // namespace kestrel

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  using kestrel::ServerSwitch;
  const kestrel::ServerCommand command = kestrel::ParseServerCommand(commandLine);
  switch (command.action) {
    case ServerSwitch::RegServer:
      return kestrel::Register(true, command.perMachine);
    case ServerSwitch::UnregServer:
      return kestrel::Register(false, command.perMachine);
    case ServerSwitch::Embedding:
      return kestrel::Serve();
    case ServerSwitch::None:  // started by hand: there is nothing to serve
      return 0;
    case ServerSwitch::Unknown:
      break;
  }
  return 1;
}
