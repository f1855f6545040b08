// Ribbon pictures: a named bitmap resource of the module, loaded afresh as an OLE picture.
#pragma once

#include <ocidl.h>

#include <string_view>

namespace kestrel {

// Loads bitmap resource `name` ("STOR") of the module and returns a new picture that owns it (the
// caller releases it). Throws ComError when the resource is missing.
IPictureDisp* LoadRibbonPicture(std::string_view name);

}  // namespace kestrel
