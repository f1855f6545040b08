// Tests of the Windows shell's pieces under Wine: the host Application over IDispatch, the registry
// writer, the COM error barrier, the module folder and the BSTR conversions.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <new>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/host_error.h"
#include "registration/registration.h"
#include "com/com_error.h"
#include "excel/dispatch_application.h"
#include "fake_dispatch.h"
#include "com/registry_apply.h"
#include "platform/wide_text.h"
#include "platform/win32_shell.h"

namespace kestrel {
namespace {

using testing::FakeDispatch;

// UTF-8 of a wide text by the system's own conversion (independent of the shell's).
std::string Utf8(const std::wstring& wide) {
  int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string text(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size, nullptr, nullptr);
  return text;
}

std::string HostErrorOf(void (*call)(Application&), Application& app) {
  try {
    call(app);
  } catch (const HostError& e) {
    return e.what();
  }
  return "<no HostError>";
}

TEST(DispatchApplication, ReadsTheHostSwitchesByName) {
  FakeDispatch host;
  host.SetBool(L"ScreenUpdating", true);
  host.SetBool(L"DisplayAlerts", false);
  DispatchApplication app(&host);
  EXPECT_TRUE(app.ScreenUpdating());
  EXPECT_FALSE(app.DisplayAlerts());
  host.SetBool(L"ScreenUpdating", false);
  host.SetBool(L"DisplayAlerts", true);
  EXPECT_FALSE(app.ScreenUpdating());
  EXPECT_TRUE(app.DisplayAlerts());
  EXPECT_EQ(host.Log(), (std::vector<std::wstring>{L"get ScreenUpdating", L"get DisplayAlerts", L"get ScreenUpdating",
                                                   L"get DisplayAlerts"}));
}

TEST(DispatchApplication, WritesTheHostSwitchesAsBooleanPropertyPuts) {
  FakeDispatch host;
  host.SetBool(L"ScreenUpdating", true);
  host.SetBool(L"DisplayAlerts", true);
  DispatchApplication app(&host);
  app.SetScreenUpdating(false);
  app.SetDisplayAlerts(false);
  app.SetDisplayAlerts(true);
  EXPECT_EQ(host.Log(), (std::vector<std::wstring>{L"put ScreenUpdating=False", L"put DisplayAlerts=False",
                                                   L"put DisplayAlerts=True"}));
  EXPECT_EQ(host.Text(L"ScreenUpdating"), L"False");
  EXPECT_EQ(host.Text(L"DisplayAlerts"), L"True");
}

TEST(DispatchApplication, ScreenUpdatingComesBackOnThroughTheHostAlsoAfterAnError) {
  FakeDispatch host;
  host.SetBool(L"ScreenUpdating", true);
  DispatchApplication app(&host);
  try {
    ScreenUpdatingOff off(app);
    EXPECT_EQ(host.Text(L"ScreenUpdating"), L"False");
    throw HostError("the command stopped");
  } catch (const HostError&) {
  }
  EXPECT_EQ(host.Text(L"ScreenUpdating"), L"True");
}

TEST(DispatchApplication, AHostRefusalBecomesHostErrorWithTheHostsWords) {
  FakeDispatch host;
  host.Fail(L"ScreenUpdating", static_cast<HRESULT>(0x800A03EC), L"\u5C5E\u6027\u4E0D\u53EF\u7528");  // 属性不可用
  DispatchApplication app(&host);
  std::string reading = HostErrorOf([](Application& a) { a.ScreenUpdating(); }, app);
  EXPECT_NE(reading.find("ScreenUpdating"), std::string::npos) << reading;
  EXPECT_NE(reading.find("0x800A03EC"), std::string::npos) << reading;
  EXPECT_NE(reading.find(Utf8(L"\u5C5E\u6027\u4E0D\u53EF\u7528")), std::string::npos) << reading;
  std::string writing = HostErrorOf([](Application& a) { a.SetScreenUpdating(false); }, app);
  EXPECT_NE(writing.find("ScreenUpdating"), std::string::npos) << writing;
}

TEST(DispatchApplication, AMemberTheHostLacksBecomesHostError) {
  FakeDispatch host;
  DispatchApplication app(&host);
  std::string message = HostErrorOf([](Application& a) { a.DisplayAlerts(); }, app);
  EXPECT_NE(message.find("DisplayAlerts"), std::string::npos) << message;
}

TEST(DispatchApplication, HoldsTheHostUntilDestroyed) {
  FakeDispatch host;
  {
    DispatchApplication app(&host);
    EXPECT_EQ(host.References(), 2u);
  }
  EXPECT_EQ(host.References(), 1u);
}

// A scratch key under HKCU standing in for both roots; removed afterwards.
class RegistryApply : public ::testing::Test {
 protected:
  void SetUp() override {
    scratchName_ = L"Software\\KestrelTests\\" + std::to_wstring(GetCurrentProcessId());
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (scratchName_ + L"\\user").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &roots_.currentUser, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (scratchName_ + L"\\machine").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &roots_.localMachine, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegCloseKey(roots_.currentUser);
    RegCloseKey(roots_.localMachine);
    RegDeleteTreeW(HKEY_CURRENT_USER, scratchName_.c_str());
  }
  bool KeyExists(const RegistryKey& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(roots_.Of(key.root), ToWide(key.key).c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(opened);
    return true;
  }

  std::wstring scratchName_;
  RegistryRoots roots_{nullptr, nullptr};
  const std::string modulePath_ = "C:\\Program Files\\Kestrel\\Kestrel.dll";
};

TEST_F(RegistryApply, WritesEveryValueWithItsTypeUnderItsRoot) {
  std::vector<RegistryValue> values = RegistrationValues(modulePath_, RegistrationScope::PerMachine);
  ASSERT_EQ(WriteRegistryValues(values, roots_), S_OK);
  int perRoot[2] = {0, 0};
  for (const RegistryValue& value : values) {
    ++perRoot[value.root == RegistryRoot::CurrentUser ? 0 : 1];
    DWORD type = 0;
    BYTE data[2048];
    DWORD size = sizeof data;
    ASSERT_EQ(RegGetValueW(roots_.Of(value.root), ToWide(value.key).c_str(), ToWide(value.name).c_str(),
                           RRF_RT_ANY, &type, data, &size),
              ERROR_SUCCESS)
        << value.key << " " << value.name;
    if (value.type == RegistryType::Dword) {
      EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << value.key << " " << value.name;
      EXPECT_EQ(*reinterpret_cast<DWORD*>(data), value.dword) << value.key << " " << value.name;
    } else {
      EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << value.key << " " << value.name;
      EXPECT_EQ(Utf8(reinterpret_cast<wchar_t*>(data)), value.text) << value.key << " " << value.name;
    }
  }
  EXPECT_GT(perRoot[0], 0);  // the host's add-in key
  EXPECT_GT(perRoot[1], 0);  // the classes
}

TEST_F(RegistryApply, DeletesEveryKeyAndCountsMissingKeysAsDeleted) {
  ASSERT_EQ(WriteRegistryValues(RegistrationValues(modulePath_, RegistrationScope::PerUser), roots_), S_OK);
  std::vector<RegistryKey> keys = RegistrationKeys(RegistrationScope::PerUser);
  ASSERT_FALSE(keys.empty());
  for (const RegistryKey& key : keys) EXPECT_TRUE(KeyExists(key)) << key.key;
  EXPECT_EQ(DeleteRegistryKeys(keys, roots_), S_OK);
  for (const RegistryKey& key : keys) EXPECT_FALSE(KeyExists(key)) << key.key;
  EXPECT_EQ(DeleteRegistryKeys(keys, roots_), S_OK);
}

TEST_F(RegistryApply, StopsAtTheFirstFailedWriteAndReportsIt) {
  RegistryRoots roots{roots_.currentUser, reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7FFF0000))};  // no such key
  HRESULT hr = WriteRegistryValues({{RegistryRoot::CurrentUser, "First", "", RegistryType::String, "1", 0},
                                    {RegistryRoot::LocalMachine, "Refused", "", RegistryType::String, "2", 0},
                                    {RegistryRoot::CurrentUser, "Third", "", RegistryType::String, "3", 0}},
                                   roots);
  EXPECT_TRUE(FAILED(hr)) << HresultText(hr);
  EXPECT_TRUE(KeyExists({RegistryRoot::CurrentUser, "First"}));
  EXPECT_FALSE(KeyExists({RegistryRoot::CurrentUser, "Third"}));
}

// The description the barrier left for the thread, as UTF-8.
std::string ErrorDescription() {
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK || info == nullptr) return "<no error info>";
  BSTR description = nullptr;
  info->GetDescription(&description);
  std::string text = Utf8(description != nullptr ? description : L"");
  SysFreeString(description);
  info->Release();
  return text;
}

TEST(ComBarrier, TurnsEachExceptionIntoAnHresultWithADescription) {
  EXPECT_EQ(ComBarrier(IID_IDispatch, [] { return S_FALSE; }), S_FALSE);

  EXPECT_EQ(ComBarrier(IID_IDispatch, []() -> HRESULT { throw HostError("\xE5\xA4\xB1\xE8\xB4\xA5 host"); }), E_FAIL);
  EXPECT_EQ(ErrorDescription(), "\xE5\xA4\xB1\xE8\xB4\xA5 host");  // 失败 host

  EXPECT_EQ(ComBarrier(IID_IDispatch, []() -> HRESULT { throw ComError(E_ACCESSDENIED, "denied"); }), E_ACCESSDENIED);
  EXPECT_EQ(ErrorDescription(), "denied");

  EXPECT_EQ(ComBarrier(IID_IDispatch, []() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
  EXPECT_EQ(ComBarrier(IID_IDispatch, []() -> HRESULT { throw 42; }), E_UNEXPECTED);
}

TEST(Win32Shell, ModuleFolderIsTheFolderOfTheModuleWithoutASeparator) {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);  // this test program holds the shell's code
  std::wstring program(path, length);
  std::string folder = Win32Shell().ModuleFolder();
  EXPECT_EQ(folder, Utf8(program.substr(0, program.find_last_of(L'\\'))));
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '\\');
}

TEST(WideText, CarriesChineseBothWaysThroughBstr) {
  BSTR text = ToBstr("Kestrel,\xE6\x89\xB9\xE9\x87\x8F");  // Kestrel,批量
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::wstring(text, SysStringLen(text)), L"Kestrel,\u6279\u91CF");
  EXPECT_EQ(FromBstr(text), "Kestrel,\xE6\x89\xB9\xE9\x87\x8F");
  SysFreeString(text);
  EXPECT_EQ(FromBstr(nullptr), "");
}

}  // namespace
}  // namespace kestrel

int wmain(int argc, wchar_t** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int result = RUN_ALL_TESTS();
  CoUninitialize();
  return result;
}
