#include "installer/desktop_folder_win32.h"

// clang-format off
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>
// clang-format on

#include "installer/install_plan.h"
#include "platform/text_win32.h"

std::string DesktopFolder() {
  PWSTR path = nullptr;
  std::string desktop;
  if (SUCCEEDED(
          ::SHGetKnownFolderPath(FOLDERID_PublicDesktop, KF_FLAG_DONT_VERIFY, nullptr, &path)) &&
      path)
    desktop = Utf8(path);
  ::CoTaskMemFree(path);
  return desktop.empty() ? desktop : WithTrailingSlash(desktop);
}
