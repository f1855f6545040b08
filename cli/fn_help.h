// The help of `kestrel fn`, written from the function catalogue.
#pragma once

#include <string>

#include "geometry/function_catalogue.h"

namespace kestrel {

// Usage, the argument forms and every function's signature with its one-paragraph help.
std::string CatalogueHelp();
// One function: signature, result, help and each argument's type, default and help.
std::string FunctionHelp(const WorksheetFunction& function);

}  // namespace kestrel
