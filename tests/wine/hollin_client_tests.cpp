// A 64-bit client bound early to FunCad's and Ini's interfaces (as a macro with a reference to
// Kestrel's type library) through Hollin.Cls64: COM marshals _FunCad and _Ini from the 32-bit
// server with their type library. Run by run_hollin.py with Hollin and both libraries registered.
// Usage: hollin_client_tests INI_FILE
//        hollin_client_tests --server-stays   (for hollin.vbs: exit 0 when the running Hollin.exe
//                                              outlives three lingers, 1 when it ends before)
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>
#include <tlhelp32.h>

#include <string>

#include "kestrel_h.h"
#include "server_lifetime.h"

namespace {

std::wstring iniPath;

// One counted reference, released when it goes.
template <class T>
struct Ref {
  T* p = nullptr;
  Ref() = default;
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  ~Ref() { Reset(); }
  void Reset() {
    if (p) p->Release();
    p = nullptr;
  }
  void** Out() { return reinterpret_cast<void**>(&p); }
};

// loader.<method>() through IDispatch, as any client reaches Cls64.
IDispatch* Load(IDispatch* loader, const wchar_t* method) {
  DISPID id = 0;
  LPOLESTR name = const_cast<LPOLESTR>(method);
  if (FAILED(loader->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id))) return nullptr;
  DISPPARAMS none{};
  VARIANT result;
  VariantInit(&result);
  if (FAILED(loader->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, &result, nullptr, nullptr)) ||
      V_VT(&result) != VT_DISPATCH) {
    VariantClear(&result);
    return nullptr;
  }
  return V_DISPATCH(&result);
}

IUnknown* Identity(IUnknown* object) {
  IUnknown* unknown = nullptr;
  object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown));
  if (unknown) unknown->Release();  // compared only, the object stays alive through its holder
  return unknown;
}

// The running Hollin.exe, opened to wait for its end; null when none runs.
HANDLE HollinProcess() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return nullptr;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  HANDLE found = nullptr;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && found == nullptr; more = Process32NextW(snapshot, &entry))
    if (_wcsicmp(entry.szExeFile, L"Hollin.exe") == 0) found = OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID);
  CloseHandle(snapshot);
  return found;
}

// Whether the running Hollin.exe outlives three lingers from now: a server that counted the
// client's objects out would end one linger after the last release. Its end is waited for.
bool ServerOutlivesThreeLingers() {
  HANDLE server = HollinProcess();
  if (server == nullptr) return false;
  const bool stays = WaitForSingleObject(server, 3 * kestrel::kLingerMs) == WAIT_TIMEOUT;
  CloseHandle(server);
  return stays;
}

VARIANT Text(const wchar_t* text) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(text);
  return v;
}

TEST(HollinClient, FunCadAndIniBoundEarlyAcrossTheProcessBoundaryOutliveTheLoader) {
  CLSID clsid;
  ASSERT_EQ(CLSIDFromProgID(L"Hollin.Cls64", &clsid), S_OK);
  Ref<IDispatch> loader;
  ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, loader.Out()), S_OK);

  Ref<IDispatch> cadObject, iniObject;
  cadObject.p = Load(loader.p, L"LoadFcad");
  iniObject.p = Load(loader.p, L"LoadIni");
  ASSERT_NE(cadObject.p, nullptr);
  ASSERT_NE(iniObject.p, nullptr);
  Ref<_FunCad> cad;
  Ref<_Ini> ini;
  ASSERT_EQ(cadObject.p->QueryInterface(IID__FunCad, cad.Out()), S_OK);
  ASSERT_EQ(iniObject.p->QueryInterface(IID__Ini, ini.Out()), S_OK);
  // One object whichever interface the client asks for.
  EXPECT_EQ(Identity(cad.p), Identity(cadObject.p));

  double distance = 0;
  ASSERT_EQ(cad.p->JL(0, 0, 3, 4, &distance), S_OK);
  EXPECT_EQ(distance, 5);
  double number = 0;
  BSTR label = SysAllocString(L"K12+345.6");
  ASSERT_EQ(cad.p->FunGetNumber(label, &number), S_OK);
  SysFreeString(label);
  EXPECT_EQ(number, 12);

  BSTR path = SysAllocString(iniPath.c_str());
  ASSERT_EQ(ini.p->put_INIFileName(path), S_OK);
  SysFreeString(path);
  VARIANT section = Text(L"Plugin"), key = Text(L"Scale"), value = Text(L"1:200");
  LONG written = 0;
  ASSERT_EQ(ini.p->WriteIniKey(&section, &key, &value, &written), S_OK);
  EXPECT_NE(written, 0);
  BSTR fallback = SysAllocString(L"none");
  BSTR read = nullptr;
  ASSERT_EQ(ini.p->GetIniKey(&section, &key, fallback, &read), S_OK);
  EXPECT_EQ(std::wstring(read ? read : L""), L"1:200");
  SysFreeString(read);
  SysFreeString(fallback);
  VariantClear(&section);
  VariantClear(&key);
  VariantClear(&value);

  // Only the early-bound interfaces are left: the server must stay for them.
  loader.Reset();
  cadObject.Reset();
  iniObject.Reset();
  EXPECT_TRUE(ServerOutlivesThreeLingers()) << "Hollin ended while early-bound interfaces were held";
  distance = 0;
  EXPECT_EQ(cad.p->JL(0, 0, 6, 8, &distance), S_OK);
  EXPECT_EQ(distance, 10);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wstring(argv[1]) == L"--server-stays") return ServerOutlivesThreeLingers() ? 0 : 1;
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 2) {
    fwprintf(stderr, L"usage: hollin_client_tests INI_FILE\n");
    return 2;
  }
  iniPath = argv[1];
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int result = RUN_ALL_TESTS();
  CoUninitialize();
  return result;
}
