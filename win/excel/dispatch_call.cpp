// IDispatch calls by name with positional and named arguments, turning every refusal into HostError.
#include "dispatch_call.h"

#include <dispex.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "host/host_error.h"
#include "com/com_error.h"
#include "platform/wide_text.h"

namespace kestrel {
namespace {

// Every call is made in US English, as a macro's calls are: formulas, numbers in texts, number
// formats and addresses then mean the same whatever the user's language (1033).
const LCID kHostLocale = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);

// The member's id, and the ids of the named arguments, as the object numbers them. A member
// without named arguments whose name is short (every member the add-in calls) is looked up
// without allocating.
void MemberIds(IDispatch* object, std::wstring_view name, std::vector<std::wstring>& argNames, DISPID& memberId,
               std::vector<DISPID>& namedIds) {
  if (object == nullptr) throw HostError("There is no host object to ask for " + FromWide(name));
  wchar_t shortName[64];
  std::wstring longName;
  LPOLESTR member = shortName;
  if (name.size() < std::size(shortName)) {
    name.copy(shortName, name.size());
    shortName[name.size()] = L'\0';
  } else {
    longName = name;
    member = longName.data();
  }
  memberId = DISPID_UNKNOWN;
  HRESULT hr;
  if (argNames.empty()) {
    hr = object->GetIDsOfNames(IID_NULL, &member, 1, kHostLocale, &memberId);
  } else {
    std::vector<LPOLESTR> names{member};
    for (std::wstring& n : argNames) names.push_back(n.data());
    std::vector<DISPID> ids(names.size(), DISPID_UNKNOWN);
    hr = object->GetIDsOfNames(IID_NULL, names.data(), static_cast<UINT>(names.size()), kHostLocale,
                               ids.data());
    memberId = ids[0];
    namedIds.assign(ids.begin() + 1, ids.end());
  }
  if (FAILED(hr) && argNames.empty()) {
    // Objects of script engines may answer names only through IDispatchEx.
    IDispatchEx* scriptObject = nullptr;
    if (SUCCEEDED(object->QueryInterface(__uuidof(IDispatchEx), reinterpret_cast<void**>(&scriptObject)))) {
      BSTR memberName = SysAllocStringLen(name.data(), static_cast<UINT>(name.size()));
      if (memberName != nullptr) hr = scriptObject->GetDispID(memberName, fdexNameCaseInsensitive, &memberId);
      SysFreeString(memberName);
      scriptObject->Release();
    }
  }
  if (FAILED(hr)) {
    std::string what = FromWide(name);
    for (size_t i = 0; i < argNames.size(); ++i) what += (i == 0 ? " with " : ", ") + FromWide(argNames[i]);
    throw HostError("The host object has no member " + what + " (" + HresultText(hr) + ")");
  }
}

}  // namespace

DispatchRef& DispatchRef::operator=(DispatchRef&& other) noexcept {
  if (this != &other) {
    Reset();
    object_ = other.object_;
    other.object_ = nullptr;
  }
  return *this;
}

DispatchRef DispatchRef::Share(IDispatch* object) {
  if (object != nullptr) object->AddRef();
  return DispatchRef(object);
}

void DispatchRef::Reset() {
  if (object_ != nullptr) object_->Release();
  object_ = nullptr;
}

VARIANT TextArg(std::string_view utf8) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = ToBstr(utf8);
  return v;
}

VARIANT NumberArg(double value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_R8;
  v.dblVal = value;
  return v;
}

VARIANT LongArg(long value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}

VARIANT BoolArg(bool value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BOOL;
  v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

VARIANT ObjectArg(IDispatch* object) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_DISPATCH;
  v.pdispVal = object;
  if (object != nullptr) object->AddRef();
  return v;
}

VARIANT MissingArg() {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_ERROR;
  v.scode = DISP_E_PARAMNOTFOUND;
  return v;
}

DispatchArgs::~DispatchArgs() {
  for (VARIANT& v : positional_) VariantClear(&v);
  for (VARIANT& v : named_) VariantClear(&v);
}

DispatchArgs& DispatchArgs::Add(VARIANT value) {
  positional_.push_back(value);
  return *this;
}

DispatchArgs& DispatchArgs::Named(std::wstring_view name, VARIANT value) {
  names_.emplace_back(name);
  named_.push_back(value);
  return *this;
}

namespace {

// object.Invoke of a member whose id is known; a refusal throws HostError naming the member.
void Invoke(IDispatch* object, std::wstring_view name, DISPID memberId, WORD flags, DISPPARAMS& params,
            VARIANT* result) {
  EXCEPINFO exception = {};
  UINT argumentError = 0;
  HRESULT hr = object->Invoke(memberId, IID_NULL, kHostLocale, flags, &params, result, &exception, &argumentError);
  if (SUCCEEDED(hr)) return;
  std::string detail;
  if (hr == DISP_E_EXCEPTION) {
    if (exception.pfnDeferredFillIn != nullptr) exception.pfnDeferredFillIn(&exception);
    if (exception.scode != 0) hr = exception.scode;
    detail = FromBstr(exception.bstrDescription);
  }
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  throw HostError("The host refused " + FromWide(name) + " (" + HresultText(hr) + ")" +
                  (detail.empty() ? "" : ": " + detail));
}

}  // namespace

void InvokeMember(IDispatch* object, std::wstring_view name, WORD flags, DispatchArgs& args, VARIANT* result) {
  DISPID memberId = DISPID_UNKNOWN;
  std::vector<DISPID> namedIds;
  MemberIds(object, name, args.names_, memberId, namedIds);
  // IDispatch takes named arguments first, then the positional ones from the last to the first;
  // a property put names its value DISPID_PROPERTYPUT.
  std::vector<VARIANT> ordered(args.named_.begin(), args.named_.end());
  ordered.insert(ordered.end(), args.positional_.rbegin(), args.positional_.rend());
  if (flags & DISPATCH_PROPERTYPUT) namedIds.insert(namedIds.begin(), DISPID_PROPERTYPUT);
  DISPPARAMS params = {ordered.empty() ? nullptr : ordered.data(), namedIds.empty() ? nullptr : namedIds.data(),
                       static_cast<UINT>(ordered.size()), static_cast<UINT>(namedIds.size())};
  Invoke(object, name, memberId, flags, params, result);
}

void GetProperty(IDispatch* object, std::wstring_view name, std::initializer_list<VARIANT> plainArgs,
                 Variant& result) {
  constexpr size_t kMostArgs = 8;
  if (plainArgs.size() > kMostArgs) throw HostError("Too many arguments for " + FromWide(name));
  DISPID memberId = DISPID_UNKNOWN;
  std::vector<std::wstring> noNames;
  std::vector<DISPID> noIds;
  MemberIds(object, name, noNames, memberId, noIds);
  VARIANT reversed[kMostArgs];
  std::reverse_copy(plainArgs.begin(), plainArgs.end(), reversed);
  DISPPARAMS params = {reversed, nullptr, static_cast<UINT>(plainArgs.size()), 0};
  VariantClear(&result.Get());
  Invoke(object, name, memberId, DISPATCH_PROPERTYGET | DISPATCH_METHOD, params, &result.Get());
}

void GetProperty(IDispatch* object, std::wstring_view name, Variant& result) {
  DispatchArgs none;
  GetProperty(object, name, none, result);
}

void GetProperty(IDispatch* object, std::wstring_view name, DispatchArgs& args, Variant& result) {
  VariantClear(&result.Get());
  // Members with arguments (Range, Borders, End) are properties to the host and methods to some
  // servers; the host accepts both flags together, as a macro's call does.
  InvokeMember(object, name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, args, &result.Get());
}

void PutProperty(IDispatch* object, std::wstring_view name, const VARIANT& value) {
  DispatchArgs args;
  VARIANT copy;
  VariantInit(&copy);
  CheckHresult(VariantCopy(&copy, const_cast<VARIANT*>(&value)), "Copying a property value");
  args.Add(copy);
  InvokeMember(object, name, DISPATCH_PROPERTYPUT, args, nullptr);
}

void CallMethod(IDispatch* object, std::wstring_view name, DispatchArgs& args, Variant* result) {
  Variant ignored;
  Variant& target = result != nullptr ? *result : ignored;
  VariantClear(&target.Get());
  InvokeMember(object, name, DISPATCH_METHOD, args, &target.Get());
}

DispatchRef GetObject(IDispatch* object, std::wstring_view name) {
  DispatchArgs none;
  return GetObject(object, name, none);
}

DispatchRef GetObject(IDispatch* object, std::wstring_view name, DispatchArgs& args) {
  Variant value;
  GetProperty(object, name, args, value);
  DispatchRef found = ObjectOf(value.Get(), FromWide(name));
  if (!found) throw HostError("The host answered Nothing for " + FromWide(name));
  return found;
}

DispatchRef ObjectOf(const VARIANT& value, std::string_view what) {
  if (value.vt == VT_DISPATCH) return DispatchRef::Share(value.pdispVal);
  if (value.vt == (VT_DISPATCH | VT_BYREF) && value.ppdispVal != nullptr) return DispatchRef::Share(*value.ppdispVal);
  if (value.vt == VT_EMPTY || value.vt == VT_NULL) return DispatchRef();
  if (value.vt == VT_UNKNOWN && value.punkVal != nullptr) {
    IDispatch* object = nullptr;
    if (SUCCEEDED(value.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&object)))) {
      return DispatchRef(object);
    }
  }
  throw HostError(std::string(what) + " is not an object (variant type " + std::to_string(value.vt) + ")");
}

bool HasMember(IDispatch* object, std::wstring_view name) {
  if (object == nullptr) return false;
  std::wstring member(name);
  LPOLESTR names[] = {member.data()};
  DISPID id = DISPID_UNKNOWN;
  return SUCCEEDED(object->GetIDsOfNames(IID_NULL, names, 1, kHostLocale, &id));
}

bool VariantToBool(const VARIANT& value, std::string_view what) {
  Variant converted;
  HRESULT hr = VariantChangeTypeEx(&converted.Get(), const_cast<VARIANT*>(&value), kHostLocale, 0, VT_BOOL);
  if (FAILED(hr)) throw HostError(std::string(what) + " is not a Boolean (" + HresultText(hr) + ")");
  return converted.Get().boolVal != VARIANT_FALSE;
}

std::string VariantToText(const VARIANT& value, std::string_view what) {
  if (value.vt == VT_BSTR) return FromBstr(value.bstrVal);
  Variant converted;
  // A number becomes text with ".", whatever the user's language.
  HRESULT hr = VariantChangeTypeEx(&converted.Get(), const_cast<VARIANT*>(&value), kHostLocale, 0, VT_BSTR);
  if (FAILED(hr)) throw HostError(std::string(what) + " is not a text (" + HresultText(hr) + ")");
  return FromBstr(converted.Get().bstrVal);
}

double VariantToNumber(const VARIANT& value, std::string_view what) {
  if (value.vt == VT_R8) return value.dblVal;
  Variant converted;
  // Locale-neutral: a text such as "12.5" is not expected here, and a host number is already binary.
  HRESULT hr = VariantChangeTypeEx(&converted.Get(), const_cast<VARIANT*>(&value), LOCALE_INVARIANT, 0, VT_R8);
  if (FAILED(hr)) throw HostError(std::string(what) + " is not a number (" + HresultText(hr) + ")");
  return converted.Get().dblVal;
}

}  // namespace kestrel
