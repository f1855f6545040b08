// In-process tests of Kestrel.dll under Wine, through the DLL's own exports (no registration):
// its resources, its type library, and the Connect object as the host's ribbon and add-in
// manager call it.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>
#include <olectl.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "fake_dispatch.h"
#include "kestrel_h.h"
#include "ribbon_call.h"

namespace {

using kestrel::testing::FakeDispatch;

std::wstring dllPath;    // Windows path of the Kestrel.dll under test
std::string ribbonXml;   // the bytes of resources/ribbon.xml
HMODULE dll = nullptr;

std::string Utf8(const wchar_t* text, size_t length) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string utf8(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), utf8.data(), size, nullptr, nullptr);
  return utf8;
}

std::string Utf8(BSTR text) { return text == nullptr ? std::string() : Utf8(text, SysStringLen(text)); }

// Owns one COM reference.
template <class T>
class Ref {
 public:
  Ref() = default;
  ~Ref() { Reset(); }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  T* operator->() const { return p_; }
  T* Get() const { return p_; }
  T** Out() {
    Reset();
    return &p_;
  }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }
  void Reset() {
    if (p_ != nullptr) p_->Release();
    p_ = nullptr;
  }

 private:
  T* p_ = nullptr;
};

// Owns one BSTR.
class Bstr {
 public:
  explicit Bstr(const wchar_t* text = nullptr) : text_(text ? SysAllocString(text) : nullptr) {}
  ~Bstr() { SysFreeString(text_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR Get() const { return text_; }
  BSTR* Out() {
    SysFreeString(text_);
    text_ = nullptr;
    return &text_;
  }

 private:
  BSTR text_;
};

// An export of the DLL, as a function of type F.
template <class F>
F Export(const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
}

// A new Connect object from the DLL's class object, answered through interface iid.
template <class T>
HRESULT CreateConnect(REFIID iid, Ref<T>& object) {
  auto getClassObject = Export<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>("DllGetClassObject");
  if (getClassObject == nullptr) return E_NOINTERFACE;
  Ref<IClassFactory> factory;
  HRESULT hr = getClassObject(CLSID_Connect, IID_IClassFactory, factory.OutVoid());
  if (FAILED(hr)) return hr;
  return factory->CreateInstance(nullptr, iid, object.OutVoid());
}

HRESULT CanUnloadNow() { return Export<HRESULT(STDAPICALLTYPE*)()>("DllCanUnloadNow")(); }

struct BitmapShape {
  LONG width = 0, height = 0;
  WORD bitsPerPixel = 0;
  bool hasTransparent = false, hasOpaque = false;
};

BitmapShape ShapeOf(HBITMAP bitmap) {
  BitmapShape shape;
  DIBSECTION section = {};
  if (GetObjectW(bitmap, sizeof section, &section) == 0) return shape;
  shape.width = section.dsBm.bmWidth;
  shape.height = section.dsBm.bmHeight;
  shape.bitsPerPixel = section.dsBm.bmBitsPixel;
  if (shape.bitsPerPixel == 32 && section.dsBm.bmBits != nullptr) {
    auto pixels = static_cast<const BYTE*>(section.dsBm.bmBits);
    for (LONG i = 0; i < shape.width * shape.height; ++i) {
      BYTE alpha = pixels[i * 4 + 3];
      shape.hasTransparent |= alpha == 0;
      shape.hasOpaque |= alpha == 255;
    }
  }
  return shape;
}

// The pictures of the ribbon: control id, resource name, size in pixels.
struct RibbonPicture {
  const wchar_t* controlId;
  const wchar_t* resource;
  LONG size;
};
const RibbonPicture kPictures[] = {
    {L"hdmStor", L"STOR", 64}, {L"hdmDraw", L"DRAW", 64},         {L"SaveDicFile1", L"SAVE", 64},
    {L"CADtool", L"CAD", 64},  {L"hdmDrawSheet", L"DRWTABEL", 32}, {L"AboatHelp", L"HELP", 64},
};

// --- Resources -------------------------------------------------------------------------------------

TEST(KestrelDllResources, RibbonStringIsTheRibbonXmlByteForByte) {
  const wchar_t* text = nullptr;
  int length = LoadStringW(dll, 101, reinterpret_cast<LPWSTR>(&text), 0);
  ASSERT_GT(length, 0);
  std::string loaded = Utf8(text, length);
  EXPECT_EQ(loaded.size(), ribbonXml.size());
  EXPECT_EQ(loaded, ribbonXml);
}

TEST(KestrelDllResources, EachRibbonPictureIsA32BitBitmapOfItsSize) {
  for (const RibbonPicture& picture : kPictures) {
    auto bitmap = static_cast<HBITMAP>(LoadImageW(dll, picture.resource, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(bitmap, nullptr) << "picture " << Utf8(picture.resource, wcslen(picture.resource));
    BitmapShape shape = ShapeOf(bitmap);
    DeleteObject(bitmap);
    EXPECT_EQ(shape.width, picture.size);
    EXPECT_EQ(shape.height, picture.size);
    EXPECT_EQ(shape.bitsPerPixel, 32);
    if (picture.size == 64) {  // the large buttons' pictures draw on the ribbon through their alpha
      EXPECT_TRUE(shape.hasTransparent && shape.hasOpaque) << Utf8(picture.resource, wcslen(picture.resource));
    }
  }
}

TEST(KestrelDllResources, HandPointerIs32By32WithItsHotSpotOnTheImage) {
  auto cursor = static_cast<HCURSOR>(LoadImageW(dll, MAKEINTRESOURCEW(101), IMAGE_CURSOR, 0, 0, 0));
  ASSERT_NE(cursor, nullptr);
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_LT(info.xHotspot, 32u);
  EXPECT_LT(info.yHotspot, 32u);
  ASSERT_NE(info.hbmColor, nullptr);
  BITMAP colour = {};
  GetObjectW(info.hbmColor, sizeof colour, &colour);
  EXPECT_EQ(colour.bmWidth, 32);
  EXPECT_EQ(colour.bmHeight, 32);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  DestroyCursor(cursor);
}

TEST(KestrelDllTypeLibrary, DescribesConnectForThisArchitecture) {
  Ref<ITypeLib> library;
  ASSERT_EQ(LoadTypeLibEx(dllPath.c_str(), REGKIND_NONE, library.Out()), S_OK);
  TLIBATTR* libraryAttributes = nullptr;
  ASSERT_EQ(library->GetLibAttr(&libraryAttributes), S_OK);
  EXPECT_TRUE(IsEqualGUID(libraryAttributes->guid, LIBID_Kestrel));
  EXPECT_EQ(libraryAttributes->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
  library->ReleaseTLibAttr(libraryAttributes);

  Ref<ITypeInfo> coclass;
  ASSERT_EQ(library->GetTypeInfoOfGuid(CLSID_Connect, coclass.Out()), S_OK);
  TYPEATTR* classAttributes = nullptr;
  ASSERT_EQ(coclass->GetTypeAttr(&classAttributes), S_OK);
  EXPECT_EQ(classAttributes->typekind, TKIND_COCLASS);
  std::set<std::string> implemented;
  for (UINT i = 0; i < classAttributes->cImplTypes; ++i) {
    HREFTYPE reference = 0;
    Ref<ITypeInfo> interfaceInfo;
    INT flags = 0;
    ASSERT_EQ(coclass->GetRefTypeOfImplType(i, &reference), S_OK);
    ASSERT_EQ(coclass->GetRefTypeInfo(reference, interfaceInfo.Out()), S_OK);
    coclass->GetImplTypeFlags(i, &flags);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(interfaceInfo->GetTypeAttr(&attributes), S_OK);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FDUAL);
    if (IsEqualIID(attributes->guid, IID__Connect)) {
      implemented.insert((flags & IMPLTYPEFLAG_FDEFAULT) ? "_Connect (default)" : "_Connect");
    } else if (IsEqualIID(attributes->guid, IID_IDTExtensibility2)) {
      implemented.insert("IDTExtensibility2");
    } else if (IsEqualIID(attributes->guid, IID_IRibbonExtensibility)) {
      implemented.insert("IRibbonExtensibility");
    }
    interfaceInfo->ReleaseTypeAttr(attributes);
  }
  coclass->ReleaseTypeAttr(classAttributes);
  EXPECT_EQ(implemented, (std::set<std::string>{"_Connect (default)", "IDTExtensibility2", "IRibbonExtensibility"}));
}

// --- The Connect object ------------------------------------------------------------------------------

TEST(ConnectObject, AnswersTheHostsInterfacesAndLetsTheDllUnloadOnlyWhenReleased) {
  {
    Ref<IDispatch> connect;
    ASSERT_EQ(CreateConnect(IID_IDispatch, connect), S_OK);
    Ref<IUnknown> addIn, ribbon, own, errors;
    EXPECT_EQ(connect->QueryInterface(IID_IDTExtensibility2, addIn.OutVoid()), S_OK);
    EXPECT_EQ(connect->QueryInterface(IID_IRibbonExtensibility, ribbon.OutVoid()), S_OK);
    EXPECT_EQ(connect->QueryInterface(IID__Connect, own.OutVoid()), S_OK);
    EXPECT_EQ(connect->QueryInterface(IID_ISupportErrorInfo, errors.OutVoid()), S_OK);
    Ref<IUnknown> none;
    EXPECT_EQ(connect->QueryInterface(IID_IPersist, none.OutVoid()), E_NOINTERFACE);
    EXPECT_EQ(CanUnloadNow(), S_FALSE);
  }
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST(ConnectObject, EveryCallbackTheRibbonNamesResolvesThroughIDispatch) {
  Ref<IDispatch> connect;
  ASSERT_EQ(CreateConnect(IID_IDispatch, connect), S_OK);
  std::set<std::string> names;
  std::regex callback(R"((onAction|getImage)="([^"]+)\")");
  for (auto it = std::sregex_iterator(ribbonXml.begin(), ribbonXml.end(), callback); it != std::sregex_iterator(); ++it) {
    names.insert((*it)[2]);
  }
  EXPECT_EQ(names.size(), 16u);  // GetImage and fifteen onAction callbacks (FunGoWeb serves two buttons)
  for (const std::string& name : names) {
    std::wstring wide(name.begin(), name.end());
    LPOLESTR member = wide.data();
    DISPID id = DISPID_UNKNOWN;
    EXPECT_EQ(connect->GetIDsOfNames(IID_NULL, &member, 1, LOCALE_USER_DEFAULT, &id), S_OK) << name;
  }

  auto idOf = [&](const wchar_t* name) {
    LPOLESTR member = const_cast<LPOLESTR>(name);
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = connect->GetIDsOfNames(IID_NULL, &member, 1, LOCALE_USER_DEFAULT, &id);
    return SUCCEEDED(hr) ? id : DISPID_UNKNOWN;
  };
  EXPECT_NE(idOf(L"FunGoCADWeb"), DISPID_UNKNOWN);
  EXPECT_EQ(idOf(L"FunGoCadWeb"), idOf(L"FunGoCADWeb"));  // the ribbon's spelling of the method
  EXPECT_EQ(idOf(L"fungocadweb"), idOf(L"FunGoCADWeb"));
  EXPECT_EQ(idOf(L"FunNoSuchCallback"), DISPID_UNKNOWN);
}

TEST(ConnectObject, GetCustomUiIsTheRibbonXmlWhateverTheRibbonId) {
  Ref<_Connect> connect;
  ASSERT_EQ(CreateConnect(IID__Connect, connect), S_OK);
  Bstr own;
  ASSERT_EQ(connect->GetRibbonXML(own.Out()), S_OK);
  EXPECT_EQ(Utf8(own.Get()), ribbonXml);

  Ref<IRibbonExtensibility> ribbon;
  ASSERT_EQ(connect->QueryInterface(IID_IRibbonExtensibility, ribbon.OutVoid()), S_OK);
  for (const wchar_t* ribbonId : {L"Microsoft.Excel.Workbook", L"", L"Microsoft.Outlook.Mail.Read"}) {
    Bstr id(ribbonId), xml;
    ASSERT_EQ(ribbon->GetCustomUI(id.Get(), xml.Out()), S_OK);
    EXPECT_EQ(Utf8(xml.Get()), ribbonXml);
  }
}

// Both host interfaces number their methods from 1, like _Connect: each interface pointer must
// dispatch its own ids.
TEST(ConnectObject, EachHostInterfaceDispatchesItsOwnIds) {
  Ref<IRibbonExtensibility> ribbon;
  ASSERT_EQ(CreateConnect(IID_IRibbonExtensibility, ribbon), S_OK);
  LPOLESTR name = const_cast<LPOLESTR>(L"GetCustomUI");
  DISPID id = DISPID_UNKNOWN;
  ASSERT_EQ(ribbon->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
  EXPECT_EQ(id, 1);
  VARIANT argument;
  VariantInit(&argument);
  argument.vt = VT_BSTR;
  argument.bstrVal = SysAllocString(L"Microsoft.Excel.Workbook");
  DISPPARAMS params = {&argument, nullptr, 1, 0};
  VARIANT result;
  VariantInit(&result);
  ASSERT_EQ(ribbon->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr, nullptr), S_OK);
  ASSERT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(Utf8(result.bstrVal), ribbonXml);
  VariantClear(&result);
  VariantClear(&argument);

  Ref<IDTExtensibility2> addIn;
  ASSERT_EQ(ribbon->QueryInterface(IID_IDTExtensibility2, addIn.OutVoid()), S_OK);
  LPOLESTR names[] = {const_cast<LPOLESTR>(L"OnConnection"), const_cast<LPOLESTR>(L"OnBeginShutdown")};
  DISPID ids[2] = {};
  EXPECT_EQ(addIn->GetIDsOfNames(IID_NULL, &names[0], 1, LOCALE_USER_DEFAULT, &ids[0]), S_OK);
  EXPECT_EQ(addIn->GetIDsOfNames(IID_NULL, &names[1], 1, LOCALE_USER_DEFAULT, &ids[1]), S_OK);
  EXPECT_EQ(ids[0], 1);
  EXPECT_EQ(ids[1], 5);
}

TEST(ConnectObject, GetImageLoadsAFreshPictureOfItsSizeForEachTableId) {
  Ref<_Connect> connect;
  ASSERT_EQ(CreateConnect(IID__Connect, connect), S_OK);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  for (const RibbonPicture& expected : kPictures) {
    const std::string id = Utf8(expected.controlId, wcslen(expected.controlId));
    FakeDispatch control;
    control.SetText(L"Id", expected.controlId);
    Ref<IPictureDisp> first, second;
    ASSERT_EQ(connect->GetImage(&control, first.Out()), S_OK) << id;
    ASSERT_EQ(connect->GetImage(&control, second.Out()), S_OK) << id;
    ASSERT_NE(first.Get(), nullptr) << id;
    ASSERT_NE(second.Get(), nullptr) << id;
    EXPECT_EQ(control.Log(), (std::vector<std::wstring>{L"get Id", L"get Id"}));

    Ref<IPicture> picture, again;
    ASSERT_EQ(first->QueryInterface(IID_IPicture, picture.OutVoid()), S_OK);
    ASSERT_EQ(second->QueryInterface(IID_IPicture, again.OutVoid()), S_OK);
    SHORT type = 0;
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture->get_Type(&type);
    picture->get_Width(&width);
    picture->get_Height(&height);
    EXPECT_EQ(type, PICTYPE_BITMAP) << id;
    EXPECT_EQ(width, MulDiv(expected.size, 2540, dpi)) << id;
    EXPECT_EQ(height, MulDiv(expected.size, 2540, dpi)) << id;
    OLE_HANDLE handle = 0, otherHandle = 0;
    picture->get_Handle(&handle);
    again->get_Handle(&otherHandle);
    EXPECT_NE(handle, otherHandle) << id << ": each call loads the picture afresh";
    BitmapShape shape = ShapeOf(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)));
    EXPECT_EQ(shape.width, expected.size) << id;
    EXPECT_EQ(shape.bitsPerPixel, 32) << id;
  }
}

TEST(ConnectObject, GetImageGivesNoPictureAndNoErrorForOtherIds) {
  Ref<_Connect> connect;
  ASSERT_EQ(CreateConnect(IID__Connect, connect), S_OK);
  for (const wchar_t* id : {L"viewHelpFile", L"", L"HDMSTOR", L"STOR", L"CADtoolthing"}) {
    FakeDispatch control;
    control.SetText(L"Id", id);
    IPictureDisp* picture = reinterpret_cast<IPictureDisp*>(1);
    EXPECT_EQ(connect->GetImage(&control, &picture), S_OK);
    EXPECT_EQ(picture, nullptr);
  }
}

TEST(ConnectObject, AFailureReachesTheCallerAsHresultWithErrorInfo) {
  Ref<_Connect> connect;
  ASSERT_EQ(CreateConnect(IID__Connect, connect), S_OK);
  FakeDispatch control;
  control.Fail(L"Id", E_ACCESSDENIED, L"no id here");
  IPictureDisp* picture = nullptr;
  EXPECT_TRUE(FAILED(connect->GetImage(&control, &picture)));
  EXPECT_EQ(picture, nullptr);

  Ref<ISupportErrorInfo> support;
  ASSERT_EQ(connect->QueryInterface(IID_ISupportErrorInfo, support.OutVoid()), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID__Connect), S_OK);
  Ref<IErrorInfo> info;
  ASSERT_EQ(GetErrorInfo(0, info.Out()), S_OK);
  Bstr description;
  info->GetDescription(description.Out());
  std::string text = Utf8(description.Get());
  EXPECT_NE(text.find("Id"), std::string::npos) << text;
  EXPECT_NE(text.find("no id here"), std::string::npos) << text;
}

TEST(ConnectObject, KeepsTheHostApplicationFromConnectionToDisconnection) {
  FakeDispatch application;
  {
    Ref<IDTExtensibility2> addIn;
    ASSERT_EQ(CreateConnect(IID_IDTExtensibility2, addIn), S_OK);
    ASSERT_EQ(addIn->OnConnection(&application, ext_cm_Startup, nullptr, nullptr), S_OK);
    EXPECT_EQ(application.References(), 2u);
    EXPECT_EQ(addIn->OnStartupComplete(nullptr), S_OK);
    EXPECT_EQ(addIn->OnDisconnection(ext_dm_HostShutdown, nullptr), S_OK);
    EXPECT_EQ(application.References(), 1u);

    ASSERT_EQ(addIn->OnConnection(&application, ext_cm_AfterStartup, nullptr, nullptr), S_OK);
    EXPECT_EQ(application.References(), 2u);
  }
  // Released without OnDisconnection: the object lets go of the host itself.
  EXPECT_EQ(application.References(), 1u);
  EXPECT_TRUE(application.Log().empty());  // connecting calls nothing on the host
}

// This program runs without a display, so the message boxes of the commands that are still to come
// cannot open and return at once; what counts here is what the callbacks do to the host.
TEST(ConnectObject, WrappedCallbacksTurnTheHostsScreenUpdatingOffAndBackOn) {
  FakeDispatch application;
  application.SetBool(L"ScreenUpdating", true);
  Ref<_Connect> connect;
  ASSERT_EQ(CreateConnect(IID__Connect, connect), S_OK);
  Ref<IDTExtensibility2> addIn;
  ASSERT_EQ(connect->QueryInterface(IID_IDTExtensibility2, addIn.OutVoid()), S_OK);
  ASSERT_EQ(addIn->OnConnection(&application, ext_cm_Startup, nullptr, nullptr), S_OK);

  kestrel::testing::RibbonCall(connect.Get(), L"FunHdmOrder");
  kestrel::testing::RibbonCall(connect.Get(), L"FunHdmDrawData");
  kestrel::testing::RibbonCall(connect.Get(), L"FunhdmDrawSheet");
  const std::vector<std::wstring> offAndOn = {L"put ScreenUpdating=False", L"put ScreenUpdating=True"};
  std::vector<std::wstring> expected;
  for (int i = 0; i < 3; ++i) expected.insert(expected.end(), offAndOn.begin(), offAndOn.end());
  EXPECT_EQ(application.Log(), expected);
  EXPECT_EQ(application.Text(L"ScreenUpdating"), L"True");

  kestrel::testing::RibbonCall(connect.Get(), L"FunSaveDicFile");  // not wrapped: it leaves the host's screen alone
  EXPECT_EQ(application.Log(), expected);
  EXPECT_EQ(addIn->OnDisconnection(ext_dm_HostShutdown, nullptr), S_OK);

  kestrel::testing::RibbonCall(connect.Get(), L"FunHdmOrder");  // disconnected: no host to call
  EXPECT_EQ(application.Log(), expected);
}

std::wstring WindowsPath(const wchar_t* path) {
  std::wstring result(path);
  if (!result.empty() && result[0] == L'/') result = L"Z:" + result;  // a Unix path, as Wine's Z: drive shows it
  for (wchar_t& c : result) {
    if (c == L'/') c = L'\\';
  }
  return result;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 3) {
    fwprintf(stderr, L"usage: kestrel_dll_tests KESTREL_DLL RIBBON_XML\n");
    return 2;
  }
  dllPath = WindowsPath(argv[1]);
  std::ifstream xml(std::filesystem::path(WindowsPath(argv[2])), std::ios::binary);
  ribbonXml.assign(std::istreambuf_iterator<char>(xml), std::istreambuf_iterator<char>());
  if (ribbonXml.empty()) {
    fwprintf(stderr, L"cannot read %ls\n", argv[2]);
    return 2;
  }
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  dll = LoadLibraryW(dllPath.c_str());
  if (dll == nullptr) {
    fwprintf(stderr, L"cannot load %ls (error %lu)\n", dllPath.c_str(), GetLastError());
    return 2;
  }
  int result = RUN_ALL_TESTS();
  CoUninitialize();
  return result;
}
