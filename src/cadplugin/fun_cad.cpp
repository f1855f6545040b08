// FunCad's services: FunGetNumber, clipboard text through the Clipboard port, GotoWeb.
#include "cadplugin/fun_cad.h"

#include "host/clipboard.h"
#include "host/host_error.h"
#include "host/shell.h"
#include "util/number_text.h"

namespace kestrel {

double FunGetNumber(std::string_view text) {
  // Digits and "-" are single bytes in UTF-8, so byte positions serve as character positions.
  const size_t digit = text.find_first_of("0123456789");
  if (digit == std::string_view::npos) return 0;
  const size_t start = digit > 0 && text[digit - 1] == '-' ? digit - 1 : digit;
  return LeadingNumber(text.substr(start));
}

bool FunClipboardSetText(Clipboard& clipboard, std::string_view text) {
  try {
    clipboard.Clear();
    clipboard.SetText(text);
    return true;
  } catch (const HostError&) {
    return false;
  }
}

int ClipboardSetText(Clipboard& clipboard, std::optional<std::string_view> text) {
  if (!text || text->empty()) {
    FunClipboardSetText(clipboard, "");
    return 0;
  }
  return FunClipboardSetText(clipboard, *text) ? 1 : 0;
}

void GotoWeb(std::string_view name, Shell& shell) { GoWebPage(name, shell); }

}  // namespace kestrel
