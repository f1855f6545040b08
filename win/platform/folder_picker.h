// The platform's folder picker, as OpenSaveDlg's GetFolder shows it.
#pragma once

#include <windows.h>

#include <string>

namespace kestrel {

// Shows the folder picker owned by `owner` with the prompt "选择目标文件夹", file-system folders
// only, from the desktop; the chosen folder's path, or "" when the user cancels.
std::wstring PickFolder(HWND owner);

}  // namespace kestrel
