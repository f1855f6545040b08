// DialogView: the dialog procedure, the two-way sync with the presenter and the owner-drawn controls.
#include "dialog_view.h"

#include <commctrl.h>

#include "host/host_error.h"
#include "caption_band_paint.h"
#include "com/module.h"
#include "util/unicode.h"
#include "platform/wide_text.h"

namespace kestrel {
namespace {

constexpr int kHandCursor = 101;  // the module's hand pointer, over link labels

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

bool HasStyle(HWND window, LONG style) { return (GetWindowLongW(window, GWL_STYLE) & style) != 0; }

// The UTF-16 index of code point `caret` of the text.
int Utf16Index(const std::string& text, int caret) {
  if (caret <= 0) return 0;
  return static_cast<int>(Utf8ToUtf16(CodePointSubstr(text, 0, static_cast<size_t>(caret))).size());
}

}  // namespace

DialogView::DialogView(Presenter& presenter, int templateId, std::vector<ControlBinding> bindings,
                       std::function<void(int)> onResize)
    : presenter_(presenter), templateId_(templateId), bindings_(std::move(bindings)), onResize_(std::move(onResize)) {}

DialogView::~DialogView() {
  // Only the creating thread may destroy the window; at process exit the system has done it.
  if (window_ != nullptr && IsWindow(window_) && GetWindowThreadProcessId(window_, nullptr) == GetCurrentThreadId()) {
    DestroyWindow(window_);
  }
}

HWND DialogView::Window(HWND owner) {
  if (window_ != nullptr) return window_;
  INITCOMMONCONTROLSEX common = {sizeof common, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&common);
  window_ = CreateDialogParamW(ThisModule(), MAKEINTRESOURCEW(templateId_), owner, &DialogView::Procedure,
                               reinterpret_cast<LPARAM>(this));
  if (window_ == nullptr) {
    throw HostError(std::string("The dialog ") + presenter_.DialogName() + " cannot be created (error " +
                    std::to_string(GetLastError()) + ")");
  }
  toolTips_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, ThisModule(), nullptr);
  RECT client = {};
  GetClientRect(window_, &client);
  if (onResize_) onResize_(client.right - client.left);  // the form's first resize, before it shows
  Push();
  return window_;
}

void DialogView::RethrowFailure() {
  if (!failure_) return;
  std::exception_ptr failure = failure_;
  failure_ = nullptr;
  std::rethrow_exception(failure);
}

const ControlBinding* DialogView::Find(int id) const {
  for (const ControlBinding& b : bindings_) {
    if (b.id == id) return &b;
  }
  return nullptr;
}

const ControlBinding* DialogView::Find(HWND control) const {
  return control != nullptr && GetParent(control) == window_ ? Find(GetDlgCtrlID(control)) : nullptr;
}

bool DialogView::Shown(const ControlBinding& b) const {
  return b.control->visible && (b.container == nullptr || b.container->visible);
}

bool DialogView::Enabled(const ControlBinding& b) const {
  return b.control->enabled && (b.container == nullptr || b.container->enabled);
}

void DialogView::Pull() {
  for (const ControlBinding& b : bindings_) {
    HWND control = GetDlgItem(window_, b.id);
    if (control == nullptr) continue;
    switch (b.kind) {
      case ControlKind::Edit:
        b.control->text = FromWide(WindowText(control));
        break;
      case ControlKind::CheckBox:
        b.control->checked = SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
        break;
      case ControlKind::DropDownList: {
        b.control->listIndex = static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
        const auto& items = b.control->items;
        b.control->text = b.control->listIndex >= 0 && b.control->listIndex < static_cast<int>(items.size())
                              ? items[static_cast<size_t>(b.control->listIndex)]
                              : std::string();
        break;
      }
      default:
        break;
    }
  }
}

void DialogView::Push() {
  pushing_ = true;
  for (const ControlBinding& b : bindings_) PushOne(b);
  pushing_ = false;
}

void DialogView::PushOne(const ControlBinding& b) {
  HWND control = GetDlgItem(window_, b.id);
  if (control == nullptr) return;
  const Control& c = *b.control;
  const std::wstring text = ToWide(c.text);
  switch (b.kind) {
    case ControlKind::CaptionBand:
      if (captionShown_[b.id] != c.text) {
        captionShown_[b.id] = c.text;
        SetWindowTextW(control, text.c_str());  // for readers of the window; the band draws c.text
        InvalidateRect(control, nullptr, FALSE);
      }
      break;
    case ControlKind::Picture:
      break;
    case ControlKind::DropDownList: {
      auto shownItems = itemsShown_.find(b.id);
      if (shownItems == itemsShown_.end() || shownItems->second != c.items) {
        SendMessageW(control, CB_RESETCONTENT, 0, 0);
        for (const std::string& item : c.items) {
          std::wstring wide = ToWide(item);
          SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
        }
        itemsShown_[b.id] = c.items;
      }
      if (SendMessageW(control, CB_GETCURSEL, 0, 0) != c.listIndex) SendMessageW(control, CB_SETCURSEL, c.listIndex, 0);
      break;
    }
    default: {
      const bool changed = WindowText(control) != text;
      if (changed) SetWindowTextW(control, text.c_str());
      if (b.kind == ControlKind::CheckBox) {
        const WPARAM state = c.checked ? BST_CHECKED : BST_UNCHECKED;
        if (static_cast<WPARAM>(SendMessageW(control, BM_GETCHECK, 0, 0)) != state) {
          SendMessageW(control, BM_SETCHECK, state, 0);
        }
      }
      if (b.kind == ControlKind::Edit) {
        if (HasStyle(control, ES_READONLY) != c.readOnly) SendMessageW(control, EM_SETREADONLY, c.readOnly, 0);
        auto shown = caretShown_.find(b.id);
        if (changed || shown == caretShown_.end() || shown->second != c.caret) {
          const int at = Utf16Index(c.text, c.caret);
          SendMessageW(control, EM_SETSEL, at, at);
          SendMessageW(control, EM_SCROLLCARET, 0, 0);
          caretShown_[b.id] = c.caret;
        }
      }
      break;
    }
  }
  if ((IsWindowEnabled(control) != FALSE) != Enabled(b)) EnableWindow(control, Enabled(b));
  if (HasStyle(control, WS_VISIBLE) != Shown(b)) ShowWindow(control, Shown(b) ? SW_SHOWNA : SW_HIDE);
  PushToolTip(b, control);
  if (c.width > 0 && c.height > 0) {
    RECT now = {};
    GetWindowRect(control, &now);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&now), 2);
    if (now.left != c.left || now.top != c.top || now.right - now.left != c.width || now.bottom - now.top != c.height) {
      MoveWindow(control, c.left, c.top, c.width, c.height, TRUE);
    }
  }
}

void DialogView::PushToolTip(const ControlBinding& b, HWND control) {
  if (toolTips_ == nullptr) return;
  std::wstring tip = ToWide(b.control->toolTip);
  auto shown = toolTipShown_.find(b.id);
  if (shown != toolTipShown_.end() && shown->second == tip) return;
  TTTOOLINFOW tool = {};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;  // accepted by every version of the common controls
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = window_;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = tip.data();
  if (shown == toolTipShown_.end()) {
    if (!tip.empty()) SendMessageW(toolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  } else if (tip.empty()) {
    SendMessageW(toolTips_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  } else if (shown->second.empty()) {
    SendMessageW(toolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  } else {
    SendMessageW(toolTips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  toolTipShown_[b.id] = tip;
}

void DialogView::Event(const std::function<void()>& handler) {
  if (failure_) return;
  try {
    Pull();
    handler();
    Push();
  } catch (...) {
    failure_ = std::current_exception();
  }
}

void DialogView::Draw(const ControlBinding& b, const DRAWITEMSTRUCT& item) {
  if (b.kind == ControlKind::CaptionBand) {
    PaintCaptionBand(item.hDC, item.rcItem, b.control->text,
                     reinterpret_cast<HFONT>(SendMessageW(window_, WM_GETFONT, 0, 0)));
  } else if (b.kind == ControlKind::Picture && b.picture != nullptr) {
    PaintPicture(item.hDC, item.rcItem, b.picture);
  }
}

INT_PTR CALLBACK DialogView::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    reinterpret_cast<DialogView*>(lParam)->window_ = window;
    return TRUE;
  }
  auto* view = reinterpret_cast<DialogView*>(GetWindowLongPtrW(window, DWLP_USER));
  return view != nullptr ? view->Handle(message, wParam, lParam) : FALSE;
}

INT_PTR DialogView::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const ControlBinding* b = Find(LOWORD(wParam));
      if (b == nullptr || pushing_) return FALSE;
      const UINT code = HIWORD(wParam);
      if (code == BN_CLICKED && b->onClick) {  // STN_CLICKED is the same code
        Event(b->onClick);
        return TRUE;
      }
      if ((code == EN_CHANGE || code == CBN_SELCHANGE) && b->onChange) {
        Event(b->onChange);
        return TRUE;
      }
      return FALSE;
    }
    case WM_CLOSE:
      Event([this] { presenter_.OnCloseRequest(); });
      return TRUE;  // the window stays; the presenter has hidden itself
    case WM_SIZE:
      if (onResize_ && !pushing_) Event([this, lParam] { onResize_(LOWORD(lParam)); });
      return FALSE;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      const ControlBinding* b = Find(static_cast<int>(item->CtlID));
      if (b == nullptr) return FALSE;
      Draw(*b, *item);
      return TRUE;
    }
    case WM_SETCURSOR: {
      const ControlBinding* b = Find(reinterpret_cast<HWND>(wParam));
      if (b == nullptr || !b->control->handCursor) return FALSE;
      HCURSOR hand = LoadCursorW(ThisModule(), MAKEINTRESOURCEW(kHandCursor));
      if (hand == nullptr) return FALSE;
      SetCursor(hand);
      SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC: {
      // Link labels read as links.
      const ControlBinding* b = Find(reinterpret_cast<HWND>(lParam));
      if (b == nullptr || !b->control->handCursor || b->kind != ControlKind::Label) return FALSE;
      auto dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, RGB(0, 0, 204));
      SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    }
    default:
      return FALSE;
  }
}

}  // namespace kestrel
