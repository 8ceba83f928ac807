#include "installer/desktop_folder_win32.h"

#include <shlobj.h>
#include <windows.h>

#include "installer/install_names.h"
#include "installer/install_plan.h"
#include "installer/registry_tree_win32.h"

std::string DesktopFolder() {
  std::string desktop = ReadRegString(HKEY_CURRENT_USER, kShellFoldersKey, "Desktop");
  if (desktop.empty()) {
    char path[MAX_PATH] = {};
    if (SUCCEEDED(::SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, path)))
      desktop = path;
  }
  return desktop.empty() ? desktop : WithTrailingSlash(desktop);
}
