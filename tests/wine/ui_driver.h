// UiDriver: plays a user on another thread against the windows of the test's user-interface thread,
// by finding windows and sending them messages; and asks the harness for screenshots.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kestrel::testing {

class UiDriver {
 public:
  // How long a wait for a window or a file gives up after: far above the second or two of any
  // normal wait, even on a loaded machine.
  static constexpr double kGuardSeconds = 120;

  // Checks that fail are collected here and reported by the test's own thread.
  void Check(bool ok, const std::string& what) {
    if (ok) return;
    std::lock_guard<std::mutex> guard(lock_);
    failures_.push_back(what);
  }
  std::vector<std::string> Failures() {
    std::lock_guard<std::mutex> guard(lock_);
    return failures_;
  }

  // Polls until `find` answers a window; after `seconds`, a guard far above any normal wait, gives
  // up with nothing (so that what never comes fails the test instead of hanging it).
  static HWND WaitFor(const std::function<HWND()>& find, double seconds = kGuardSeconds) {
    auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < until) {
      if (HWND found = find()) return found;
      Sleep(50);
    }
    return nullptr;
  }
  // A visible dialog (#32770) of this process with this title; of any other process when `others`.
  static HWND FindDialog(const std::wstring& title, bool others = false) {
    Search search{&title, others};
    EnumWindows(&UiDriver::Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  // A visible dialog of this process that has a child showing `text` (a folder picker shows its
  // prompt so).
  static HWND FindDialogShowing(const std::wstring& text) {
    struct Search {
      const std::wstring* text;
      HWND found = nullptr;
    } search{&text};
    EnumWindows(
        [](HWND window, LPARAM data) WINAPI -> BOOL {
          auto* s = reinterpret_cast<Search*>(data);
          DWORD process = 0;
          GetWindowThreadProcessId(window, &process);
          wchar_t className[64] = {};
          GetClassNameW(window, className, 64);
          if (process != GetCurrentProcessId() || !IsWindowVisible(window) || std::wstring(className) != L"#32770")
            return TRUE;
          for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
            if (Text(child) == *s->text) {
              s->found = window;
              return FALSE;
            }
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  // Waits until the window is gone or hidden.
  static bool WaitHidden(HWND window, double seconds = kGuardSeconds) {
    return WaitFor([&]() -> HWND { return IsWindow(window) && IsWindowVisible(window) ? nullptr : window; }, seconds) !=
           nullptr;
  }
  static std::wstring Text(HWND window) {
    wchar_t text[1024] = {};
    // WM_GETTEXT crosses threads safely, as a window of another thread is read.
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
    return text;
  }
  static std::wstring ItemText(HWND dialog, int id) { return Text(GetDlgItem(dialog, id)); }
  static void SetItemText(HWND dialog, int id, const std::wstring& text) {
    SendMessageTimeoutW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
  }
  // A click the way the button itself takes one (check boxes toggle); posted, since the click may
  // open a modal message box that would block a sent message.
  static void Click(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
  // A click on a SS_NOTIFY static: its notification to the dialog.
  static void ClickStatic(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, STN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  }
  static bool Checked(HWND dialog, int id) {
    DWORD_PTR state = 0;
    SendMessageTimeoutW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
    return state == BST_CHECKED;
  }
  // Lets the thread of `window` (one of this process) handle everything sent and posted to it
  // before: a marker posted behind those messages comes out of its queue after them, and is waited
  // for.
  static void Settle(HWND window) {
    if (!Subclass(window)) return;
    HANDLE handled = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (PostMessageW(window, Markers().settle, 0, reinterpret_cast<LPARAM>(handled))) {
      // A window that goes meanwhile takes the marker with it: its end is the event then.
      WaitFor([&]() -> HWND {
        return WaitForSingleObject(handled, 20) == WAIT_OBJECT_0 || !IsWindow(window) ? window : nullptr;
      });
    }
    CloseHandle(handled);
  }
  // Runs `work` on the thread of `window` (one of this process) within one message, so that
  // nothing else that thread handles comes between its steps; what `work` answered.
  static LRESULT OnWindowThread(HWND window, const std::function<LRESULT()>& work) {
    DWORD_PTR result = 0;
    if (Subclass(window))
      SendMessageTimeoutW(window, Markers().run, 0, reinterpret_cast<LPARAM>(&work), SMTO_NORMAL,
                          static_cast<UINT>(kGuardSeconds * 1000), &result);
    return static_cast<LRESULT>(result);
  }
  // The pointer that `dialog` sets over its control `id`: its answer to WM_SETCURSOR, read on its
  // own thread in the same message (the system's pointer also follows the display's mouse).
  static HCURSOR PointerOver(HWND dialog, int id) {
    return reinterpret_cast<HCURSOR>(OnWindowThread(dialog, [&]() -> LRESULT {
      SendMessageW(dialog, WM_SETCURSOR, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
      return reinterpret_cast<LRESULT>(GetCursor());
    }));
  }
  // The text of a tool of a tool-tip control owned by `dialog`, for the control `tool`.
  static std::wstring ToolTip(HWND dialog, HWND tool) {
    HWND tips = nullptr;
    while ((tips = FindWindowExW(nullptr, tips, TOOLTIPS_CLASSW, nullptr)) != nullptr) {
      if (GetWindow(tips, GW_OWNER) == dialog) break;
    }
    if (tips == nullptr) return L"<no tool tips>";
    wchar_t text[512] = {};
    TTTOOLINFOW info = {};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = dialog;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = text;
    SendMessageW(tips, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&info));
    return text;
  }

  // Asks the harness for a screenshot of the whole screen: writes NAME.request into the folder
  // named by KESTREL_SCREENSHOT_DIR and waits for NAME.done. Nothing without the variable.
  void Screenshot(const std::wstring& name) {
    wchar_t folder[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"KESTREL_SCREENSHOT_DIR", folder, MAX_PATH) == 0) return;
    const std::wstring base = std::wstring(folder) + L"\\" + name;
    DeleteFileW((base + L".done").c_str());
    HANDLE request = CreateFileW((base + L".request").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(request);
    bool done = WaitFor([&]() -> HWND {
                  return GetFileAttributesW((base + L".done").c_str()) != INVALID_FILE_ATTRIBUTES
                             ? reinterpret_cast<HWND>(1)
                             : nullptr;
                }) != nullptr;
    Check(done, "the harness took no screenshot");
  }

 private:
  struct Search {
    const std::wstring* title;
    bool others = false;
    HWND found = nullptr;
  };
  static BOOL CALLBACK Visit(HWND window, LPARAM data) {
    auto* s = reinterpret_cast<Search*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if ((process == GetCurrentProcessId()) != s->others && IsWindowVisible(window) && std::wstring(className) == L"#32770" &&
        Text(window) == *s->title) {
      s->found = window;
      return FALSE;
    }
    return TRUE;
  }

  static constexpr const wchar_t* kPreviousProcedure = L"KestrelPreviousProcedure";

  struct MarkerMessages {
    UINT settle = RegisterWindowMessageW(L"KestrelSettleMarker");  // lParam: the event to set
    UINT run = RegisterWindowMessageW(L"KestrelRunOnThread");      // lParam: the work to run
  };
  static const MarkerMessages& Markers() {
    static const MarkerMessages markers;
    return markers;
  }
  // Subclasses the window once so that it answers the marker messages; false when it is gone.
  static bool Subclass(HWND window) {
    if (!IsWindow(window)) return false;
    if (GetPropW(window, kPreviousProcedure) != nullptr) return true;
    SetPropW(window, kPreviousProcedure, reinterpret_cast<HANDLE>(GetWindowLongPtrW(window, GWLP_WNDPROC)));
    SetWindowLongPtrW(window, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) WINAPI -> LRESULT {
                        if (m == Markers().settle) {
                          SetEvent(reinterpret_cast<HANDLE>(lp));
                          return 0;
                        }
                        if (m == Markers().run) return (*reinterpret_cast<const std::function<LRESULT()>*>(lp))();
                        auto previous = reinterpret_cast<WNDPROC>(GetPropW(w, kPreviousProcedure));
                        return CallWindowProcW(previous, w, m, wp, lp);
                      }));
    return true;
  }

  std::mutex lock_;
  std::vector<std::string> failures_;
};

}  // namespace kestrel::testing
