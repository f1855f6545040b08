// FunCadObject: the FunCad class, services to the CAD plug-in over the core's FunCad logic.
#include <windows.h>
#include <oleauto.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "host/clipboard.h"
#include "host/host_error.h"
#include "automation_object.h"
#include "automation_objects.h"
#include "cadplugin/fun_cad.h"
#include "cadplugin/polyline_order.h"
#include "kestrel_h.h"
#include "platform/wide_text.h"
#include "server_context.h"

namespace kestrel {
namespace {

// The clipboard as the CAD plug-in fills it: opened for an owner window (or none), emptied, then
// the text twice, as CF_TEXT in the system's ANSI code page and as CF_UNICODETEXT, each in a
// movable zero-initialised block one terminator longer than the text. SetText fails (HostError)
// exactly when the CF_UNICODETEXT block was refused.
class CadClipboard final : public Clipboard {
 public:
  explicit CadClipboard(HWND owner) : owner_(owner) {}
  ~CadClipboard() override {
    if (open_) CloseClipboard();
  }

  std::optional<std::string> GetText() override { return std::nullopt; }
  void Clear() override {
    if (!open_) {
      if (!OpenClipboard(owner_)) throw HostError("the clipboard cannot be opened");
      open_ = true;
    }
    EmptyClipboard();
  }
  void SetText(std::string_view text) override {
    if (!open_) Clear();
    const std::wstring wide = ToWide(text);
    const int ansiBytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                              nullptr, nullptr);
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, ansiBytes + 1)) {
      if (void* bytes = GlobalLock(block)) {
        WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), static_cast<char*>(bytes),
                            ansiBytes, nullptr, nullptr);
        GlobalUnlock(block);
      }
      if (SetClipboardData(CF_TEXT, block) == nullptr) GlobalFree(block);
    }
    const size_t wideBytes = wide.size() * sizeof(wchar_t);
    bool placed = false;
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, wideBytes + 2)) {
      if (void* bytes = GlobalLock(block)) {
        memcpy(bytes, wide.data(), wideBytes);
        GlobalUnlock(block);
      }
      placed = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
      if (!placed) GlobalFree(block);
    }
    CloseClipboard();
    open_ = false;
    if (!placed) throw HostError("the clipboard refused the text");
  }

 private:
  HWND owner_;
  bool open_ = false;
};

HWND WindowOf(LONG handle) { return reinterpret_cast<HWND>(static_cast<LONG_PTR>(handle)); }

VARIANT* Target(VARIANT* v) {
  while (v != nullptr && V_VT(v) == (VT_BYREF | VT_VARIANT)) v = V_VARIANTREF(v);
  return v;
}

// The SAFEARRAY a VARIANT holds by value or by reference; null when it holds none.
SAFEARRAY* ArrayOf(VARIANT* v) {
  v = Target(v);
  if (v == nullptr || (V_VT(v) & VT_ARRAY) == 0) return nullptr;
  return (V_VT(v) & VT_BYREF) ? *V_ARRAYREF(v) : V_ARRAY(v);
}

// One polyline element: a one-dimensional array of numbers (variants or doubles); nothing for
// anything else.
PolylineItem PolylineOf(VARIANT* element) {
  SAFEARRAY* array = ArrayOf(element);
  if (array == nullptr || SafeArrayGetDim(array) != 1) return std::nullopt;
  LONG low = 0, high = -1;
  SafeArrayGetLBound(array, 1, &low);
  SafeArrayGetUBound(array, 1, &high);
  VARTYPE type = VT_EMPTY;
  SafeArrayGetVartype(array, &type);
  Polyline line;
  for (LONG i = low; i <= high; ++i) {
    VARIANT item;
    VariantInit(&item);
    if (type == VT_VARIANT) {
      if (FAILED(SafeArrayGetElement(array, &i, &item))) return std::nullopt;
    } else {
      double number = 0;
      if (type != VT_R8 || FAILED(SafeArrayGetElement(array, &i, &number))) return std::nullopt;
      V_VT(&item) = VT_R8;
      V_R8(&item) = number;
    }
    VARIANT number;
    VariantInit(&number);
    const bool numeric = V_VT(&item) != VT_BSTR && V_VT(&item) != VT_EMPTY &&
                         SUCCEEDED(VariantChangeType(&number, &item, 0, VT_R8));
    VariantClear(&item);
    if (!numeric) return std::nullopt;
    line.push_back(V_R8(&number));
  }
  return line;
}

// A new one-dimensional array of variant numbers from lower bound `low`, in a VARIANT.
VARIANT PolylineVariant(const Polyline& line, LONG low) {
  SAFEARRAYBOUND bound{static_cast<ULONG>(line.size()), low};
  SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 1, &bound);
  if (array == nullptr) throw std::bad_alloc();
  for (size_t k = 0; k < line.size(); ++k) {
    VARIANT number;
    VariantInit(&number);
    V_VT(&number) = VT_R8;
    V_R8(&number) = line[k];
    LONG index = low + static_cast<LONG>(k);
    SafeArrayPutElement(array, &index, &number);
  }
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(&v) = array;
  return v;
}

class FunCadObject final : public AutomationObject<_FunCad> {
 public:
  explicit FunCadObject(ServerContext& context) : context_(context), server_(context) {}

  // Dlg and Speed are made on their first read, so that a caller can use them at once; setting
  // Nothing empties them until the next read.
  HRESULT STDMETHODCALLTYPE get_Dlg(_OpenSaveDlg** dialog) override { return GetPart(dlg_, dialog, CreateOpenSaveDlgObject); }
  HRESULT STDMETHODCALLTYPE putref_Dlg(_OpenSaveDlg* dialog) override {
    return Barrier([&] {
      dlg_.Assign(dialog);
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_Speed(_cSpeedString** builder) override {
    return GetPart(speed_, builder, CreateSpeedStringObject);
  }
  HRESULT STDMETHODCALLTYPE putref_Speed(_cSpeedString* builder) override {
    return Barrier([&] {
      speed_.Assign(builder);
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE FunClipboardSetText(LONG hWnd, BSTR sText, VARIANT_BOOL* done) override {
    return Barrier([&] {
      if (done == nullptr) return E_POINTER;
      CadClipboard clipboard(WindowOf(hWnd));
      *done = kestrel::FunClipboardSetText(clipboard, FromBstr(sText)) ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE GotoWeb(BSTR Name) override {
    return Barrier([&] {
      kestrel::GotoWeb(FromBstr(Name), context_.shell);
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE FWJ(double X1, double Y1, double X2, double Y2, VARIANT* model, VARIANT* result) override {
    HRESULT hr = Functions();
    return FAILED(hr) ? hr : functions_->FWJ(X1, Y1, X2, Y2, model, result);
  }
  HRESULT STDMETHODCALLTYPE JL(double X1, double Y1, double X2, double Y2, double* result) override {
    HRESULT hr = Functions();
    return FAILED(hr) ? hr : functions_->JL(X1, Y1, X2, Y2, result);
  }

  HRESULT STDMETHODCALLTYPE ClipboardSetText(LONG, BSTR sText, LONG* result) override {
    return Barrier([&] {
      if (result == nullptr) return E_POINTER;
      CadClipboard clipboard(nullptr);
      const std::string text = FromBstr(sText);
      *result = kestrel::ClipboardSetText(clipboard, text);
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE FunGetNumber(BSTR strSrc, double* result) override {
    return Barrier([&] {
      if (result == nullptr) return E_POINTER;
      *result = kestrel::FunGetNumber(FromBstr(strSrc));
      return S_OK;
    });
  }

  // The polylines are read out of the caller's array, ordered by the core, and written back in
  // place (each a new array of variant numbers with its old lower bound); an element that is not
  // an array of numbers is left as it was.
  HRESULT STDMETHODCALLTYPE StorArr(VARIANT* Arr1, LONG* result) override {
    return Barrier([&] {
      if (result == nullptr) return E_POINTER;
      *result = 0;
      SAFEARRAY* outer = ArrayOf(Arr1);
      VARTYPE type = VT_EMPTY;
      if (outer == nullptr || SafeArrayGetDim(outer) != 1 || FAILED(SafeArrayGetVartype(outer, &type)) ||
          type != VT_VARIANT) {
        return S_OK;
      }
      LONG low = 0, high = -1;
      SafeArrayGetLBound(outer, 1, &low);
      SafeArrayGetUBound(outer, 1, &high);
      std::vector<PolylineItem> lines;
      std::vector<LONG> lowerBounds;
      for (LONG i = low; i <= high; ++i) {
        VARIANT element;
        VariantInit(&element);
        SafeArrayGetElement(outer, &i, &element);
        lines.push_back(PolylineOf(&element));
        SAFEARRAY* inner = ArrayOf(&element);
        LONG innerLow = 0;
        if (inner != nullptr) SafeArrayGetLBound(inner, 1, &innerLow);
        lowerBounds.push_back(innerLow);
        VariantClear(&element);
      }
      *result = kestrel::StorArr(lines);
      for (size_t k = 0; k < lines.size(); ++k) {
        if (!lines[k]) continue;
        VARIANT element = PolylineVariant(*lines[k], lowerBounds[k]);
        LONG index = low + static_cast<LONG>(k);
        HRESULT hr = SafeArrayPutElement(outer, &index, &element);
        VariantClear(&element);
        if (FAILED(hr)) return hr;
      }
      return S_OK;
    });
  }

 private:
  template <class Part>
  HRESULT GetPart(ComPtr<Part>& part, Part** out, HRESULT (*create)(ServerContext&, REFIID, void**)) {
    return Barrier([&] {
      if (out == nullptr) return E_POINTER;
      *out = nullptr;
      if (!part) {
        HRESULT hr = create(context_, __uuidof(Part), part.OutVoid());
        if (FAILED(hr)) return hr;
      }
      part->AddRef();
      *out = part.Get();
      return S_OK;
    });
  }

  // The private ClsFunction, made on the first FWJ or JL.
  HRESULT Functions() {
    return Barrier([&] { return functions_ ? S_OK : CreateFunctionObject(context_, IID__ClsFunction, functions_.OutVoid()); });
  }

  ServerContext& context_;
  ServerReference server_;
  ComPtr<_OpenSaveDlg> dlg_;
  ComPtr<_cSpeedString> speed_;
  ComPtr<_ClsFunction> functions_;
};

}  // namespace

HRESULT CreateFunCadObject(ServerContext& context, REFIID iid, void** object) {
  return CreateAutomationObject<FunCadObject>(iid, object, context);
}

}  // namespace kestrel
