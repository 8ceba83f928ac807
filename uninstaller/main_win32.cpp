// CRVNUNST: removes the desktop shortcut and every registry entry of the
// installation, then leaves the files, its own executable included, to a
// batch file that runs once this program has ended.
#include <windows.h>

#include <string>
#include <vector>

#include "installer/command_line.h"
#include "installer/desktop_folder_win32.h"
#include "installer/install_plan.h"
#include "installer/registry_tree_win32.h"
#include "platform/files_win32.h"
#include "platform/text_win32.h"
#include "platform/window_text_win32.h"
#include "uninstaller/exit_batch.h"
#include "uninstaller/exit_batch_win32.h"

namespace {

// The folder of this executable, ending with '\'.
std::string OwnFolder() {
  const std::string path = ModulePathUtf8(nullptr);
  const size_t cut = path.rfind('\\');
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string WindowsFolder() {
  wchar_t path[MAX_PATH] = {};
  UINT n = ::GetWindowsDirectoryW(path, MAX_PATH);
  return n > 0 && n < MAX_PATH ? WithTrailingSlash(Utf8(path)) : std::string();
}

// Extension keys that still name our type; another program's stay.
std::vector<std::string> OurExtensions() {
  std::vector<std::string> ours;
  for (const char* extension : kTypeExtensions) {
    if (EqualsIgnoringCase(ReadRegString(HKEY_CLASSES_ROOT, extension, nullptr), kTypeName))
      ours.push_back(extension);
  }
  return ours;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (MessageBoxUtf8(nullptr, "Are you sure you want to uninstall Corvana?", "Are you sure?",
                     MB_YESNO) != IDYES)
    return 0;
  const std::string argument = ArgumentText(Utf8(::GetCommandLineW()));
  const std::string windows = WindowsFolder();
  const std::string own = OwnFolder();
  const std::string folder = own.empty() ? std::string() : ChooseInstallFolder(argument, own);
  const std::string desktop = DesktopFolder();
  if (!desktop.empty()) DeleteFileUtf8((desktop + "Corvana.lnk").c_str());

  // The extension keys are read before any key goes; they are removed after
  // the uninstall entry, as the installer wrote them.
  RemoveProgramKeys(OurExtensions());

  MessageBoxUtf8(nullptr, "Corvana has been uninstalled.", "Uninstall successful", MB_OK);
  if (folder.empty() || windows.empty()) return 1;
  WriteExitBatch(windows);
  StartExitBatch(folder, windows);
  return 1;
}
