// Registration as data: the registry values that register the add-in library and its classes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

enum class RegistryRoot { CurrentUser, LocalMachine };
enum class RegistryType { String, Dword };

// One value; name "" is the key's default value.
struct RegistryValue {
  RegistryRoot root = RegistryRoot::CurrentUser;
  std::string key;  // below the root, "\\"-separated
  std::string name;
  RegistryType type = RegistryType::String;
  std::string text;
  uint32_t dword = 0;
  friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

// A whole key (with its subkeys) that unregistration removes.
struct RegistryKey {
  RegistryRoot root = RegistryRoot::CurrentUser;
  std::string key;
  friend bool operator==(const RegistryKey&, const RegistryKey&) = default;
};

// Per user needs no administrator rights and is what Windows uses; per machine serves hosts that
// do not read per-user classes (Wine). The host's add-in key is per user in both.
enum class RegistrationScope { PerUser, PerMachine };

// Where a class's objects live: in the library's process, or in a local server program.
enum class ServerKind { InProcess, LocalServer };
enum class ThreadingModel { Apartment, Both };

// One creatable class: the single row that the class objects (DllGetClassObject), the
// registration and the local server all read. Adding a class is adding a row here, its
// interface and coclass in the type library, and its factory in the Windows shell.
//   {"FunCad", "{2984...}", "_FunCad", "{6E7B...}", "Kestrel CAD services"}
//     -> ProgIDs "Kestrel.FunCad" (version-independent) and "Kestrel.FunCad.1"
struct ComClass {
  std::string_view name;           // "Connect": the coclass name and the factory's key
  std::string_view clsid;          // "{BC47A2CA-...}"
  std::string_view interfaceName;  // the default dual interface: "_Connect"
  std::string_view interfaceId;
  std::string_view description;
  ThreadingModel threading = ThreadingModel::Apartment;
  ServerKind server = ServerKind::InProcess;
  // Offered in the host's list of automation add-ins (the Programmable key).
  bool automationAddin = false;

  std::string ProgId() const { return "Kestrel." + std::string(name); }
  std::string VersionedProgId() const { return ProgId() + ".1"; }
};

inline constexpr std::string_view kTypeLibId = "{BBF9A9E2-762B-458F-8184-79FFC283B900}";
inline constexpr std::string_view kConnectClsid = "{BC47A2CA-0F11-49FB-A7D1-62ACF6D6797C}";
inline constexpr std::string_view kConnectProgId = "Kestrel.Connect";
inline constexpr std::string_view kConnectInterfaceId = "{7C0FB104-F5FC-4F06-A93C-53BAC6335056}";

// The host's per-user COM add-in key of the library and what it says.
inline constexpr std::string_view kExcelAddinKey = "Software\\Microsoft\\Office\\Excel\\Addins\\Kestrel.Connect";
inline constexpr std::string_view kAddinFriendlyName = "Kestrel";
inline constexpr std::string_view kAddinDescription = "Kestrel,批量绘制横断面辅助工具";
inline constexpr uint32_t kAddinLoadBehavior = 3;  // load at start-up, loaded

// The class table: every creatable class of the library, in the type library's order.
const std::vector<ComClass>& LibraryClasses();
// The row whose CLSID is clsid ("{...}", compared without regard to case); null when none is.
const ComClass* FindLibraryClass(std::string_view clsid);

// A dispatch interface of the type library, marshalled by the automation marshaler.
struct ComInterface {
  std::string_view iid;
  std::string_view name;
};
// The default interfaces of the class table's rows.
std::vector<ComInterface> LibraryInterfaces();

// Everything DllRegisterServer writes for the library at modulePath, in writing order. The type
// library is registered for the bitness of the running build ("win32" or "win64").
std::vector<RegistryValue> RegistrationValues(std::string_view modulePath, RegistrationScope scope);
// Everything DllUnregisterServer removes.
std::vector<RegistryKey> RegistrationKeys(RegistrationScope scope);

// "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE".
std::string_view RootName(RegistryRoot root);

}  // namespace kestrel
