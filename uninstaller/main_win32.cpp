// CRVNUNST: removes the desktop shortcut and every registry entry of the
// installation (giving taken-over extensions back to their earlier owners)
// and the installed files, then leaves its own program file and the folder
// to a batch file that runs once this program has ended. With /S it asks and
// tells nothing.
#include <shlobj.h>
#include <windows.h>

#include <string>
#include <vector>

#include "installer/command_line.h"
#include "installer/desktop_folder_win32.h"
#include "installer/install_plan.h"
#include "installer/machine_path_win32.h"
#include "installer/registry_tree_win32.h"
#include "installer/setup_mutex_win32.h"
#include "platform/files_win32.h"
#include "platform/text_win32.h"
#include "platform/window_text_win32.h"
#include "uninstaller/exit_batch.h"
#include "uninstaller/exit_batch_win32.h"
#include "uninstaller/installed_files_win32.h"

namespace {

// Exit codes of an unattended run (an interactive one ends with 0 when the
// user declines and 1 otherwise, as it always has).
enum SilentExit { kSilentSuccess = 0, kSilentFilesLeft = 2, kSilentAlreadyRunning = 7 };

std::string WindowsFolder() {
  wchar_t path[MAX_PATH] = {};
  UINT n = ::GetWindowsDirectoryW(path, MAX_PATH);
  return n > 0 && n < MAX_PATH ? WithTrailingSlash(Utf8(path)) : std::string();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::string argument = ArgumentText(Utf8(::GetCommandLineW()));
  const std::string ownPath = ModulePathUtf8(nullptr);
  if (EqualsIgnoringCase(argument, kAtRestartSwitch)) return RemoveAtRestart(ownPath) ? 0 : 1;
  const bool silent = TakeSilentSwitch(&argument);
  const UniqueKernelHandle mutex = TakeSetupMutex();
  if (!mutex) {
    if (silent) return kSilentAlreadyRunning;
    MessageBoxUtf8(nullptr, kAlreadyRunningText, "Corvana Setup", MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  if (!silent && MessageBoxUtf8(nullptr, "Are you sure you want to uninstall Corvana?",
                                "Are you sure?", MB_YESNO) != IDYES)
    return 0;
  const std::string windows = WindowsFolder();
  const std::string own = WithTrailingSlash(FolderOf(ownPath));
  const std::string folder = ChooseInstallFolder(argument, own);
  const std::string desktop = DesktopFolder();
  if (!desktop.empty()) DeleteFileUtf8((desktop + "Corvana.lnk").c_str());

  // The extensions and their earlier owners, and the entry this
  // installation put on the Path, are read before any key goes.
  const std::string pathEntry = ReadRegString(HKEY_LOCAL_MACHINE, kUninstallKey, kPathEntryValue);
  RemoveProgramKeys(OwnedExtensions());
  ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
  if (!pathEntry.empty() && RemoveMachinePathEntry(pathEntry)) AnnounceEnvironmentChange();

  // Everything is arranged before the message: the files gone or left to
  // the restart, the batch file written and its interpreter created, held
  // until this program is about to end.
  std::string program;
  bool arranged = RemoveInstalledFiles(folder, ownPath, &program);
  ExitBatch batch;
  if (windows.empty() || !WriteExitBatch(windows) || !batch.Create(program, folder, windows))
    arranged = RemoveAtRestart(program) && arranged;
  if (!silent) {
    std::string text = "Corvana has been uninstalled.";
    if (!arranged) {
      text += "\r\n\r\nSome of its files could not be removed. Delete the folder ";
      text += folder;
      text += " yourself.";
    }
    MessageBoxUtf8(nullptr, text.c_str(), "Uninstall successful", MB_OK);
  }
  batch.Start();
  if (silent) return arranged ? kSilentSuccess : kSilentFilesLeft;
  return 1;
}
