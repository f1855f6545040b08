// Registration data: the keys and values that register the library, per user and per machine.
#include "registration/registration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "util/unicode.h"

namespace kestrel {
namespace {

const RegistryValue* Find(const std::vector<RegistryValue>& values, RegistryRoot root, const std::string& key,
                          const std::string& name) {
  for (const RegistryValue& v : values)
    if (v.root == root && v.key == key && v.name == name) return &v;
  return nullptr;
}

TEST(Registration, PerUserNeedsNoMachineKeys) {
  auto values = RegistrationValues("C:\\Users\\u\\Kestrel\\Kestrel.dll", RegistrationScope::PerUser);
  for (const RegistryValue& v : values) EXPECT_EQ(v.root, RegistryRoot::CurrentUser) << v.key;
  const std::string clsid = "Software\\Classes\\CLSID\\{BC47A2CA-0F11-49FB-A7D1-62ACF6D6797C}";
  auto server = Find(values, RegistryRoot::CurrentUser, clsid + "\\InprocServer32", "");
  ASSERT_NE(server, nullptr);
  EXPECT_EQ(server->text, "C:\\Users\\u\\Kestrel\\Kestrel.dll");
  EXPECT_EQ(Find(values, RegistryRoot::CurrentUser, clsid + "\\InprocServer32", "ThreadingModel")->text, "Apartment");
  EXPECT_EQ(Find(values, RegistryRoot::CurrentUser, clsid + "\\ProgID", "")->text, "Kestrel.Connect.1");
  EXPECT_EQ(Find(values, RegistryRoot::CurrentUser, "Software\\Classes\\Kestrel.Connect\\CLSID", "")->text,
            "{BC47A2CA-0F11-49FB-A7D1-62ACF6D6797C}");
}

TEST(Registration, TheHostsAddinKeyIsPerUserInBothScopes) {
  for (auto scope : {RegistrationScope::PerUser, RegistrationScope::PerMachine}) {
    auto values = RegistrationValues("C:\\K\\Kestrel.dll", scope);
    const std::string key = "Software\\Microsoft\\Office\\Excel\\Addins\\Kestrel.Connect";
    auto friendly = Find(values, RegistryRoot::CurrentUser, key, "FriendlyName");
    auto description = Find(values, RegistryRoot::CurrentUser, key, "Description");
    auto load = Find(values, RegistryRoot::CurrentUser, key, "LoadBehavior");
    ASSERT_TRUE(friendly && description && load);
    EXPECT_EQ(friendly->text, "Kestrel");
    EXPECT_EQ(description->text, "Kestrel,批量绘制横断面辅助工具");
    EXPECT_EQ(load->type, RegistryType::Dword);
    EXPECT_EQ(load->dword, 3u);
  }
}

TEST(Registration, PerMachinePutsTheClassesUnderTheMachine) {
  auto values = RegistrationValues("C:\\K\\Kestrel.dll", RegistrationScope::PerMachine);
  int machine = 0;
  for (const RegistryValue& v : values) {
    if (v.key.starts_with("Software\\Classes\\")) {
      EXPECT_EQ(v.root, RegistryRoot::LocalMachine) << v.key;
      ++machine;
    }
  }
  EXPECT_GT(machine, 0);
}

TEST(Registration, TypeLibraryAndInterfacesForMarshalling) {
  auto values = RegistrationValues("C:\\K\\Kestrel.dll", RegistrationScope::PerUser);
  const std::string lib = "Software\\Classes\\TypeLib\\{BBF9A9E2-762B-458F-8184-79FFC283B900}\\1.0";
  const std::string arch = sizeof(void*) == 8 ? "win64" : "win32";
  auto path = Find(values, RegistryRoot::CurrentUser, lib + "\\0\\" + arch, "");
  ASSERT_NE(path, nullptr);
  EXPECT_EQ(path->text, "C:\\K\\Kestrel.dll");
  EXPECT_EQ(Find(values, RegistryRoot::CurrentUser, lib + "\\HELPDIR", "")->text, "C:\\K");
  const std::string iface = "Software\\Classes\\Interface\\{7C0FB104-F5FC-4F06-A93C-53BAC6335056}";
  EXPECT_EQ(Find(values, RegistryRoot::CurrentUser, iface + "\\ProxyStubClsid32", "")->text,
            "{00020424-0000-0000-C000-000000000046}");
}

// Every row of the class table: its class key, both ProgIDs, its interface, and the automation
// add-in mark on ClsFunction alone.
TEST(Registration, EveryClassOfTheTableIsRegisteredUnderBothProgIds) {
  auto values = RegistrationValues("C:\\K\\Kestrel.dll", RegistrationScope::PerMachine);
  auto text = [&](const std::string& key, const std::string& name = "") -> std::string {
    const RegistryValue* v = Find(values, RegistryRoot::LocalMachine, "Software\\Classes\\" + key, name);
    return v ? v->text : "<missing>";
  };
  std::vector<std::string> names;
  for (const ComClass& c : LibraryClasses()) {
    names.push_back(std::string(c.name));
    const std::string clsid = "CLSID\\" + std::string(c.clsid);
    EXPECT_EQ(text(clsid + "\\InprocServer32"), "C:\\K\\Kestrel.dll") << c.name;
    EXPECT_EQ(text(clsid + "\\InprocServer32", "ThreadingModel"), "Apartment") << c.name;
    EXPECT_EQ(text(clsid + "\\ProgID"), "Kestrel." + std::string(c.name) + ".1");
    EXPECT_EQ(text(clsid + "\\VersionIndependentProgID"), "Kestrel." + std::string(c.name));
    EXPECT_EQ(text("Kestrel." + std::string(c.name) + "\\CLSID"), c.clsid);
    EXPECT_EQ(text("Kestrel." + std::string(c.name) + "\\CurVer"), "Kestrel." + std::string(c.name) + ".1");
    EXPECT_EQ(text("Kestrel." + std::string(c.name) + ".1\\CLSID"), c.clsid);
    EXPECT_EQ(text("Interface\\" + std::string(c.interfaceId) + "\\TypeLib"), kTypeLibId) << c.name;
    EXPECT_EQ(text(clsid + "\\Programmable") != "<missing>", c.name == "ClsFunction") << c.name;
    EXPECT_EQ(FindLibraryClass(AsciiLower(c.clsid)), &c);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Connect", "ClsFunction", "FunCad", "Ini", "OpenSaveDlg", "cSpeedString"}));
  EXPECT_EQ(FindLibraryClass("{00000000-0000-0000-0000-000000000000}"), nullptr);
}

// The library's and the local server's: each key removed in the registry view it was written to,
// and the values written into shared keys removed one by one.
TEST(Registration, UnregistrationRemovesEveryKeyItWrote) {
  for (auto scope : {RegistrationScope::PerUser, RegistrationScope::PerMachine}) {
    for (bool local : {false, true}) {
      auto keys = local ? LocalServerRegistrationKeys(scope) : RegistrationKeys(scope);
      auto shared = local ? std::vector<RegistryValue>{} : RegistrationSharedValues(scope);
      auto values = local ? LocalServerRegistrationValues("C:\\K\\Hollin.exe", scope)
                          : RegistrationValues("C:\\K\\Kestrel.dll", scope);
      for (const RegistryValue& v : values) {
        bool covered = std::any_of(keys.begin(), keys.end(), [&](const RegistryKey& k) {
          return k.root == v.root && k.view == v.view && (v.key == k.key || v.key.starts_with(k.key + "\\"));
        });
        covered = covered || std::find(shared.begin(), shared.end(), v) != shared.end();
        EXPECT_TRUE(covered) << RootName(v.root) << "\\" << v.key;
      }
      for (const RegistryValue& v : shared) {
        for (const RegistryKey& k : keys) EXPECT_FALSE(v.key.starts_with(k.key)) << k.key << " holds others' values";
      }
    }
  }
}

// WPS loads the add-in only when its ProgID stands in the whitelist: per user, or per machine for
// a per-machine registration; the key is not Kestrel's own.
TEST(Registration, TheWpsWhitelistNamesTheConnectProgIdWhereTheScopeSays) {
  for (auto [scope, root] : {std::pair{RegistrationScope::PerUser, RegistryRoot::CurrentUser},
                             std::pair{RegistrationScope::PerMachine, RegistryRoot::LocalMachine}}) {
    const RegistryValue whitelist{root, "Software\\Kingsoft\\Office\\ET\\AddinsWL", "Kestrel.Connect",
                                  RegistryType::String, "1", 0};
    auto values = RegistrationValues("C:\\K\\Kestrel.dll", scope);
    EXPECT_EQ(std::count(values.begin(), values.end(), whitelist), 1);
    EXPECT_EQ(RegistrationSharedValues(scope), std::vector<RegistryValue>{whitelist});
  }
}

// Hollin.exe's class: started by COM from its quoted path, named Hollin.Cls64, its type library
// for 32-bit and 64-bit readers, and its interface where 64-bit clients look for the marshaller;
// none of the library's classes or the host's add-in key.
TEST(Registration, TheLocalServerRegistersCls64ForSixtyFourBitClients) {
  const std::string exe = "C:\\Program Files\\Kestrel\\Hollin.exe";
  auto values = LocalServerRegistrationValues(exe, RegistrationScope::PerUser);
  auto text = [&](const std::string& key, const std::string& name = "",
                  RegistryView view = RegistryView::Running) -> std::string {
    for (const RegistryValue& v : values) {
      const bool same = v.key == "Software\\Classes\\" + key && v.name == name && v.view == view;
      if (v.root == RegistryRoot::CurrentUser && same) return v.text;
    }
    return "<missing>";
  };
  const std::string clsid = "CLSID\\{08867F2D-69C1-4600-8198-0927B78B4D3F}";
  EXPECT_EQ(text(clsid + "\\LocalServer32"), "\"" + exe + "\"");
  EXPECT_EQ(text(clsid + "\\InprocServer32"), "<missing>");
  EXPECT_EQ(text(clsid + "\\ProgID"), "Hollin.Cls64.1");
  EXPECT_EQ(text(clsid + "\\VersionIndependentProgID"), "Hollin.Cls64");
  EXPECT_EQ(text("Hollin.Cls64\\CLSID"), "{08867F2D-69C1-4600-8198-0927B78B4D3F}");
  EXPECT_EQ(text("Hollin.Cls64\\CurVer"), "Hollin.Cls64.1");
  EXPECT_EQ(text(clsid + "\\TypeLib"), kHollinTypeLibId);
  const std::string lib = "TypeLib\\" + std::string(kHollinTypeLibId) + "\\1.0\\0\\";
  EXPECT_EQ(text(lib + "win32"), exe);
  EXPECT_EQ(text(lib + "win64"), exe + "\\2");
  const std::string iface = "Interface\\{C02E7EC7-3D65-4D43-B941-65BA97455714}";
  for (RegistryView view : {RegistryView::Running, RegistryView::Bits64}) {
    EXPECT_EQ(text(iface, "", view), "_Cls64");
    EXPECT_EQ(text(iface + "\\ProxyStubClsid32", "", view), "{00020424-0000-0000-C000-000000000046}");
    EXPECT_EQ(text(iface + "\\TypeLib", "", view), kHollinTypeLibId);
  }
  for (const RegistryValue& v : values) {
    EXPECT_EQ(v.key.find("Kestrel"), std::string::npos) << v.key;
    EXPECT_TRUE(v.key.starts_with("Software\\Classes\\")) << v.key;
  }
  for (const RegistryValue& v : LocalServerRegistrationValues(exe, RegistrationScope::PerMachine)) {
    EXPECT_EQ(v.root, RegistryRoot::LocalMachine) << v.key;
  }
  for (const RegistryValue& v : RegistrationValues("C:\\K\\Kestrel.dll", RegistrationScope::PerMachine)) {
    EXPECT_EQ(v.key.find("Hollin"), std::string::npos) << v.key;
    EXPECT_EQ(v.key.find("{08867F2D"), std::string::npos) << v.key;
  }
}

}  // namespace
}  // namespace kestrel
