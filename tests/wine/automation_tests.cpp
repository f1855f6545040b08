// The public automation classes of Kestrel.dll in process under Wine, through the DLL's own
// exports: the class table behind DllGetClassObject, the type libraries of Kestrel.dll and
// Hollin.exe against the class table and the command table, ClsFunction's type information against
// the worksheet-function catalogue, and FunCad, Ini and cSpeedString as a late-bound caller uses them.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <cmath>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "addin/commands.h"
#include "workbook/memory_workbook.h"
#include "registration/registration.h"
#include "allocation_count.h"
#include "clipboard_user.h"
#include "fake_excel/fake_excel.h"
#include "geometry/function_catalogue.h"
#include "util/ini_file.h"
#include "util/unicode.h"

namespace {

using namespace kestrel;

HMODULE dll = nullptr;
std::wstring workFolder;  // a scratch folder for INI files
std::wstring hollinPath;  // Hollin.exe, in the builds that make it

std::wstring Wide(std::string_view utf8) {
  int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(size, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

std::string Utf8(std::wstring_view wide) {
  int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size, nullptr, nullptr);
  return utf8;
}

// A VARIANT that clears itself.
struct Var {
  VARIANT v;
  Var() { VariantInit(&v); }
  Var(double n) : Var() { V_VT(&v) = VT_R8; V_R8(&v) = n; }
  Var(int n) : Var() { V_VT(&v) = VT_I4; V_I4(&v) = n; }
  Var(const char* text) : Var() {
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocString(Wide(text).c_str());
  }
  Var(IDispatch* object) : Var() {
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = object;
    object->AddRef();
  }
  Var(const Var& other) : Var() { VariantCopy(&v, const_cast<VARIANT*>(&other.v)); }
  ~Var() { VariantClear(&v); }
  static Var Missing() {
    Var m;
    V_VT(&m.v) = VT_ERROR;
    V_ERROR(&m.v) = DISP_E_PARAMNOTFOUND;
    return m;
  }
  // By reference to another Var, as a script passes a variable.
  static Var Ref(Var& target) {
    Var r;
    V_VT(&r.v) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&r.v) = &target.v;
    return r;
  }
  // The value as `kestrel fn` prints a result: numbers in 15 significant digits, texts as they are.
  std::string Text() const {
    if (V_VT(&v) == VT_BSTR) return Utf8(V_BSTR(&v) ? V_BSTR(&v) : L"");
    if (V_VT(&v) == VT_ERROR) return "#ERROR" + std::to_string(V_ERROR(&v) & 0xFFFF);
    if (V_VT(&v) == VT_EMPTY) return "";
    VARIANT number;
    VariantInit(&number);
    if (FAILED(VariantChangeType(&number, const_cast<VARIANT*>(&v), 0, VT_R8))) return "<type " + std::to_string(V_VT(&v)) + ">";
    char text[64];
    snprintf(text, sizeof text, "%.15g", V_R8(&number));
    return text;
  }
};

// obj.name(arguments) late-bound, as a script calls it; the HRESULT, and the error text in `error`.
HRESULT Call(IDispatch* object, const wchar_t* name, std::vector<Var> arguments, Var& result,
             WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::string* error = nullptr) {
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  std::vector<VARIANT> reversed;
  for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) reversed.push_back(it->v);
  DISPID named = DISPID_PROPERTYPUT;
  const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  DISPPARAMS params{reversed.data(), put ? &named : nullptr, static_cast<UINT>(reversed.size()), put ? 1u : 0u};
  EXCEPINFO exception = {};
  UINT argumentError = 0;
  VariantClear(&result.v);
  hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result.v, &exception, &argumentError);
  if (hr == DISP_E_EXCEPTION && error != nullptr) *error = Utf8(exception.bstrDescription ? exception.bstrDescription : L"");
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  return hr;
}

Var Result(IDispatch* object, const wchar_t* name, std::vector<Var> arguments) {
  Var result;
  HRESULT hr = Call(object, name, std::move(arguments), result);
  EXPECT_EQ(hr, S_OK) << Utf8(name);
  return result;
}

CLSID ClsidOf(std::string_view text) {
  CLSID clsid = {};
  CLSIDFromString(Wide(text).c_str(), &clsid);
  return clsid;
}

// A new object of a class-table row, made through DllGetClassObject as COM makes it.
IDispatch* Create(std::string_view className) {
  auto getClassObject = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
      reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
  for (const ComClass& c : LibraryClasses()) {
    if (c.name != className) continue;
    IClassFactory* factory = nullptr;
    if (FAILED(getClassObject(ClsidOf(c.clsid), IID_IClassFactory, reinterpret_cast<void**>(&factory)))) return nullptr;
    IDispatch* object = nullptr;
    factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&object));
    factory->Release();
    return object;
  }
  return nullptr;
}

struct Object {
  IDispatch* p;
  explicit Object(std::string_view className) : p(Create(className)) {}
  ~Object() {
    if (p) p->Release();
  }
};

// --- The class table ------------------------------------------------------------------------------

TEST(ClassTable, DllGetClassObjectServesEveryRowWithItsTypeLibraryClass) {
  ITypeLib* library = nullptr;
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(dll, path, MAX_PATH);
  ASSERT_EQ(LoadTypeLibEx(path, REGKIND_NONE, &library), S_OK);
  for (const ComClass& c : LibraryClasses()) {
    Object object(c.name);
    ASSERT_NE(object.p, nullptr) << c.name;
    ITypeInfo* info = nullptr;
    ASSERT_EQ(object.p->GetTypeInfo(0, 0, &info), S_OK) << c.name;
    BSTR name = nullptr;
    info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
    EXPECT_EQ(Utf8(name), c.interfaceName);
    SysFreeString(name);
    TYPEATTR* attributes = nullptr;
    info->GetTypeAttr(&attributes);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, ClsidOf(c.interfaceId))) << c.name;
    info->ReleaseTypeAttr(attributes);
    info->Release();
    // The type library's coclass of the same CLSID carries the row's name.
    ITypeInfo* coclass = nullptr;
    ASSERT_EQ(library->GetTypeInfoOfGuid(ClsidOf(c.clsid), &coclass), S_OK) << c.name;
    coclass->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
    EXPECT_EQ(Utf8(name), c.name);
    SysFreeString(name);
    coclass->Release();
  }
  library->Release();
  auto getClassObject = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
      reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
  void* none = nullptr;
  EXPECT_EQ(getClassObject(ClsidOf(kTypeLibId), IID_IClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE);
}

// --- The type libraries ---------------------------------------------------------------------------

// The type library embedded in a program (its TYPELIB 1), as a client reads it.
struct TypeLibrary {
  ITypeLib* p = nullptr;
  explicit TypeLibrary(const std::wstring& path) { LoadTypeLibEx(path.c_str(), REGKIND_NONE, &p); }
  ~TypeLibrary() {
    if (p) p->Release();
  }
  GUID Id() const {
    TLIBATTR* attributes = nullptr;
    p->GetLibAttr(&attributes);
    const GUID id = attributes->guid;
    p->ReleaseTLibAttr(attributes);
    return id;
  }
};

std::string TextOf(const GUID& id) {
  wchar_t text[40] = {};
  StringFromGUID2(id, text, 40);
  return Utf8(text);
}

std::string NameOf(ITypeInfo* info, MEMBERID member = MEMBERID_NIL) {
  BSTR name = nullptr;
  info->GetDocumentation(member, &name, nullptr, nullptr, nullptr);
  std::string text = Utf8(name ? name : L"");
  SysFreeString(name);
  return text;
}

// Every row of one server kind in a type library, by its CLSID: a coclass of the row's name whose
// default interface has the row's interface id and name.
void ExpectClassTableRows(const TypeLibrary& library, ServerKind server) {
  for (const ComClass& row : ComClasses()) {
    if (row.server != server) continue;
    ITypeInfo* coclass = nullptr;
    ASSERT_EQ(library.p->GetTypeInfoOfGuid(ClsidOf(row.clsid), &coclass), S_OK) << row.name;
    EXPECT_EQ(NameOf(coclass), row.name);
    TYPEATTR* attributes = nullptr;
    coclass->GetTypeAttr(&attributes);
    EXPECT_EQ(attributes->typekind, TKIND_COCLASS) << row.name;
    bool found = false;
    for (UINT i = 0; i < attributes->cImplTypes; ++i) {
      INT flags = 0;
      coclass->GetImplTypeFlags(i, &flags);
      if ((flags & IMPLTYPEFLAG_FDEFAULT) == 0) continue;
      HREFTYPE reference = 0;
      ITypeInfo* defaultInterface = nullptr;
      coclass->GetRefTypeOfImplType(i, &reference);
      ASSERT_EQ(coclass->GetRefTypeInfo(reference, &defaultInterface), S_OK) << row.name;
      TYPEATTR* interfaceAttributes = nullptr;
      defaultInterface->GetTypeAttr(&interfaceAttributes);
      EXPECT_EQ(TextOf(interfaceAttributes->guid), AsciiUpper(row.interfaceId)) << row.name;
      EXPECT_EQ(NameOf(defaultInterface), row.interfaceName);
      defaultInterface->ReleaseTypeAttr(interfaceAttributes);
      defaultInterface->Release();
      found = true;
    }
    EXPECT_TRUE(found) << row.name << " has no default interface";
    coclass->ReleaseTypeAttr(attributes);
    coclass->Release();
  }
}

// The type library ids are the class table's; Hollin's type library (in the builds that make
// Hollin.exe) holds the local server's rows as Kestrel's holds the library's (above).
TEST(TypeLibrary, IdsAndHollinsClassesAreTheClassTables) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(dll, path, MAX_PATH);
  TypeLibrary kestrelLibrary(path);
  ASSERT_NE(kestrelLibrary.p, nullptr);
  EXPECT_EQ(TextOf(kestrelLibrary.Id()), AsciiUpper(kTypeLibId));
  if (hollinPath.empty()) return;
  TypeLibrary hollinLibrary(hollinPath);
  ASSERT_NE(hollinLibrary.p, nullptr);
  EXPECT_EQ(TextOf(hollinLibrary.Id()), AsciiUpper(kHollinTypeLibId));
  ExpectClassTableRows(hollinLibrary, ServerKind::LocalServer);
}

// The host calls the ribbon's callbacks by name; the type library lists them for early-bound
// callers with the ids Connect's IDispatch gives them: the command table's order from 0x100.
TEST(TypeLibrary, RibbonCallbacksAreTheCommandTableInOrder) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(dll, path, MAX_PATH);
  TypeLibrary library(path);
  ASSERT_NE(library.p, nullptr);
  ITypeInfo* commands = nullptr;
  MEMBERID none = 0;
  USHORT found = 1;
  wchar_t name[] = L"ConnectCommands";
  ASSERT_EQ(library.p->FindName(name, 0, &commands, &none, &found), S_OK);
  ASSERT_EQ(found, 1);
  TYPEATTR* attributes = nullptr;
  commands->GetTypeAttr(&attributes);
  ASSERT_EQ(attributes->typekind, TKIND_DISPATCH);
  std::vector<std::string> listed, expected;
  for (UINT i = 0; i < attributes->cFuncs; ++i) {
    FUNCDESC* desc = nullptr;
    ASSERT_EQ(commands->GetFuncDesc(i, &desc), S_OK);
    EXPECT_EQ(desc->memid, static_cast<MEMBERID>(0x100 + listed.size()));
    ASSERT_EQ(desc->cParams, 1);
    EXPECT_EQ(desc->lprgelemdescParam[0].tdesc.vt, VT_DISPATCH);
    listed.push_back(NameOf(commands, desc->memid));
    commands->ReleaseFuncDesc(desc);
  }
  commands->ReleaseTypeAttr(attributes);
  commands->Release();
  for (const RibbonCommand& c : RibbonCommands()) expected.emplace_back(c.callback);
  EXPECT_EQ(listed, expected);
}

// --- ClsFunction ----------------------------------------------------------------------------------

VARTYPE TypeOf(const FunctionArgument& a) {
  if (a.byReference) return VT_PTR;
  switch (a.type) {
    case ArgumentType::Double: return VT_R8;
    case ArgumentType::Long: return VT_I4;
    case ArgumentType::Integer: return VT_I2;
    case ArgumentType::String: return VT_BSTR;
    case ArgumentType::Variant: return VT_VARIANT;
    case ArgumentType::Range: return VT_DISPATCH;
  }
  return VT_EMPTY;
}

TEST(ClsFunction, TypeInformationMatchesTheCatalogue) {
  Object functions("ClsFunction");
  ITypeInfo* info = nullptr;
  ASSERT_EQ(functions.p->GetTypeInfo(0, 0, &info), S_OK);
  TYPEATTR* attributes = nullptr;
  info->GetTypeAttr(&attributes);
  const UINT inherited = 7;  // IUnknown and IDispatch come first
  ASSERT_EQ(attributes->cFuncs, inherited + WorksheetFunctions().size());
  info->ReleaseTypeAttr(attributes);
  for (UINT i = 0; i < WorksheetFunctions().size(); ++i) {
    const WorksheetFunction& f = WorksheetFunctions()[i];
    FUNCDESC* desc = nullptr;
    ASSERT_EQ(info->GetFuncDesc(inherited + i, &desc), S_OK);
    EXPECT_EQ(desc->oVft / sizeof(void*), inherited + i) << f.name;
    BSTR names[16] = {};
    UINT count = 0;
    info->GetNames(desc->memid, names, 16, &count);
    ASSERT_EQ(count, f.arguments.size() + 1) << f.name;
    EXPECT_EQ(Utf8(names[0]), f.name);
    for (size_t k = 0; k < f.arguments.size(); ++k) {
      const FunctionArgument& a = f.arguments[k];
      const ELEMDESC& e = desc->lprgelemdescParam[k];
      const USHORT flags = e.paramdesc.wParamFlags;
      EXPECT_EQ(Utf8(names[k + 1]), a.name) << f.name;
      // The type library compiler writes no float64 default: an optional float64 travels as a
      // VARIANT with that default (the call converts it as the host converts a value).
      const bool variantForDefault = a.Optional() && !a.byReference && a.type == ArgumentType::Double;
      EXPECT_EQ(e.tdesc.vt, variantForDefault ? VT_VARIANT : TypeOf(a)) << f.name << " " << a.name;
      if (a.byReference) {
        EXPECT_EQ(e.tdesc.lptdesc->vt, VT_VARIANT) << f.name << " " << a.name;
      }
      EXPECT_EQ((flags & PARAMFLAG_FOUT) != 0, a.byReference) << f.name << " " << a.name;
      EXPECT_EQ((flags & PARAMFLAG_FOPT) != 0, a.Optional()) << f.name << " " << a.name;
      if (!a.Optional()) continue;
      // A by-reference argument has no default in the type library (the caller's variable would
      // be replaced by it): an omitted one takes the catalogue's default inside the call.
      if (a.byReference) {
        EXPECT_FALSE(flags & PARAMFLAG_FHASDEFAULT) << f.name << " " << a.name;
        continue;
      }
      ASSERT_TRUE((flags & PARAMFLAG_FHASDEFAULT) && e.paramdesc.pparamdescex) << f.name << " " << a.name;
      VARIANT number;
      VariantInit(&number);
      ASSERT_EQ(VariantChangeType(&number, &e.paramdesc.pparamdescex->varDefaultValue, 0, VT_R8), S_OK);
      EXPECT_EQ(V_R8(&number), *a.defaultValue) << f.name << " " << a.name;
    }
    for (UINT k = 0; k < count; ++k) SysFreeString(names[k]);
    info->ReleaseFuncDesc(desc);
  }
  info->Release();
}

// The Part's own examples, called late-bound with omitted optional arguments.
TEST(ClsFunction, WorksheetFunctionsThroughIDispatch) {
  Object f("ClsFunction");
  EXPECT_EQ(Result(f.p, L"FWJ", {0.0, 0.0, 10.0, 10.0}).Text(), "1.87499999999416");  // 45 / 24 with its pi
  EXPECT_EQ(Result(f.p, L"FWJ", {0.0, 0.0, 10.0, 10.0, 1}).Text(), "45°0′0″");
  EXPECT_EQ(Result(f.p, L"FWJ", {0.0, 0.0, 0.0, -5.0}).Text(), Var(270.0 / 24).Text());
  EXPECT_EQ(Result(f.p, L"DMS", {12.5043055556}).Text(), "12°30′15.5″");
  EXPECT_EQ(Result(f.p, L"DMS", {12.5043055556, 3}).Text(), "12.30155");
  EXPECT_EQ(Result(f.p, L"DMS", {29.999999}).Text(), "30°0′0″");
  EXPECT_EQ(Result(f.p, L"DMS", {12.5, 7}).Text(), "");  // any other model: an empty value
  EXPECT_EQ(Result(f.p, L"DEG", {12.30155}).Text().substr(0, 10), "12.5043055");
  EXPECT_EQ(Result(f.p, L"HHR", {60.0, 300.0, 1000.0}).Text(), "完R=1500|非完大R=3000|非完小R=600");
  EXPECT_EQ(Result(f.p, L"HHR", {60.0, 300.0}).Text(), "计算出错");
  EXPECT_EQ(Result(f.p, L"GetPoint", {"X=100.5 Y=200.25 Z=3", "x,y"}).Text(), "100.5,200.25");
  EXPECT_EQ(Result(f.p, L"GetPoint", {"X=100.5 Y=200.25 Z=3", "y"}).Text(), "200.25");
  EXPECT_EQ(Result(f.p, L"GetPoint", {"X=100.5 Y=200.25 Z=3", "h"}).Text(), "");
  EXPECT_EQ(Result(f.p, L"Pl", {"1", "2"}).Text(), "1,2");
  EXPECT_EQ(Result(f.p, L"JL", {0.0, 0.0, 3.0, 4.0}).Text(), "5");
  const double r = std::stod(Result(f.p, L"Rand0", {1.0, 2.0, 1}).Text());
  EXPECT_TRUE(r >= 1 && r <= 2.1) << r;
  // A profile that cannot be read gives the sentinel, not an error.
  EXPECT_EQ(Result(f.p, L"GetH", {100.0, "Z:\\no\\such\\profile.ZM"}).Text(), "-1");
  EXPECT_EQ(Result(f.p, L"GetJK", {100.0, -3.0, "Z:\\no\\such.hp"}).Text(), "-999999");
}

TEST(ClsFunction, ErrorsReachTheCallerAsTheHostsValueError) {
  Object f("ClsFunction");
  Var result;
  std::string error;
  // A typed result: the failure 2015 (#VALUE!) with its description, as the host shows #VALUE!.
  EXPECT_EQ(Call(f.p, L"RangeAddress", {}, result, DISPATCH_METHOD, &error), DISP_E_EXCEPTION);
  EXPECT_EQ(error, "#VALUE!");
  EXPECT_EQ(Call(f.p, L"DEG", {"abc"}, result), DISP_E_TYPEMISMATCH);  // refused by the dispatch itself
  // A variant result: the error value itself (CVErr(2015)).
  EXPECT_EQ(Result(f.p, L"FWJ", {1e308, 0.0, -1e308, 1.0}).Text(), "#ERROR2015");
}

// Ranges arrive as the host's Range objects (here FakeExcel's) and are read late-bound.
TEST(ClsFunction, RangeArgumentsAreReadThroughTheHost) {
  MemoryWorkbook book;
  Worksheet& sheet = book.Active();
  const double rows[][3] = {{100, 1, 10}, {120, 2, 20}, {140, 3, 30}};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) sheet.SetValue({r + 1, c + 1}, CellValue(rows[r][c]));
  sheet.SetValue({5, 1}, CellValue(std::string("K12+345")));
  kestrel::testing::FakeExcel excel(book);
  IDispatch* application = excel.Application();
  auto range = [&](const char* a1) {
    Var sheetObject, rangeObject;
    EXPECT_EQ(Call(application, L"ActiveSheet", {}, sheetObject, DISPATCH_PROPERTYGET), S_OK);
    EXPECT_EQ(Call(V_DISPATCH(&sheetObject.v), L"Range", {a1}, rangeObject, DISPATCH_PROPERTYGET), S_OK);
    return rangeObject;
  };
  Object f("ClsFunction");
  Var table = range("A1:C3");
  EXPECT_EQ(Result(f.p, L"VlookZhD", {120.0, "NO", Var::Ref(table), 3}).Text(), "20");
  EXPECT_EQ(Result(f.p, L"VlookZhD", {130.0, "no", Var::Ref(table), 3}).Text(), "-999999");
  // By-reference tolerances come back rounded to 5 decimals and positive, in the caller's
  // variables; one the function leaves alone keeps its type.
  Var zhDig(-0.1234567), dDig(0.5);
  EXPECT_EQ(Result(f.p, L"VlookZhD", {120.1, "no", Var::Ref(table), 3, Var::Ref(zhDig), Var::Ref(dDig)}).Text(), "20");
  EXPECT_EQ(zhDig.Text(), "0.12346");
  EXPECT_EQ(V_VT(&dDig.v), VT_R8);
  EXPECT_EQ(dDig.Text(), "0.5");
  Var cell = range("A5");
  EXPECT_EQ(Result(f.p, L"Text2", {cell}).Text(), "K12+345");
  EXPECT_EQ(Result(f.p, L"ViewF", {Var::Ref(cell)}).Text(), "K12+345");
  // A three-column profile range: on the straight grade between points without curves.
  Var profile = range("A1:C3");
  for (int r = 1; r <= 3; ++r) sheet.SetValue({r, 3}, CellValue(0.0));
  EXPECT_EQ(Result(f.p, L"GetH", {110.0, Var::Ref(profile)}).Text(), "1.5");
}

// A worksheet recalculating calls GetH and JL thousands of times: after the first call (which
// loads the profile) Kestrel.dll allocates nothing per call, whatever the book's name; a call
// that must make a text still counts, so the counting is live.
TEST(ClsFunction, RepeatedCallsAllocateNothingInTheLibrary) {
  MemoryWorkbook book;
  const double rows[][3] = {{0, 100, 0}, {500, 110, 3000}, {1000, 105, 0}};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) book.Active().SetValue({r + 1, c + 1}, CellValue(rows[r][c]));
  kestrel::testing::FakeExcel excel(book);
  excel.SetFullName(Wide("D:\\测量资料\\G312 线改扩建工程\\纵断面设计.xlsx"));
  Var sheetObject, profile;
  ASSERT_EQ(Call(excel.Application(), L"ActiveSheet", {}, sheetObject, DISPATCH_PROPERTYGET), S_OK);
  ASSERT_EQ(Call(V_DISPATCH(&sheetObject.v), L"Range", {"A1:C3"}, profile, DISPATCH_PROPERTYGET), S_OK);
  Object f("ClsFunction");
  auto allocations = [&](const wchar_t* name, std::vector<Var> arguments, const std::string& answer) {
    EXPECT_EQ(Result(f.p, name, arguments).Text(), answer) << Utf8(name);
    const long before = kestrel::testing::AllocationCount();
    for (int i = 0; i < 50; ++i) EXPECT_EQ(Result(f.p, name, arguments).Text(), answer) << Utf8(name);
    return kestrel::testing::AllocationCount() - before;
  };
  // Refresh 0: the profile range is read once for a burst of calls, as a recalculation makes them.
  EXPECT_EQ(allocations(L"GetH", {420.0, Var::Ref(profile), 0}, "108.4"), 0);
  EXPECT_EQ(allocations(L"JL", {1.0, 3.0, 4.0, 7.0}, "5"), 0);
  EXPECT_GE(allocations(L"DMS", {12.5043055556}, "12°30′15.5″"), 50);  // its result is a new text each time
}

// While a recalculation's GetH cells name a profile range that stays where it is, each call asks
// the host one thing (the range's book, sheet and address, in one Range.Address); a call that
// finds the range elsewhere (another address, another sheet, the sheet renamed, the book saved
// under another name) or its values changed with Refresh 1 reads the values again (one more) and
// answers from them.
TEST(ClsFunction, GetHAsksTheHostOnceWhileItsRangeStaysAndSeesEveryChange) {
  MemoryWorkbook book;
  MemoryWorksheet& other = book.AppendSheet("Other");
  // The worked profile in A1:C3 of the first sheet, 10 m higher in its E1:G3, 20 m higher in
  // A1:C3 of the other sheet.
  const double rows[][3] = {{0, 100, 0}, {500, 110, 3000}, {1000, 105, 0}};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      const double raise = c == 1 ? 10 : 0;
      book.Sheet(0).SetValue({r + 1, c + 1}, CellValue(rows[r][c]));
      book.Sheet(0).SetValue({r + 1, c + 5}, CellValue(rows[r][c] + raise));
      other.SetValue({r + 1, c + 1}, CellValue(rows[r][c] + 2 * raise));
    }
  }
  kestrel::testing::FakeExcel excel(book);
  excel.SetFullName(Wide("D:\\测量资料\\G312 纵断面.xlsx"));
  auto range = [&](MemoryWorksheet& sheet, const char* a1) {
    IDispatch* sheetObject = excel.SheetObject(sheet);
    Var rangeObject;
    EXPECT_EQ(Call(sheetObject, L"Range", {a1}, rangeObject, DISPATCH_PROPERTYGET), S_OK);
    sheetObject->Release();
    return rangeObject;
  };
  Var first = range(book.Sheet(0), "A1:C3"), higher = range(book.Sheet(0), "E1:G3"), onOther = range(other, "A1:C3");
  Object f("ClsFunction");
  // The answer at station 420, and the host calls the call made.
  auto getH = [&](Var& profile, int refresh) {
    excel.ResetCounts();
    const std::string answer = Result(f.p, L"GetH", {420.0, Var::Ref(profile), refresh}).Text();
    return std::to_string(excel.TotalCalls()) + " " + answer;
  };
  // Refresh 0: a burst reads the range once.
  EXPECT_EQ(getH(first, 0), "2 108.4");
  EXPECT_EQ(getH(first, 0), "1 108.4");
  EXPECT_EQ(getH(first, 0), "1 108.4");
  EXPECT_EQ(excel.Calls("Range.Address"), 1);
  EXPECT_EQ(getH(higher, 0), "2 118.4");  // another address
  EXPECT_EQ(getH(higher, 0), "1 118.4");
  EXPECT_EQ(getH(onOther, 0), "2 128.4");  // the same address on another sheet
  EXPECT_EQ(getH(onOther, 0), "1 128.4");
  EXPECT_EQ(getH(first, 0), "2 108.4");
  // Renamed (a name the host quotes, with an apostrophe it doubles), the sheet is read again.
  book.Sheet(0).Rename("K0 'old'");
  EXPECT_EQ(getH(first, 0), "2 108.4");
  EXPECT_EQ(getH(first, 0), "1 108.4");
  // So is the book saved under another name.
  excel.SetFullName(Wide("D:\\测量资料\\G312 纵断面 v2.xlsx"));
  EXPECT_EQ(getH(first, 0), "2 108.4");
  EXPECT_EQ(getH(first, 0), "1 108.4");
  // Refresh 1 reads the values on every call and answers from what they are now.
  EXPECT_EQ(getH(first, 1), "2 108.4");
  book.Sheet(0).SetValue({2, 2}, CellValue(105.0));
  EXPECT_EQ(getH(first, 1), "2 104.2");
  EXPECT_EQ(getH(higher, 1), "2 118.4");
}

// --- FunCad ---------------------------------------------------------------------------------------

std::optional<std::string> ClipboardAnsi() {
  if (!OpenClipboard(nullptr)) return std::nullopt;
  std::optional<std::string> text;
  // Only the block the library put there: the system would convert from CF_UNICODETEXT otherwise.
  if (IsClipboardFormatAvailable(CF_TEXT)) {
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
      text = static_cast<const char*>(GlobalLock(data));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

// A VBScript-style array of variants.
Var VariantArray(const std::vector<Var>& items) {
  SAFEARRAYBOUND bound{static_cast<ULONG>(items.size()), 0};
  Var array;
  V_VT(&array.v) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(&array.v) = SafeArrayCreate(VT_VARIANT, 1, &bound);
  for (LONG i = 0; i < static_cast<LONG>(items.size()); ++i) SafeArrayPutElement(V_ARRAY(&array.v), &i, const_cast<VARIANT*>(&items[i].v));
  return array;
}

Var Line(std::vector<double> numbers) {
  std::vector<Var> items;
  for (double n : numbers) items.emplace_back(n);
  return VariantArray(items);
}

// The numbers of element i of an array of polylines.
std::vector<double> LineAt(const Var& array, LONG i) {
  Var element;
  SafeArrayGetElement(V_ARRAY(&array.v), &i, &element.v);
  std::vector<double> numbers;
  LONG low = 0, high = -1;
  SafeArrayGetLBound(V_ARRAY(&element.v), 1, &low);
  SafeArrayGetUBound(V_ARRAY(&element.v), 1, &high);
  for (LONG k = low; k <= high; ++k) {
    Var item;
    SafeArrayGetElement(V_ARRAY(&element.v), &k, &item.v);
    numbers.push_back(std::stod(item.Text()));
  }
  return numbers;
}

TEST(FunCad, NumbersDistancesAndAzimuths) {
  Object cad("FunCad");
  EXPECT_EQ(Result(cad.p, L"FunGetNumber", {"K12+345.6"}).Text(), "12");
  EXPECT_EQ(Result(cad.p, L"FunGetNumber", {"ABC-5.5m"}).Text(), "-5.5");
  EXPECT_EQ(Result(cad.p, L"FunGetNumber", {"无数字"}).Text(), "0");
  EXPECT_EQ(Result(cad.p, L"JL", {0.0, 0.0, 3.0, 4.0}).Text(), "5");
  EXPECT_EQ(Result(cad.p, L"FWJ", {0.0, 0.0, 10.0, 10.0, 1}).Text(), "45°0′0″");
  EXPECT_EQ(Result(cad.p, L"FWJ", {0.0, 0.0, -5.0, 0.0}).Text(), Var(180.0 / 24).Text());
}

TEST(FunCad, StorArrOrdersThePolylinesInTheCallersArray) {
  Object cad("FunCad");
  // Horizontal lines at heights 1, 3 and 2; the one at 3 drawn from right to left.
  Var lines = VariantArray({Line({0, 1, 10, 1}), Line({10, 3, 0, 3}), Line({0, 2, 10, 2})});
  EXPECT_EQ(Result(cad.p, L"StorArr", {Var::Ref(lines)}).Text(), "1");
  EXPECT_EQ(LineAt(lines, 0), (std::vector<double>{0, 3, 10, 3}));  // reversed, then first
  EXPECT_EQ(LineAt(lines, 1), (std::vector<double>{0, 2, 10, 2}));
  EXPECT_EQ(LineAt(lines, 2), (std::vector<double>{0, 1, 10, 1}));
  Var bad = VariantArray({Line({0, 1, 10, 1}), Var("not a line")});
  EXPECT_EQ(Result(cad.p, L"StorArr", {Var::Ref(bad)}).Text(), "0");
}

TEST(FunCad, ClipboardTextAsAnsiAndUnicode) {
  Object cad("FunCad");
  EXPECT_EQ(Result(cad.p, L"FunClipboardSetText", {0, "LINE 0,0 10,10"}).Text(), "-1");  // True
  EXPECT_EQ(kestrel::testing::OtherProgram().Read(), std::optional<std::wstring>(L"LINE 0,0 10,10"));
  EXPECT_EQ(ClipboardAnsi(), std::optional<std::string>("LINE 0,0 10,10"));
  EXPECT_EQ(Result(cad.p, L"ClipboardSetText", {0, "K1+000"}).Text(), "1");
  EXPECT_EQ(kestrel::testing::OtherProgram().Read(), std::optional<std::wstring>(L"K1+000"));
  EXPECT_EQ(Result(cad.p, L"ClipboardSetText", {0, ""}).Text(), "0");
  EXPECT_EQ(kestrel::testing::OtherProgram().Read(), std::optional<std::wstring>(L""));
  EXPECT_EQ(Result(cad.p, L"ClipboardSetText", {0}).Text(), "0");
}

TEST(FunCad, DlgAndSpeedAreMadeOnFirstReadAndCanBeReplaced) {
  Object cad("FunCad");
  Var dialog = Result(cad.p, L"Dlg", {});
  ASSERT_EQ(V_VT(&dialog.v), VT_DISPATCH);
  Var again;
  Call(cad.p, L"Dlg", {}, again, DISPATCH_PROPERTYGET);
  EXPECT_EQ(V_DISPATCH(&again.v), V_DISPATCH(&dialog.v));
  Object other("cSpeedString");
  Var replacement(other.p), ignored;
  EXPECT_EQ(Call(cad.p, L"Speed", {replacement}, ignored, DISPATCH_PROPERTYPUTREF), S_OK);
  Call(cad.p, L"Speed", {}, again, DISPATCH_PROPERTYGET);
  EXPECT_EQ(V_DISPATCH(&again.v), other.p);
}

// --- Ini ------------------------------------------------------------------------------------------

// The same operations on the library's Ini (the platform's private-profile functions) and on the
// core's portable IniFile, on two files, give the same answers.
TEST(Ini, AgreesWithThePortableReaderAndWriter) {
  const std::wstring platformFile = workFolder + L"\\platform.ini";
  const std::wstring portableFile = workFolder + L"\\portable.ini";
  DeleteFileW(platformFile.c_str());
  DeleteFileW(portableFile.c_str());
  Object ini("Ini");
  Var ignored;
  ASSERT_EQ(Call(ini.p, L"INIFileName", {Utf8(platformFile).c_str()}, ignored, DISPATCH_PROPERTYPUT), S_OK);
  IniFile portable;
  portable.SetINIFileName(Utf8(portableFile));
  auto get = [&](const char* section, const char* key, const char* fallback) {
    Var s(section), k(key);
    std::string platform = Result(ini.p, L"GetIniKey", {Var::Ref(s), Var::Ref(k), fallback}).Text();
    EXPECT_EQ(platform, portable.GetIniKey(section, key, fallback)) << section << "/" << key;
    return platform;
  };
  auto write = [&](const char* section, const char* key, const std::string& value) {
    Var s(section), k(key), v(value.c_str());
    EXPECT_NE(Result(ini.p, L"WriteIniKey", {Var::Ref(s), Var::Ref(k), Var::Ref(v)}).Text(), "0");
    EXPECT_NE(portable.WriteIniKey(section, key, value), 0);
  };
  EXPECT_EQ(get("CAD", "Path", "none"), "none");  // no file yet
  write("CAD", "Path", "C:\\CAD");
  write("CAD", "Version", "2014");
  write("Draw", "Height", "2.5");
  EXPECT_EQ(get("cad", "PATH", "none"), "C:\\CAD");  // names without regard to case
  write("CAD", "Path", "D:\\CAD");                   // last write wins
  EXPECT_EQ(get("CAD", "Path", "none"), "D:\\CAD");
  EXPECT_EQ(get("CAD", "Missing", "dflt"), "dflt");
  Result(ini.p, L"DelIniKey", {"CAD", "Version"});
  portable.DelIniKey("CAD", "Version");
  EXPECT_EQ(get("CAD", "Version", "gone"), "gone");
  EXPECT_EQ(get("CAD", "Path", "none"), "D:\\CAD");
  Result(ini.p, L"DelIniSec", {"CAD"});
  portable.DelIniSec("CAD");
  EXPECT_EQ(get("CAD", "Path", "gone"), "gone");
  EXPECT_EQ(get("Draw", "Height", "none"), "2.5");
  // A value of 300 characters reads back as its first 255.
  const std::string longValue = std::string(200, 'a') + std::string(100, 'b');
  write("Long", "Value", longValue);
  EXPECT_EQ(get("Long", "Value", ""), longValue.substr(0, 255));
}

// --- cSpeedString ---------------------------------------------------------------------------------

TEST(SpeedString, GrowsBy1024SlotsAndTrimsOneCrLf) {
  Object builder("cSpeedString");
  EXPECT_EQ(Result(builder.p, L"Data", {}).Text(), "");
  EXPECT_EQ(Result(builder.p, L"SlotCount", {}).Text(), "1025");
  for (int i = 0; i < 1024; ++i) Result(builder.p, L"Append", {"x"});
  EXPECT_EQ(Result(builder.p, L"SlotCount", {}).Text(), "2048");
  for (int i = 0; i < 1024; ++i) Result(builder.p, L"Append", {"y"});
  EXPECT_EQ(Result(builder.p, L"SlotCount", {}).Text(), "3072");
  EXPECT_EQ(Result(builder.p, L"Data", {}).Text(), std::string(1024, 'x') + std::string(1024, 'y'));
  Result(builder.p, L"Reset", {});
  Result(builder.p, L"Append", {"\r\n"});
  Result(builder.p, L"Append", {"a"});
  EXPECT_EQ(Result(builder.p, L"Data", {-1}).Text(), "a");
  EXPECT_EQ(Result(builder.p, L"Data", {0}).Text(), "\r\na");
  EXPECT_EQ(Result(builder.p, L"Data", {-999999}).Text(), "\r\na");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 3 && argc != 4) {
    fwprintf(stderr, L"usage: automation_tests KESTREL_DLL WORK_FOLDER [HOLLIN_EXE]\n");
    return 2;
  }
  auto windowsPath = [](std::wstring path) {
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    for (wchar_t& c : path) {
      if (c == L'/') c = L'\\';
    }
    return path;
  };
  workFolder = windowsPath(argv[2]);
  if (argc == 4) hollinPath = windowsPath(argv[3]);
  CreateDirectoryW(workFolder.c_str(), nullptr);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  dll = LoadLibraryW(windowsPath(argv[1]).c_str());
  if (dll == nullptr) {
    fwprintf(stderr, L"cannot load %ls (error %lu)\n", argv[1], GetLastError());
    return 2;
  }
  if (kestrel::testing::CountAllocationsOf(dll) == 0) {
    fwprintf(stderr, L"no allocating import of %ls to count\n", argv[1]);
    return 2;
  }
  int result = RUN_ALL_TESTS();
  CoUninitialize();
  return result;
}
