// Speed of the worksheet functions through Kestrel.dll's IDispatch, in process under Wine, against
// the core's direct call: for GetH (a three-column profile range of FakeExcel, with Refresh 0 read
// at most once per half second, with Refresh 1 read on every call) and JL, calls per second and
// microseconds per call by DISPID, through GetIDsOfNames and Invoke (as a late-bound macro calls),
// and direct; the overhead per call; the heap allocations Kestrel.dll makes per call; and the host
// calls one GetH makes. Figures only, never a pass/fail test.
//   wine automation_bench.exe Kestrel.dll
#include <windows.h>
#include <oleauto.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "workbook/memory_workbook.h"
#include "host/system_clock.h"
#include "registration/registration.h"
#include "addin/session.h"
#include "allocation_count.h"
#include "fake_excel/fake_excel.h"
#include "geometry/profile_cache.h"
#include "geometry/angle_functions.h"

namespace {

using namespace kestrel;

double PerSecond(const std::function<void()>& call) {
  using Clock = std::chrono::steady_clock;
  long count = 0;
  const auto start = Clock::now();
  double seconds = 0;
  do {
    for (int i = 0; i < 1000; ++i) call();
    count += 1000;
    seconds = std::chrono::duration<double>(Clock::now() - start).count();
  } while (seconds < 1.0);
  return count / seconds;
}

// Allocations Kestrel.dll makes per call, over calls that follow a first one.
double AllocationsPerCall(const std::function<void()>& call) {
  call();
  const long before = testing::AllocationCount();
  for (int i = 0; i < 1000; ++i) call();
  return (testing::AllocationCount() - before) / 1000.0;
}

DISPID IdOf(IDispatch* object, const wchar_t* name) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  return id;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    fwprintf(stderr, L"usage: automation_bench KESTREL_DLL\n");
    return 2;
  }
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  HMODULE dll = LoadLibraryW(argv[1]);
  auto getClassObject = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
      reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
  if (getClassObject == nullptr || testing::CountAllocationsOf(dll) == 0) return 2;
  CLSID clsid;
  std::wstring text(LibraryClasses()[1].clsid.begin(), LibraryClasses()[1].clsid.end());  // ClsFunction
  CLSIDFromString(text.c_str(), &clsid);
  IClassFactory* factory = nullptr;
  IDispatch* functions = nullptr;
  if (FAILED(getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory))) ||
      FAILED(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&functions)))) {
    return 2;
  }

  MemoryWorkbook book;
  const double profile[][3] = {{0, 100, 0}, {500, 110, 3000}, {1000, 105, 0}};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) book.Active().SetValue({r + 1, c + 1}, CellValue(profile[r][c]));
  testing::FakeExcel excel(book);
  excel.SetFullName(L"C:\\Users\\surveyor\\Documents\\G312 widening\\profile.xlsx");
  VARIANT sheet, range, address, result;
  VariantInit(&sheet);
  VariantInit(&range);
  VariantInit(&result);
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  IDispatch* application = excel.Application();
  application->Invoke(IdOf(application, L"ActiveSheet"), IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &sheet, nullptr, nullptr);
  VariantInit(&address);
  V_VT(&address) = VT_BSTR;
  V_BSTR(&address) = SysAllocString(L"A1:C3");
  DISPPARAMS rangeArgs{&address, nullptr, 1, 0};
  V_DISPATCH(&sheet)->Invoke(IdOf(V_DISPATCH(&sheet), L"Range"), IID_NULL, 0, DISPATCH_PROPERTYGET, &rangeArgs, &range,
                             nullptr, nullptr);

  // Arguments in reverse order, as DISPPARAMS holds them.
  VARIANT getH[3], jl[4];
  for (VARIANT& v : getH) VariantInit(&v);
  V_VT(&getH[0]) = VT_I4;  // Refresh 0: the range is read at most once per half second
  V_I4(&getH[0]) = 0;
  V_VT(&getH[1]) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&getH[1]) = &range;
  V_VT(&getH[2]) = VT_R8;
  V_R8(&getH[2]) = 420;
  const double points[4] = {7, 4, 3, 1};  // Y2, X2, Y1, X1
  for (int i = 0; i < 4; ++i) {
    VariantInit(&jl[i]);
    V_VT(&jl[i]) = VT_R8;
    V_R8(&jl[i]) = points[i];
  }
  VARIANT getHRefresh[3] = {getH[0], getH[1], getH[2]};
  V_I4(&getHRefresh[0]) = 1;  // Refresh 1: the range is read on every call
  DISPPARAMS getHArgs{getH, nullptr, 3, 0}, getHRefreshArgs{getHRefresh, nullptr, 3, 0}, jlArgs{jl, nullptr, 4, 0};
  const DISPID getHId = IdOf(functions, L"GetH"), jlId = IdOf(functions, L"JL");
  auto invoke = [&](DISPID id, DISPPARAMS& args) {
    functions->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &args, &result, nullptr, nullptr);
  };
  // A late-bound call as a macro makes it: the member's id by name, then the call.
  auto byName = [&](const wchar_t* name, DISPPARAMS& args) { invoke(IdOf(functions, name), args); };
  invoke(getHId, getHArgs);
  std::printf("GetH through IDispatch: %.4f\n", V_R8(&result));

  Session session;
  SystemClock clock;
  RangeArg table(book.Active(), RangeRef::Parse("A1:C3").value(), "bench");
  FunctionValue source(table);
  double sink = 0;
  struct Figures {
    double dispatch, named, direct, allocations, namedAllocations;
  };
  auto report = [](const char* name, const Figures& f) {
    std::printf("%s: %9.0f calls/s (%6.3f us) by DISPID, %9.0f calls/s (%6.3f us) by name, %10.0f calls/s (%6.3f us) "
                "direct;\n      overhead %.3f us per call by DISPID, %.3f us by name; Kestrel.dll allocations per "
                "call: %.2f by DISPID, %.2f by name\n",
                name, f.dispatch, 1e6 / f.dispatch, f.named, 1e6 / f.named, f.direct, 1e6 / f.direct,
                1e6 / f.dispatch - 1e6 / f.direct, 1e6 / f.named - 1e6 / f.direct, f.allocations, f.namedAllocations);
  };
  const auto getHCall = [&] { invoke(getHId, getHArgs); };
  const auto getHByName = [&] { byName(L"GetH", getHArgs); };
  const auto jlCall = [&] { invoke(jlId, jlArgs); };
  const auto jlByName = [&] { byName(L"JL", jlArgs); };
  const Figures getHFigures{PerSecond(getHCall), PerSecond(getHByName),
                     PerSecond([&] { sink += ProfileElevation(420, source, 0, session.Geometry.Profile, clock, ""); }),
                     AllocationsPerCall(getHCall), AllocationsPerCall(getHByName)};
  const auto getHRefreshCall = [&] { invoke(getHId, getHRefreshArgs); };
  const auto getHRefreshByName = [&] { byName(L"GetH", getHRefreshArgs); };
  const Figures getHRefreshFigures{
      PerSecond(getHRefreshCall), PerSecond(getHRefreshByName),
      PerSecond([&] { sink += ProfileElevation(420, source, 1, session.Geometry.Profile, clock, ""); }),
      AllocationsPerCall(getHRefreshCall), AllocationsPerCall(getHRefreshByName)};
  const Figures jlFigures{PerSecond(jlCall), PerSecond(jlByName), PerSecond([&] { sink += JL(1, 3, 4, 7); }),
                   AllocationsPerCall(jlCall), AllocationsPerCall(jlByName)};
  report("GetH", getHFigures);
  report("GetH with Refresh 1", getHRefreshFigures);
  report("JL  ", jlFigures);
  // The host calls GetH makes, made straight from here by name: the part of its overhead that is
  // the host's (FakeExcel's) own. A call in a burst asks for the range's external address; one
  // with Refresh 1 reads its values too.
  auto get = [&](IDispatch* object, const wchar_t* name, VARIANT& value, DISPPARAMS& args) {
    VariantClear(&value);
    object->Invoke(IdOf(object, name), IID_NULL, 0, DISPATCH_PROPERTYGET, &args, &value, nullptr, nullptr);
  };
  VARIANT external[4], hostText;
  for (VARIANT& v : external) {
    VariantInit(&v);
    V_VT(&v) = VT_BOOL;
    V_BOOL(&v) = VARIANT_TRUE;
  }
  V_VT(&external[1]) = VT_I4;  // ReferenceStyle xlA1, between External and ColumnAbsolute
  V_I4(&external[1]) = 1;
  DISPPARAMS externalArgs{external, nullptr, 4, 0};
  VariantInit(&hostText);
  IDispatch* r = V_DISPATCH(&range);
  const double addressCalls = PerSecond([&] { get(r, L"Address", hostText, externalArgs); });
  const double valueCalls = PerSecond([&] {
    get(r, L"Address", hostText, externalArgs);
    get(r, L"Value2", hostText, none);
  });
  VariantClear(&hostText);
  std::printf("GetH's host calls alone: %.3f us in a burst (Range.Address), %.3f us with Refresh 1 (and Range.Value2)\n",
              1e6 / addressCalls, 1e6 / valueCalls);
  invoke(getHId, getHArgs);  // loads the profile again: the last call was more than half a second ago
  excel.ResetCounts();
  invoke(getHId, getHArgs);
  std::printf("One GetH in a burst asks the host: %s\n", excel.CountReport().c_str());
  excel.ResetCounts();
  invoke(getHId, getHRefreshArgs);
  std::printf("One GetH with Refresh 1 asks the host: %s\n", excel.CountReport().c_str());
  std::printf("(checksum %.1f)\n", sink);
  functions->Release();
  factory->Release();
  VariantClear(&range);
  VariantClear(&sheet);
  VariantClear(&address);
  CoUninitialize();
  return 0;
}
