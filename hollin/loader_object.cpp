// LoaderObject (Cls64) creates objects by ProgID; the library's hold the server themselves,
// ServerHeldObject hands out another's under a server reference.
#include "loader_object.h"

#include <atomic>
#include <new>
#include <string>

#include "com/automation_object.h"
#include "com/com_error.h"
#include "excel/dispatch_call.h"
#include "hollin_h.h"
#include "registration/registration.h"
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

IDispatch* Held(IDispatch* object);

// Another's object made in this process as the client receives it, holding the server while the
// client holds it: COM releases it when the client releases its proxy. Its IDispatch forwards call
// for call, for late-bound clients, and hands out the objects that calls return held alike.
class ServerHeldObject final : public IDispatch, public ISupportErrorInfo {
 public:
  explicit ServerHeldObject(IDispatch* inner) : inner_(inner) {
    inner_->AddRef();
    HoldServer();
  }
  ~ServerHeldObject() {
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

  // The inner object's errors reach the client through Invoke's exception information.
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
    return IsEqualIID(iid, IID_IDispatch) ? S_OK : S_FALSE;
  }

 private:
  IDispatch* inner_;
  std::atomic<ULONG> references_{1};
};

// Whether objects of clsid are the library's (made in this process, holding the server themselves).
bool LibraryObject(REFCLSID clsid) {
  wchar_t text[40] = {};
  if (StringFromGUID2(clsid, text, 40) == 0) return false;
  const ComClass* row = FindLibraryClass(FromWide(text));
  return row != nullptr && row->server == ServerKind::InProcess;
}

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
  // The library's object holds the server itself, and answers its own interfaces to clients bound
  // early to them. Another's is wrapped: the wrapper takes its own reference; the one from the
  // creation is released here.
  if (LibraryObject(clsid)) return created;
  IDispatch* held = Held(created);
  created->Release();
  if (held == nullptr) throw std::bad_alloc();
  return held;
}

HRESULT CreateLoaderObject(REFIID iid, void** object) { return CreateAutomationObject<LoaderObject>(iid, object); }

}  // namespace kestrel
