// UTF-8 <-> UTF-16 at the Win32 and COM edge, through the core's conversion module.
#include "wide_text.h"

#include <oleauto.h>

#include <new>

#include "util/unicode.h"

namespace kestrel {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 code units");

std::wstring ToWide(std::string_view utf8) {
  std::u16string units = Utf8ToUtf16(utf8);
  return std::wstring(reinterpret_cast<const wchar_t*>(units.data()), units.size());
}

std::string FromWide(std::wstring_view wide) {
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

BSTR ToBstr(std::string_view utf8) {
  std::wstring wide = ToWide(utf8);
  BSTR text = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  if (text == nullptr) throw std::bad_alloc();
  return text;
}

std::string FromBstr(BSTR text) {
  if (text == nullptr) return std::string();
  return FromWide(std::wstring_view(text, SysStringLen(text)));
}

}  // namespace kestrel
