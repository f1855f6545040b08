// OpenSaveDlgObject: the OpenSaveDlg class on the platform's folder picker and file dialogs.
#include <windows.h>
#include <commdlg.h>

#include <string>

#include "automation_object.h"
#include "automation_objects.h"
#include "platform/folder_picker.h"
#include "kestrel_h.h"
#include "server_context.h"

namespace kestrel {
namespace {

std::wstring WideOf(BSTR text) { return text == nullptr ? std::wstring() : std::wstring(text, SysStringLen(text)); }

HRESULT Put(const std::wstring& text, BSTR* out) {
  if (out == nullptr) return E_POINTER;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

// The text of a buffer up to its terminating NUL, without the blanks around it.
std::wstring UpToNul(const wchar_t* buffer) {
  std::wstring text(buffer);
  const size_t first = text.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return std::wstring();
  return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

HWND WindowOf(VARIANT* handle) {
  VARIANT number;
  VariantInit(&number);
  if (handle == nullptr || FAILED(VariantChangeType(&number, handle, 0, VT_I4))) return nullptr;
  return reinterpret_cast<HWND>(static_cast<LONG_PTR>(V_I4(&number)));
}

class OpenSaveDlgObject final : public AutomationObject<_OpenSaveDlg> {
 public:
  explicit OpenSaveDlgObject(ServerContext& context) : server_(context) {}

  HRESULT STDMETHODCALLTYPE get_Filter(BSTR* value) override { return Put(filter_, value); }
  HRESULT STDMETHODCALLTYPE put_Filter(BSTR value) override { return Set(filter_, value); }
  HRESULT STDMETHODCALLTYPE get_Flags(enuDlgFlgs* value) override {
    if (value == nullptr) return E_POINTER;
    *value = static_cast<enuDlgFlgs>(flags_);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_Flags(enuDlgFlgs value) override {
    flags_ = static_cast<DWORD>(value);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_InitDir(BSTR* value) override { return Put(initDir_, value); }
  HRESULT STDMETHODCALLTYPE put_InitDir(BSTR value) override { return Set(initDir_, value); }
  HRESULT STDMETHODCALLTYPE get_DialogTitle(BSTR* value) override { return Put(dialogTitle_, value); }
  HRESULT STDMETHODCALLTYPE put_DialogTitle(BSTR value) override { return Set(dialogTitle_, value); }
  HRESULT STDMETHODCALLTYPE get_FileTitle(BSTR* value) override { return Put(fileTitle_, value); }
  HRESULT STDMETHODCALLTYPE put_FileTitle(BSTR value) override { return Set(fileTitle_, value); }
  HRESULT STDMETHODCALLTYPE get_FileName(BSTR* value) override { return Put(fileName_, value); }
  HRESULT STDMETHODCALLTYPE put_FileName(BSTR value) override { return Set(fileName_, value); }
  HRESULT STDMETHODCALLTYPE get_DefaultExt(BSTR* value) override { return Put(defaultExt_, value); }
  HRESULT STDMETHODCALLTYPE put_DefaultExt(BSTR value) override { return Set(defaultExt_, value); }

  // The folder picker: file-system folders only, from the desktop; "" when cancelled.
  HRESULT STDMETHODCALLTYPE GetFolder(LONG hWnd, BSTR* folder) override {
    return Barrier([&] {
      if (folder == nullptr) return E_POINTER;
      const std::wstring chosen = PickFolder(reinterpret_cast<HWND>(static_cast<LONG_PTR>(hWnd)));
      return Put(chosen, folder);
    });
  }

  HRESULT STDMETHODCALLTYPE ShowOpen(VARIANT* hWnd, VARIANT_BOOL* confirmed) override {
    return Show(hWnd, false, confirmed);
  }
  HRESULT STDMETHODCALLTYPE ShowSave(VARIANT* hWnd, VARIANT_BOOL* confirmed) override {
    return Show(hWnd, true, confirmed);
  }

 private:
  HRESULT Set(std::wstring& member, BSTR value) {
    return Barrier([&] {
      member = WideOf(value);
      return S_OK;
    });
  }

  // Both file dialogs: the filter with every "|" turned into NUL, name and title buffers of 255
  // characters, the title "打开" or "保存" when DialogTitle is empty. FileName and FileTitle change
  // only when the user confirms; DialogTitle serves one dialog only.
  HRESULT Show(VARIANT* hWnd, bool save, VARIANT_BOOL* confirmed) {
    return Barrier([&] {
      if (confirmed == nullptr) return E_POINTER;
      std::wstring filter = filter_ + L'\0';
      for (wchar_t& c : filter) {
        if (c == L'|') c = L'\0';
      }
      wchar_t file[256] = {};
      wchar_t title[256] = {};
      fileName_.copy(file, 254);
      const std::wstring dialogTitle = !dialogTitle_.empty() ? dialogTitle_ : save ? L"保存" : L"打开";
      OPENFILENAMEW request = {};
      request.lStructSize = sizeof request;
      request.hwndOwner = WindowOf(hWnd);
      request.lpstrFilter = filter_.empty() ? nullptr : filter.c_str();
      request.lpstrFile = file;
      request.nMaxFile = 255;
      request.lpstrFileTitle = title;
      request.nMaxFileTitle = 255;
      request.lpstrInitialDir = initDir_.empty() ? nullptr : initDir_.c_str();
      request.lpstrTitle = dialogTitle.c_str();
      request.Flags = flags_;
      if (save) request.lpstrDefExt = defaultExt_.empty() ? nullptr : defaultExt_.c_str();
      const BOOL ok = save ? GetSaveFileNameW(&request) : GetOpenFileNameW(&request);
      if (ok) {
        fileName_ = UpToNul(file);
        fileTitle_ = UpToNul(title);
      }
      dialogTitle_.clear();
      *confirmed = ok ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    });
  }

  ServerReference server_;
  std::wstring filter_, initDir_, dialogTitle_, fileTitle_, fileName_, defaultExt_;
  DWORD flags_ = 0;
};

}  // namespace

HRESULT CreateOpenSaveDlgObject(ServerContext& context, REFIID iid, void** object) {
  return CreateAutomationObject<OpenSaveDlgObject>(iid, object, context);
}

}  // namespace kestrel
