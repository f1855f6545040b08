// Registration as data: the registry values that register the add-in library and its classes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

enum class RegistryRoot { CurrentUser, LocalMachine };
enum class RegistryType { String, Dword };

// Which registry a value goes to on 64-bit Windows: the view of the program that writes it, or
// the 64-bit view also from a 32-bit program (where 64-bit clients look for an interface's
// marshaller: the 32-bit view is a separate one for those keys).
enum class RegistryView { Running, Bits64 };

// One value; name "" is the key's default value.
struct RegistryValue {
  RegistryRoot root = RegistryRoot::CurrentUser;
  std::string key;  // below the root, "\\"-separated
  std::string name;
  RegistryType type = RegistryType::String;
  std::string text;
  uint32_t dword = 0;
  RegistryView view = RegistryView::Running;
  friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

// A whole key (with its subkeys) that unregistration removes.
struct RegistryKey {
  RegistryRoot root = RegistryRoot::CurrentUser;
  std::string key;
  RegistryView view = RegistryView::Running;
  friend bool operator==(const RegistryKey&, const RegistryKey&) = default;
};

// Per user needs no administrator rights and is what Windows uses; per machine serves hosts that
// do not read per-user classes (Wine). The host's add-in key is per user in both.
enum class RegistrationScope { PerUser, PerMachine };

// Where a class's objects live: in the library's process, or in a local server program.
enum class ServerKind { InProcess, LocalServer };
enum class ThreadingModel { Apartment, Both };

// Which factory makes a class's objects. The table is portable and cannot hold the Windows
// functions themselves: each program maps these ids to its factories in one switch over the
// whole enum, which the compiler rejects when an id has no case (class_factory_table.cpp of the
// library, Hollin's main.cpp).
enum class ComFactoryId { Connect, ClsFunction, FunCad, Ini, OpenSaveDlg, SpeedString, Cls64 };

// One creatable class: the single row that the class objects (DllGetClassObject), the
// registration and the local server all read. Adding a class is adding a row here with a new
// factory id (the programs' switches then fail to compile until they serve it), and its
// interface and coclass in the type library of its program.
//   {"FunCad", ComFactoryId::FunCad, "{2984...}", "_FunCad", "{6E7B...}", "Kestrel CAD services"}
//     -> ProgIDs "Kestrel.FunCad" (version-independent) and "Kestrel.FunCad.1"
// A local server's row names its program: {"Cls64", ..., ServerKind::LocalServer, false, "Hollin"}
//     -> "Hollin.Cls64", served by Hollin.exe.
struct ComClass {
  std::string_view name;           // "Connect": the coclass name
  ComFactoryId factory;            // what makes its objects
  std::string_view clsid;          // "{BC47A2CA-...}"
  std::string_view interfaceName;  // the default dual interface: "_Connect"
  std::string_view interfaceId;
  std::string_view description;
  ThreadingModel threading = ThreadingModel::Apartment;
  ServerKind server = ServerKind::InProcess;
  // Offered in the host's list of automation add-ins (the Programmable key).
  bool automationAddin = false;
  // The program whose class it is: the first part of its ProgIDs.
  std::string_view program = "Kestrel";

  std::string ProgId() const { return std::string(program) + "." + std::string(name); }
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

// The WPS spreadsheet's whitelist of COM add-ins: it loads an add-in registered under Excel's
// add-in key only when a string value named after the add-in's ProgID stands in this key (per
// user, or per machine for a per-machine registration). Other add-ins' values share the key.
inline constexpr std::string_view kWpsWhitelistKey = "Software\\Kingsoft\\Office\\ET\\AddinsWL";

// Hollin.exe, the local server through which 64-bit clients create the library's objects: its
// type library (embedded twice: TYPELIB 1 for 32-bit readers, TYPELIB 2 for 64-bit ones).
inline constexpr std::string_view kHollinTypeLibId = "{3A5FB078-9F8E-46C4-BCAC-13E4E7A1EBE2}";
inline constexpr std::string_view kCls64Clsid = "{08867F2D-69C1-4600-8198-0927B78B4D3F}";

// The class table: every creatable class of the system, the library's (in-process) and the
// local server's, each in its type library's order.
const std::vector<ComClass>& ComClasses();
// The rows of one server kind: LibraryClasses() the library's, LocalServerClasses() Hollin's.
const std::vector<ComClass>& LibraryClasses();
const std::vector<ComClass>& LocalServerClasses();
// The row whose CLSID is clsid ("{...}", compared without regard to case); null when none is.
const ComClass* FindLibraryClass(std::string_view clsid);

// A dispatch interface of the type library, marshalled by the automation marshaler.
struct ComInterface {
  std::string_view iid;
  std::string_view name;
};
// The default interfaces of the library's rows.
std::vector<ComInterface> LibraryInterfaces();

// Everything DllRegisterServer writes for the library at modulePath, in writing order. The type
// library is registered for the bitness of the running build ("win32" or "win64").
std::vector<RegistryValue> RegistrationValues(std::string_view modulePath, RegistrationScope scope);
// The same for a library of the given bitness, whichever program computes it: the installers'
// registry tables hold one set per library they carry.
enum class LibraryBits { Bits32, Bits64 };
std::vector<RegistryValue> RegistrationValues(std::string_view modulePath, RegistrationScope scope, LibraryBits bits);
// Everything DllUnregisterServer removes: whole keys, and the single values that registration
// wrote into keys that others share (the WPS whitelist), which keep their other values.
std::vector<RegistryKey> RegistrationKeys(RegistrationScope scope);
std::vector<RegistryValue> RegistrationSharedValues(RegistrationScope scope);

// Everything `Hollin.exe /RegServer` writes for the local server at exePath: its classes
// (LocalServer32, quoted), their ProgIDs, its type library for win32 (TYPELIB 1) and win64
// (TYPELIB 2), and its interfaces in both registry views, so that a 64-bit client marshals them.
//   LocalServerRegistrationValues("C:\\K\\Hollin.exe", RegistrationScope::PerUser)
std::vector<RegistryValue> LocalServerRegistrationValues(std::string_view exePath, RegistrationScope scope);
// Everything `Hollin.exe /UnregServer` removes.
std::vector<RegistryKey> LocalServerRegistrationKeys(RegistrationScope scope);

// "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE".
std::string_view RootName(RegistryRoot root);

}  // namespace kestrel
