// FakeObject: the IDispatch plumbing shared by the fake host's objects (names, arguments, refusals).
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/cell_value.h"
#include "fake_excel.h"

namespace kestrel::testing {

// What a member refuses with: the host's code for a refused method and its description.
struct FakeRefusal {
  std::wstring description;
  HRESULT code = static_cast<HRESULT>(0x800A03EC);
};

// One call as the object sees it: positional arguments in the order the caller wrote them, named
// ones by lower-case name. An omitted optional argument is absent from both.
struct FakeCall {
  std::wstring member;  // as the object's member list spells it
  WORD flags = 0;
  std::vector<const VARIANT*> positional;
  std::map<std::wstring, const VARIANT*> named;
  VARIANT* result = nullptr;
  LCID lcid = 1033;  // the locale the caller made the call in

  bool IsPut() const { return (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0; }
  // The argument at a position or by name; null when omitted.
  const VARIANT* Arg(size_t position, const wchar_t* name) const;
  const VARIANT& PutValue() const;
  // Refuses named arguments other than these, and more positional ones than `positions`.
  void Allow(size_t positions, std::initializer_list<const wchar_t*> names) const;
};

// The base of every fake object: reference counted on the heap, members found by name without
// regard to case, each call counted by FakeExcel as "Class.Member". Subclasses answer Call.
class FakeObject : public IDispatch {
 public:
  FakeObject(FakeExcel& excel, const char* className, std::vector<std::wstring> members);
  virtual ~FakeObject() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT* argumentError) override;

 protected:
  // Answers one call; throws FakeRefusal (or the model's HostError) to refuse it.
  virtual void Call(FakeCall& call) = 0;
  FakeExcel& Excel() { return excel_; }
  std::string ClassName() const { return className_; }
  // Refuses a change (any property put, or a changing method) while the sheet is protected.
  void RefuseOnProtectedSheet(const FakeCall& call, bool changingMethod = false);

 private:
  FakeExcel& excel_;
  const char* className_;
  std::vector<std::wstring> members_;
  std::atomic<ULONG> references_{1};
};

// Argument and result helpers; each refuses a value of the wrong kind.
std::wstring TextOf(const VARIANT& value, const wchar_t* what);
double NumberOf(const VARIANT& value, const wchar_t* what);
long LongOf(const VARIANT& value, const wchar_t* what);
bool BoolOf(const VARIANT& value, const wchar_t* what);
std::string Utf8Of(const std::wstring& text);
std::wstring WideOf(std::string_view utf8);
void SetText(VARIANT* result, const std::wstring& text);
void SetNumber(VARIANT* result, double value);
void SetBool(VARIANT* result, bool value);
void SetNull(VARIANT* result);
// Hands a new object to the caller (the result takes the object's first reference).
void SetObject(VARIANT* result, IDispatch* object);
// Cell values the way the host hands them out: VT_R8, VT_BSTR, VT_BOOL, VT_ERROR 0x800A07xx.
void SetCell(VARIANT* result, const CellValue& value);
CellValue CellOf(const VARIANT& value);

}  // namespace kestrel::testing
