// Type information of the library's own interfaces, read once from the type library in its resources.
#pragma once

#include <oaidl.h>

namespace kestrel {

// The type info of an interface or class of the embedded type library (TYPELIB 1). Owned by the
// cache, never null: throws ComError when the library or the type is missing.
ITypeInfo* LibraryTypeInfo(REFGUID guid);

// The member id of `name` in an interface of the embedded type library, matched without regard
// to case against a table of its members built once: a late-bound caller that asks for the id
// before every call finds it without the type info's search. False when the table lacks the name.
bool LibraryMemberId(REFGUID guid, const wchar_t* name, DISPID* id);

// Drops the cache; the next call loads the type library again.
void ReleaseLibraryTypeInfo();

}  // namespace kestrel
