// LoaderObject (Cls64) creates objects by ProgID; ServerHeldObject hands them out under a server reference.
#include "loader_object.h"

#include <atomic>
#include <new>
#include <string>

#include "com/automation_object.h"
#include "com/com_error.h"
#include "excel/dispatch_call.h"
#include "hollin_h.h"
#include "interface_forwarder.h"
#include "server_lifetime.h"
#include "platform/wide_text.h"

namespace kestrel {
namespace {

// The system's text for a failure code, without its line break; empty when it has none.
std::string SystemText(HRESULT hr) {
  wchar_t* text = nullptr;
  const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  DWORD length = FormatMessageW(flags, nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  std::wstring message(text == nullptr ? L"" : text, length);
  if (text != nullptr) LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
    message.pop_back();
  }
  return FromWide(message);
}

// The dual interface that an object's type information describes (for FunCad, _FunCad), when
// its vtable fits the forwarder; IID_NULL for none.
IID DualInterfaceOf(IDispatch* object) {
  IID found = IID_NULL;
  ITypeInfo* info = nullptr;
  if (FAILED(object->GetTypeInfo(0, 0, &info)) || info == nullptr) return found;
  // A dual interface's type information comes as its dispatch half or as its vtable half.
  ITypeInfo* vtableHalf = nullptr;
  HREFTYPE ref = 0;
  TYPEATTR* attributes = nullptr;
  if (SUCCEEDED(info->GetTypeAttr(&attributes))) {
    const bool dual = (attributes->wTypeFlags & TYPEFLAG_FDUAL) != 0;
    if (attributes->typekind == TKIND_INTERFACE && dual) {
      vtableHalf = info;
      vtableHalf->AddRef();
    } else if (attributes->typekind == TKIND_DISPATCH && dual && SUCCEEDED(info->GetRefTypeOfImplType(-1, &ref))) {
      info->GetRefTypeInfo(ref, &vtableHalf);
    }
    info->ReleaseTypeAttr(attributes);
  }
  info->Release();
  if (vtableHalf == nullptr) return found;
  if (SUCCEEDED(vtableHalf->GetTypeAttr(&attributes))) {
    if (attributes->cbSizeVft / sizeof(void*) <= kMaxForwardedSlots) found = attributes->guid;
    vtableHalf->ReleaseTypeAttr(attributes);
  }
  vtableHalf->Release();
  return found;
}

IDispatch* Held(IDispatch* object);

// An object made in this process as the client receives it, holding the server while the client
// holds it: COM releases it when the client releases its proxy. Its IDispatch forwards call for
// call, for late-bound clients (scripts, the plug-in's macros), and hands out the objects that
// calls return (FunCad's Speed) held alike; its dual interface (FunCad's _FunCad) forwards slot
// for slot, for clients bound early to the inner object's type library.
class ServerHeldObject final : public IDispatch, public ISupportErrorInfo {
 public:
  explicit ServerHeldObject(IDispatch* inner) : inner_(inner), dualId_(DualInterfaceOf(inner)) {
    inner_->AddRef();
    if (!IsEqualIID(dualId_, IID_NULL)) {
      inner_->QueryInterface(dualId_, reinterpret_cast<void**>(&innerDual_));
      if (innerDual_ != nullptr) dual_ = new InterfaceForwarder(static_cast<IDispatch*>(this), innerDual_);
    }
    HoldServer();
  }
  ~ServerHeldObject() {
    delete dual_;
    if (innerDual_ != nullptr) innerDual_->Release();
    inner_->Release();
    ReleaseServer();
  }
  ServerHeldObject(const ServerHeldObject&) = delete;
  ServerHeldObject& operator=(const ServerHeldObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
      *object = static_cast<IDispatch*>(this);
    } else if (IsEqualIID(iid, IID_ISupportErrorInfo)) {
      *object = static_cast<ISupportErrorInfo*>(this);
    } else if (dual_ != nullptr && IsEqualIID(iid, dualId_)) {
      *object = dual_->Pointer();
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return inner_->GetTypeInfoCount(count); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
    return inner_->GetTypeInfo(index, locale, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override {
    return inner_->GetIDsOfNames(iid, names, count, locale, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override {
    HRESULT hr = inner_->Invoke(member, iid, locale, flags, params, result, exception, argumentError);
    if (SUCCEEDED(hr) && result != nullptr && V_VT(result) == VT_DISPATCH && V_DISPATCH(result) != nullptr) {
      IDispatch* returned = V_DISPATCH(result);
      V_DISPATCH(result) = Held(returned);
      returned->Release();
      if (V_DISPATCH(result) == nullptr) {
        V_VT(result) = VT_EMPTY;
        return E_OUTOFMEMORY;
      }
    }
    return hr;
  }

  // The inner object's errors reach the client through Invoke's exception information, and
  // through the error info that the dual interface's methods set.
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
    return IsEqualIID(iid, IID_IDispatch) || (dual_ != nullptr && IsEqualIID(iid, dualId_)) ? S_OK : S_FALSE;
  }

 private:
  IDispatch* inner_;
  const IID dualId_;
  IUnknown* innerDual_ = nullptr;
  InterfaceForwarder* dual_ = nullptr;
  std::atomic<ULONG> references_{1};
};

// The object wrapped for the client (a new reference), or null when memory runs out.
IDispatch* Held(IDispatch* object) {
  try {
    return new ServerHeldObject(object);
  } catch (...) {
    return nullptr;
  }
}

class LoaderObject final : public AutomationObject<_Cls64> {
 public:
  LoaderObject() { HoldServer(); }
  ~LoaderObject() override { ReleaseServer(); }

  HRESULT STDMETHODCALLTYPE LoadDll(VARIANT* ProID, IDispatch** object) override {
    return Barrier([&] {
      if (object == nullptr || ProID == nullptr) return E_POINTER;
      *object = nullptr;
      *object = CreateHeldObject(ToWide(VariantToText(*ProID, "ProID")));
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE LoadFcad(IDispatch** object) override { return Load(L"Kestrel.FunCad", object); }
  HRESULT STDMETHODCALLTYPE LoadIni(IDispatch** object) override { return Load(L"Kestrel.Ini", object); }

 private:
  HRESULT Load(const wchar_t* progId, IDispatch** object) {
    return Barrier([&] {
      if (object == nullptr) return E_POINTER;
      *object = nullptr;
      *object = CreateHeldObject(progId);
      return S_OK;
    });
  }
};

}  // namespace

IDispatch* CreateHeldObject(const std::wstring& progId) {
  CLSID clsid;
  HRESULT hr = CLSIDFromProgID(progId.c_str(), &clsid);
  IDispatch* created = nullptr;
  if (SUCCEEDED(hr)) {
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IDispatch, reinterpret_cast<void**>(&created));
  }
  if (FAILED(hr)) {
    std::string reason = SystemText(hr);
    if (reason.empty()) reason = "cannot be created (" + HresultText(hr) + ")";
    throw ComError(hr, FromWide(progId) + ": " + reason);
  }
  // The wrapper takes its own reference; the one from the creation is released here.
  IDispatch* held = Held(created);
  created->Release();
  if (held == nullptr) throw std::bad_alloc();
  return held;
}

HRESULT CreateLoaderObject(REFIID iid, void** object) { return CreateAutomationObject<LoaderObject>(iid, object); }

}  // namespace kestrel
