// FakeDispatch: a late-bound object for the tests, whose named properties the tests set, read and fail.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cwchar>
#include <string>
#include <vector>

namespace kestrel::testing {

// Properties by name, found without regard to case as IDispatch finds them. Each call is logged
// ("get ScreenUpdating", "put ScreenUpdating=False"). A property set to fail answers
// DISP_E_EXCEPTION with the code and description in EXCEPINFO, as a host does. Lives on the
// test's stack: Release never deletes it, and References() shows what the code under test holds.
class FakeDispatch final : public IDispatch {
 public:
  FakeDispatch() = default;
  ~FakeDispatch() {
    for (Property& p : properties_) VariantClear(&p.value);
  }
  FakeDispatch(const FakeDispatch&) = delete;
  FakeDispatch& operator=(const FakeDispatch&) = delete;

  void SetBool(const std::wstring& name, bool value) {
    Property& p = Find(name, true);
    VariantClear(&p.value);
    p.value.vt = VT_BOOL;
    p.value.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  }
  void SetText(const std::wstring& name, const std::wstring& value) {
    Property& p = Find(name, true);
    VariantClear(&p.value);
    p.value.vt = VT_BSTR;
    p.value.bstrVal = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
  }
  void Fail(const std::wstring& name, HRESULT code, const std::wstring& description) {
    Property& p = Find(name, true);
    p.failure = code;
    p.description = description;
  }
  // The property's value as VBScript would print it ("True", "hdmStor"); "<none>" when unset.
  std::wstring Text(const std::wstring& name) {
    Property& p = Find(name, false);
    return &p == &missing_ ? L"<none>" : ToText(p.value);
  }
  const std::vector<std::wstring>& Log() const { return log_; }
  ULONG References() const { return references_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    for (size_t i = 0; i < properties_.size(); ++i) {
      if (_wcsicmp(properties_[i].name.c_str(), names[0]) == 0) {
        ids[0] = static_cast<DISPID>(i + 1);
        return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
      }
    }
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT*) override {
    if (id < 1 || static_cast<size_t>(id) > properties_.size()) return DISP_E_MEMBERNOTFOUND;
    Property& p = properties_[id - 1];
    if (flags & DISPATCH_PROPERTYPUT) {
      if (params->cArgs != 1 || params->cNamedArgs != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
        return DISP_E_PARAMNOTOPTIONAL;
      }
      log_.push_back(L"put " + p.name + L"=" + ToText(params->rgvarg[0]));
      if (FAILED(p.failure)) return Refuse(p, exception);
      VariantClear(&p.value);
      return VariantCopy(&p.value, &params->rgvarg[0]);
    }
    if (flags & DISPATCH_PROPERTYGET) {
      log_.push_back(L"get " + p.name);
      if (FAILED(p.failure)) return Refuse(p, exception);
      if (params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
      if (result == nullptr) return E_POINTER;
      VariantInit(result);
      return VariantCopy(result, &p.value);
    }
    return DISP_E_MEMBERNOTFOUND;
  }

 private:
  struct Property {
    std::wstring name;
    VARIANT value{};
    HRESULT failure = S_OK;
    std::wstring description;
  };

  Property& Find(const std::wstring& name, bool create) {
    for (Property& p : properties_) {
      if (_wcsicmp(p.name.c_str(), name.c_str()) == 0) return p;
    }
    if (!create) return missing_;
    properties_.push_back(Property{name, {}, S_OK, L""});
    VariantInit(&properties_.back().value);
    return properties_.back();
  }

  static HRESULT Refuse(const Property& p, EXCEPINFO* exception) {
    if (exception != nullptr) {
      *exception = EXCEPINFO{};
      exception->scode = p.failure;
      exception->bstrSource = SysAllocString(L"FakeHost");
      exception->bstrDescription = SysAllocString(p.description.c_str());
    }
    return DISP_E_EXCEPTION;
  }

  static std::wstring ToText(const VARIANT& value) {
    if (value.vt == VT_BOOL) return value.boolVal != VARIANT_FALSE ? L"True" : L"False";
    if (value.vt == VT_BSTR) return value.bstrVal != nullptr ? value.bstrVal : L"";
    return L"<vt " + std::to_wstring(value.vt) + L">";
  }

  std::vector<Property> properties_;
  Property missing_;
  std::vector<std::wstring> log_;
  ULONG references_ = 1;
};

}  // namespace kestrel::testing
