// The module that holds this code (Kestrel.dll, or a test program linking the shell) and its use count.
#pragma once

#include <windows.h>

#include <string>

namespace kestrel {

HMODULE ThisModule();
// The module's full path, as the loader knows it.
std::wstring ThisModulePath();

// Live COM objects and server locks; DllCanUnloadNow answers from them.
void LockModule();
void UnlockModule();
bool ModuleInUse();

}  // namespace kestrel
