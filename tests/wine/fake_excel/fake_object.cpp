// FakeObject: name look-up, argument unpacking, counting and refusals of the fake host's objects.
#include "fake_object.h"

#include <oleauto.h>

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <stdexcept>

#include "host/host_error.h"

namespace kestrel::testing {
namespace {

// Named arguments get ids from one table shared by every member; 0x1000 keeps them apart from
// member ids.
constexpr DISPID kFirstArgumentId = 0x1000;

std::vector<std::wstring>& ArgumentNames() {
  static std::vector<std::wstring> names;
  return names;
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(towlower(c));
  return text;
}

// The named arguments of the members that take any, as the host's reference lists them.
const std::vector<std::wstring>& ParametersOf(const std::wstring& member) {
  static const std::map<std::wstring, std::vector<std::wstring>> parameters = {
      {L"sort", {L"key1", L"order1", L"key2", L"type", L"order2", L"key3", L"order3", L"header", L"ordercustom",
                 L"matchcase", L"orientation", L"sortmethod", L"dataoption1", L"dataoption2", L"dataoption3"}},
      {L"replace", {L"what", L"replacement", L"lookat", L"searchorder", L"matchcase", L"matchbyte", L"searchformat",
                    L"replaceformat", L"formulaversion"}},
      {L"insert", {L"shift", L"copyorigin"}},
      {L"delete", {L"shift"}},
      {L"end", {L"direction"}},
      {L"range", {L"cell1", L"cell2"}},
      {L"item", {L"index"}},
      {L"characters", {L"start", L"length"}},
      {L"addcomment", {L"text"}},
      {L"inchestopoints", {L"inches"}},
      {L"getopenfilename", {L"filefilter", L"filterindex", L"title", L"buttontext", L"multiselect"}},
      {L"getsaveasfilename", {L"initialfilename", L"filefilter", L"filterindex", L"title", L"buttontext"}},
  };
  static const std::vector<std::wstring> none;
  auto found = parameters.find(member);
  return found == parameters.end() ? none : found->second;
}

// Members that are methods: a property put on one is no call the host knows.
bool IsMethod(const std::wstring& member) {
  static const std::wstring methods[] = {L"insert", L"delete", L"select", L"merge", L"sort", L"replace",
                                         L"autofit", L"clearcomments", L"addcomment", L"add", L"inchestopoints",
                                         L"getopenfilename", L"getsaveasfilename"};
  return std::find(std::begin(methods), std::end(methods), member) != std::end(methods);
}

DISPID ArgumentId(const wchar_t* name) {
  std::wstring lower = Lower(name);
  auto& names = ArgumentNames();
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i] == lower) return kFirstArgumentId + static_cast<DISPID>(i);
  }
  names.push_back(lower);
  return kFirstArgumentId + static_cast<DISPID>(names.size() - 1);
}

}  // namespace

std::string Utf8Of(const std::wstring& text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size, nullptr, nullptr);
  return utf8;
}

std::wstring WideOf(std::string_view utf8) {
  int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

const VARIANT* FakeCall::Arg(size_t position, const wchar_t* name) const {
  auto found = named.find(Lower(name));
  if (found != named.end()) return found->second;
  return position < positional.size() ? positional[position] : nullptr;
}

const VARIANT& FakeCall::PutValue() const {
  if (!IsPut() || positional.empty()) throw FakeRefusal{member + L" is read here as a property put without a value"};
  return *positional.back();
}

void FakeCall::Allow(size_t positions, std::initializer_list<const wchar_t*> names) const {
  if (positional.size() > positions) throw FakeRefusal{member + L": too many arguments for the fake"};
  for (const auto& [name, value] : named) {
    bool known = false;
    for (const wchar_t* allowed : names) known = known || Lower(allowed) == name;
    if (!known) throw FakeRefusal{member + L": the fake does not model the argument " + name};
  }
}

FakeObject::FakeObject(FakeExcel& excel, const char* className, std::vector<std::wstring> members)
    : excel_(excel), className_(className), members_(std::move(members)) {}

HRESULT FakeObject::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG FakeObject::Release() {
  ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT FakeObject::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT FakeObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  excel_.RecordLookup();
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  if (count == 0) return DISP_E_UNKNOWNNAME;
  for (size_t m = 0; m < members_.size(); ++m) {
    if (_wcsicmp(members_[m].c_str(), names[0]) == 0) ids[0] = static_cast<DISPID>(m + 1);
  }
  if (ids[0] == DISPID_UNKNOWN) return DISP_E_UNKNOWNNAME;
  // A named argument the member does not have is unknown, as the host's type information says.
  const std::vector<std::wstring>& parameters = ParametersOf(Lower(names[0]));
  HRESULT hr = S_OK;
  for (UINT i = 1; i < count; ++i) {
    if (std::find(parameters.begin(), parameters.end(), Lower(names[i])) == parameters.end()) {
      hr = DISP_E_UNKNOWNNAME;
    } else {
      ids[i] = ArgumentId(names[i]);
    }
  }
  return hr;
}

HRESULT FakeObject::Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                           EXCEPINFO* exception, UINT*) {
  if (id < 1 || static_cast<size_t>(id) > members_.size()) return DISP_E_MEMBERNOTFOUND;
  FakeCall call;
  call.member = members_[static_cast<size_t>(id) - 1];
  call.flags = flags;
  call.result = result;
  call.lcid = lcid;
  excel_.NoteLocale(lcid);
  if (call.IsPut() && IsMethod(Lower(call.member))) return DISP_E_MEMBERNOTFOUND;
  if (result != nullptr) VariantInit(result);
  // Named arguments come first in rgvarg, then the positional ones from the last to the first.
  const UINT named = params != nullptr ? params->cNamedArgs : 0;
  const UINT all = params != nullptr ? params->cArgs : 0;
  for (UINT i = 0; i < named; ++i) {
    DISPID argument = params->rgdispidNamedArgs[i];
    if (argument == DISPID_PROPERTYPUT) {
      call.positional.push_back(&params->rgvarg[i]);  // the put value, read by PutValue
    } else if (argument >= kFirstArgumentId &&
               static_cast<size_t>(argument - kFirstArgumentId) < ArgumentNames().size()) {
      call.named[ArgumentNames()[static_cast<size_t>(argument - kFirstArgumentId)]] = &params->rgvarg[i];
    } else {
      return DISP_E_PARAMNOTFOUND;
    }
  }
  std::vector<const VARIANT*> positional;
  for (UINT i = all; i > named; --i) {
    const VARIANT* v = &params->rgvarg[i - 1];
    if (v->vt == VT_ERROR && v->scode == DISP_E_PARAMNOTFOUND) v = nullptr;  // omitted
    positional.push_back(v);
  }
  // A put value recorded above goes after the indices.
  positional.insert(positional.end(), call.positional.begin(), call.positional.end());
  call.positional = std::move(positional);

  std::string qualified = std::string(className_) + "." + Utf8Of(call.member);
  FakeRefusal refusal;
  try {
    if (const FakeExcel::Fault* fault = excel_.Record(qualified)) {
      throw FakeRefusal{fault->description, fault->code};
    }
    Call(call);
    return S_OK;
  } catch (const FakeRefusal& r) {
    refusal = r;
  } catch (const HostError& e) {  // the model refused (an address outside the sheet, ...)
    refusal = FakeRefusal{WideOf(e.what())};
  } catch (const std::exception& e) {
    refusal = FakeRefusal{WideOf(e.what()), E_FAIL};
  }
  if (result != nullptr) VariantClear(result);
  if (exception != nullptr) {
    *exception = EXCEPINFO{};
    exception->scode = refusal.code;
    exception->bstrSource = SysAllocString(L"FakeExcel");
    exception->bstrDescription = SysAllocString(refusal.description.c_str());
  }
  return DISP_E_EXCEPTION;
}

void FakeObject::RefuseOnProtectedSheet(const FakeCall& call, bool changingMethod) {
  if (excel_.Protected() && (call.IsPut() || changingMethod)) {
    throw FakeRefusal{L"The cell or chart you're trying to change is on a protected sheet (" + call.member + L")"};
  }
}

std::wstring TextOf(const VARIANT& value, const wchar_t* what) {
  if (value.vt == VT_BSTR) return value.bstrVal != nullptr ? std::wstring(value.bstrVal, SysStringLen(value.bstrVal)) : L"";
  throw FakeRefusal{std::wstring(what) + L" must be a text"};
}

double NumberOf(const VARIANT& value, const wchar_t* what) {
  VARIANT converted;
  VariantInit(&converted);
  if (value.vt == VT_BSTR || value.vt == VT_BOOL ||
      FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&value), 0, VT_R8))) {
    throw FakeRefusal{std::wstring(what) + L" must be a number"};
  }
  return converted.dblVal;
}

long LongOf(const VARIANT& value, const wchar_t* what) {
  double number = NumberOf(value, what);
  if (number != static_cast<long>(number)) throw FakeRefusal{std::wstring(what) + L" must be a whole number"};
  return static_cast<long>(number);
}

bool BoolOf(const VARIANT& value, const wchar_t* what) {
  if (value.vt == VT_BOOL) return value.boolVal != VARIANT_FALSE;
  throw FakeRefusal{std::wstring(what) + L" must be True or False"};
}

void SetText(VARIANT* result, const std::wstring& text) {
  if (result == nullptr) return;
  result->vt = VT_BSTR;
  result->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

void SetNumber(VARIANT* result, double value) {
  if (result == nullptr) return;
  result->vt = VT_R8;
  result->dblVal = value;
}

void SetBool(VARIANT* result, bool value) {
  if (result == nullptr) return;
  result->vt = VT_BOOL;
  result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void SetNull(VARIANT* result) {
  if (result != nullptr) result->vt = VT_NULL;
}

void SetObject(VARIANT* result, IDispatch* object) {
  if (result == nullptr) {
    if (object != nullptr) object->Release();
    return;
  }
  result->vt = VT_DISPATCH;
  result->pdispVal = object;
}

void SetCell(VARIANT* result, const CellValue& value) {
  if (result == nullptr) return;
  if (value.IsNumber()) {
    SetNumber(result, value.Number());
  } else if (value.IsText()) {
    SetText(result, WideOf(value.Text()));
  } else if (value.IsBoolean()) {
    SetBool(result, value.Bool());
  } else if (value.IsError()) {
    result->vt = VT_ERROR;
    result->scode = static_cast<SCODE>(0x800A0000UL | static_cast<unsigned long>(value.Error()));
  }
}

CellValue CellOf(const VARIANT& value) {
  switch (value.vt) {
    case VT_EMPTY:
      return CellValue();
    case VT_BSTR:
      return CellValue(Utf8Of(TextOf(value, L"a cell value")));
    case VT_BOOL:
      return CellValue::Boolean(value.boolVal != VARIANT_FALSE);
    case VT_ERROR:
      return CellValue::Error(static_cast<CellError>(static_cast<unsigned long>(value.scode) & 0xFFFF));
    default:
      return CellValue(NumberOf(value, L"a cell value"));
  }
}

}  // namespace kestrel::testing
