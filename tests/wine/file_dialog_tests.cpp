// OpenSaveDlg of Kestrel.dll on a display: the platform's save and open dialogs, driven by a user on
// another thread who finds the dialog by its title, types a file name and presses OK or Cancel.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <thread>
#include <vector>

#include "registration/registration.h"
#include "ui_driver.h"

namespace {

using kestrel::testing::UiDriver;

std::wstring dllPath;
std::wstring folder;  // where the chosen files are

// obj.name late-bound: a property read or a method with the given arguments (in order).
VARIANT Invoke(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> arguments = {}) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
  DISPID put = DISPID_PROPERTYPUT;
  const bool isPut = flags == DISPATCH_PROPERTYPUT;
  DISPPARAMS params{reversed.data(), isPut ? &put : nullptr, static_cast<UINT>(reversed.size()), isPut ? 1u : 0u};
  VARIANT result;
  VariantInit(&result);
  HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, nullptr, nullptr);
  EXPECT_EQ(hr, S_OK) << "calling " << std::string(name, name + wcslen(name));
  for (VARIANT& v : arguments) VariantClear(&v);
  return result;
}

VARIANT Text(const std::wstring& text) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(text.c_str());
  return v;
}

std::wstring Property(IDispatch* object, const wchar_t* name) {
  VARIANT v = Invoke(object, name, DISPATCH_PROPERTYGET);
  std::wstring text = V_VT(&v) == VT_BSTR && V_BSTR(&v) ? V_BSTR(&v) : L"";
  VariantClear(&v);
  return text;
}

void SetProperty(IDispatch* object, const wchar_t* name, const std::wstring& value) {
  Invoke(object, name, DISPATCH_PROPERTYPUT, {Text(value)});
}

// ShowOpen or ShowSave with no owner window: true when the user confirmed.
bool Show(IDispatch* dialog, const wchar_t* method) {
  VARIANT owner;
  VariantInit(&owner);
  V_VT(&owner) = VT_I4;
  V_I4(&owner) = 0;
  VARIANT result = Invoke(dialog, method, DISPATCH_METHOD, {owner});
  return V_VT(&result) == VT_BOOL && V_BOOL(&result) == VARIANT_TRUE;
}

IDispatch* CreateOpenSaveDlg() {
  HMODULE dll = LoadLibraryW(dllPath.c_str());
  auto getClassObject = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
      reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
  for (const kestrel::ComClass& c : kestrel::LibraryClasses()) {
    if (c.name != "OpenSaveDlg") continue;
    std::wstring text(c.clsid.begin(), c.clsid.end());
    CLSID clsid;
    CLSIDFromString(text.c_str(), &clsid);
    IClassFactory* factory = nullptr;
    IDispatch* object = nullptr;
    if (getClassObject == nullptr || FAILED(getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory))))
      return nullptr;
    factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&object));
    factory->Release();
    return object;
  }
  return nullptr;
}

// Types a name into the file dialog's name box (an edit, or the combo box of the explorer style).
void TypeFileName(HWND dialog, const std::wstring& name) {
  for (int id : {0x47C, 0x480}) {  // cmb13, edt1
    HWND box = GetDlgItem(dialog, id);
    if (box != nullptr && IsWindowVisible(box)) {
      SendMessageTimeoutW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()), SMTO_ABORTIFHUNG, 5000, nullptr);
      return;
    }
  }
}

void Press(HWND dialog, int button) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

TEST(OpenSaveDlg, SaveTakesTheTypedNameWithTheDefaultExtension) {
  IDispatch* dialog = CreateOpenSaveDlg();
  ASSERT_NE(dialog, nullptr);
  SetProperty(dialog, L"Filter", L"文本文件 (*.txt)|*.txt");
  SetProperty(dialog, L"InitDir", folder);
  SetProperty(dialog, L"DefaultExt", L"txt");
  SetProperty(dialog, L"FileName", L"a_proposed_name_longer_than_the_chosen_one.txt");
  UiDriver driver;
  std::thread user([&] {
    HWND window = UiDriver::WaitFor([] { return UiDriver::FindDialog(L"保存"); });
    driver.Check(window != nullptr, "the save dialog, titled 保存, opened");
    if (window == nullptr) return;
    UiDriver::Settle(window);
    driver.Screenshot(L"open_save_dlg_save");
    TypeFileName(window, folder + L"\\k");
    Press(window, IDOK);
  });
  const bool confirmed = Show(dialog, L"ShowSave");
  user.join();
  for (const std::string& failure : driver.Failures()) ADD_FAILURE() << failure;
  EXPECT_TRUE(confirmed);
  EXPECT_EQ(Property(dialog, L"FileName"), folder + L"\\k.txt");
  EXPECT_EQ(Property(dialog, L"FileTitle"), L"k.txt");
  EXPECT_EQ(Property(dialog, L"DialogTitle"), L"");
  dialog->Release();
}

TEST(OpenSaveDlg, CancelKeepsTheNamesAndEmptiesTheTitle) {
  IDispatch* dialog = CreateOpenSaveDlg();
  ASSERT_NE(dialog, nullptr);
  SetProperty(dialog, L"FileName", L"unchanged.txt");
  SetProperty(dialog, L"FileTitle", L"unchanged");
  SetProperty(dialog, L"DialogTitle", L"导出断面数据");
  UiDriver driver;
  std::thread user([&] {
    HWND window = UiDriver::WaitFor([] { return UiDriver::FindDialog(L"导出断面数据"); });
    driver.Check(window != nullptr, "the save dialog shows DialogTitle");
    if (window == nullptr) return;
    UiDriver::Settle(window);
    driver.Screenshot(L"open_save_dlg_titled");
    Press(window, IDCANCEL);
  });
  EXPECT_FALSE(Show(dialog, L"ShowSave"));
  user.join();
  for (const std::string& failure : driver.Failures()) ADD_FAILURE() << failure;
  EXPECT_EQ(Property(dialog, L"FileName"), L"unchanged.txt");
  EXPECT_EQ(Property(dialog, L"FileTitle"), L"unchanged");
  EXPECT_EQ(Property(dialog, L"DialogTitle"), L"");
  dialog->Release();
}

TEST(OpenSaveDlg, OpenChoosesAnExistingFile) {
  const std::wstring chosen = folder + L"\\existing.txt";
  CloseHandle(CreateFileW(chosen.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  IDispatch* dialog = CreateOpenSaveDlg();
  ASSERT_NE(dialog, nullptr);
  SetProperty(dialog, L"Filter", L"All (*.*)|*.*");
  Invoke(dialog, L"Flags", DISPATCH_PROPERTYPUT, {[] {
           VARIANT v;
           VariantInit(&v);
           V_VT(&v) = VT_I4;
           V_I4(&v) = 4096;  // OFN_FILEMUSTEXIST
           return v;
         }()});
  UiDriver driver;
  std::thread user([&] {
    HWND window = UiDriver::WaitFor([] { return UiDriver::FindDialog(L"打开"); });
    driver.Check(window != nullptr, "the open dialog, titled 打开, opened");
    if (window == nullptr) return;
    UiDriver::Settle(window);
    driver.Screenshot(L"open_save_dlg_open");
    TypeFileName(window, chosen);
    Press(window, IDOK);
  });
  EXPECT_TRUE(Show(dialog, L"ShowOpen"));
  user.join();
  for (const std::string& failure : driver.Failures()) ADD_FAILURE() << failure;
  EXPECT_EQ(Property(dialog, L"FileName"), chosen);
  EXPECT_EQ(Property(dialog, L"FileTitle"), L"existing.txt");
  dialog->Release();
}

TEST(OpenSaveDlg, GetFolderCancelledGivesTheEmptyText) {
  IDispatch* dialog = CreateOpenSaveDlg();
  ASSERT_NE(dialog, nullptr);
  UiDriver driver;
  std::thread user([&] {
    HWND window = UiDriver::WaitFor([] { return UiDriver::FindDialogShowing(L"选择目标文件夹"); });
    driver.Check(window != nullptr, "the folder picker shows the prompt 选择目标文件夹");
    if (window == nullptr) return;
    UiDriver::Settle(window);
    driver.Screenshot(L"open_save_dlg_folder");
    Press(window, IDCANCEL);
  });
  VARIANT owner;
  VariantInit(&owner);
  V_VT(&owner) = VT_I4;
  V_I4(&owner) = 0;
  VARIANT folder = Invoke(dialog, L"GetFolder", DISPATCH_METHOD, {owner});
  user.join();
  for (const std::string& failure : driver.Failures()) ADD_FAILURE() << failure;
  EXPECT_EQ(V_VT(&folder), VT_BSTR);
  EXPECT_EQ(SysStringLen(V_BSTR(&folder)), 0u);
  VariantClear(&folder);
  dialog->Release();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 3) {
    fwprintf(stderr, L"usage: file_dialog_tests KESTREL_DLL FOLDER\n");
    return 2;
  }
  auto windowsPath = [](std::wstring path) {
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    for (wchar_t& c : path) c = c == L'/' ? L'\\' : c;
    return path;
  };
  dllPath = windowsPath(argv[1]);
  folder = windowsPath(argv[2]);
  CreateDirectoryW(folder.c_str(), nullptr);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int result = RUN_ALL_TESTS();
  CoUninitialize();
  return result;
}
