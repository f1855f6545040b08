// Type information of the library's own interfaces, read once from the type library in its resources.
#pragma once

#include <oaidl.h>

namespace kestrel {

// The type info of an interface or class of the embedded type library (TYPELIB 1). Owned by the
// cache, never null: throws ComError when the library or the type is missing.
ITypeInfo* LibraryTypeInfo(REFGUID guid);

// Drops the cache; the next call loads the type library again.
void ReleaseLibraryTypeInfo();

}  // namespace kestrel
