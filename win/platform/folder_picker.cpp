// PickFolder: SHBrowseForFolder with the add-in's prompt.
#include "folder_picker.h"

#include <shlobj.h>

namespace kestrel {

std::wstring PickFolder(HWND owner) {
  BROWSEINFOW info = {};
  info.hwndOwner = owner;
  info.lpszTitle = L"选择目标文件夹";
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  std::wstring chosen;
  if (PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info)) {
    wchar_t path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(item, path)) chosen = path;
    CoTaskMemFree(item);
  }
  return chosen;
}

}  // namespace kestrel
