// CRVNUNST: removes the desktop shortcut and every registry entry of the
// installation, then leaves the files, its own executable included, to a
// batch file that runs once this program has ended.
#include <windows.h>

#include <string>
#include <vector>

#include "installer/desktop_folder_win32.h"
#include "installer/install_plan.h"
#include "installer/registry_tree_win32.h"
#include "uninstaller/exit_batch.h"
#include "uninstaller/exit_batch_win32.h"

namespace {

// The folder of this executable, ending with '\'.
std::string OwnFolder() {
  char path[MAX_PATH + 1] = {};
  DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  std::string folder(path, n);
  return folder.substr(0, folder.rfind('\\') + 1);
}

std::string WindowsFolder() {
  char path[MAX_PATH] = {};
  UINT n = ::GetWindowsDirectoryA(path, sizeof path);
  return n > 0 && n < sizeof path ? WithTrailingSlash(path) : std::string();
}

// Extension keys that still name our type; another program's stay.
std::vector<std::string> OurExtensions() {
  std::vector<std::string> ours;
  for (const char* extension : kTypeExtensions) {
    std::string value = ReadRegString(HKEY_CLASSES_ROOT, extension, nullptr);
    if (::lstrcmpiA(value.c_str(), kTypeName) == 0) ours.push_back(extension);
  }
  return ours;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR argument, int) {
  if (::MessageBoxA(nullptr, "Are you sure you want to uninstall Corvana?", "Are you sure?",
                    MB_YESNO) != IDYES)
    return 0;
  const std::string windows = WindowsFolder();
  const std::string own = OwnFolder();
  const std::string folder = own.empty() ? std::string() : ChooseInstallFolder(argument, own);
  const std::string desktop = DesktopFolder();
  if (!desktop.empty()) ::DeleteFileA((desktop + "Corvana.lnk").c_str());

  // The extension keys are read before any key goes; they are removed after
  // the uninstall entry, as the installer wrote them.
  RemoveProgramKeys(OurExtensions());

  ::MessageBoxA(nullptr, "Corvana has been uninstalled.", "Uninstall successful", MB_OK);
  if (folder.empty() || windows.empty()) return 1;
  WriteExitBatch(folder, windows);
  StartExitBatch(windows);
  return 1;
}
