// UTF-8 <-> UTF-16 at the Win32 and COM edge (wide strings, BSTRs), through the core's conversion.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace kestrel {

std::wstring ToWide(std::string_view utf8);
std::string FromWide(std::wstring_view wide);

// A new BSTR holding the text; throws std::bad_alloc when the system cannot allocate it.
BSTR ToBstr(std::string_view utf8);
// The text of a BSTR; a null BSTR is the empty text.
std::string FromBstr(BSTR text);

}  // namespace kestrel
