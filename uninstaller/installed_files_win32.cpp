#include "uninstaller/installed_files_win32.h"

#include <windows.h>

#include "installer/file_removal_win32.h"
#include "installer/install_plan.h"
#include "platform/files_win32.h"
#include "uninstaller/exit_batch.h"

namespace {

constexpr const char* kInstalledFiles[] = {"Corvana.EXE", "CRVNShll.dll", "crvn.exe", "history.txt",
                                           kSettingsName};

// The running uninstaller's name once renamed aside: one the command
// interpreter will still start (with kAtRestartSwitch), as it runs only
// names that end in a program's extension.
constexpr const char kRunnableAside[] = ".old.exe";

}  // namespace

bool RemoveInstalledFiles(const std::string& folder, const std::string& ownPath,
                          std::string* program) {
  bool arranged = true, leftToRestart = false;
  for (const char* name : kInstalledFiles) {
    const std::string path = folder + name;
    if (!RemoveOrScheduleFile(path)) arranged = false;
    if (GetFileAttributesUtf8(path.c_str()) != INVALID_FILE_ATTRIBUTES ||
        GetFileAttributesUtf8((path + ".old").c_str()) != INVALID_FILE_ATTRIBUTES)
      leftToRestart = true;
  }
  // The folder goes after the files left to the restart, in that order; a
  // drive's root never goes.
  const std::string removable = RemovableFolder(folder);
  if (leftToRestart && !removable.empty() &&
      !MoveFileUtf8(removable.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
    arranged = false;
  *program = ownPath;
  const std::string aside = FreeAsideName(ownPath, kRunnableAside);
  if (MoveFileUtf8(ownPath.c_str(), aside.c_str(), 0)) *program = aside;
  return arranged;
}

bool RemoveAtRestart(const std::string& program) {
  const std::string folder = RemovableFolder(FolderOf(program));
  return MoveFileUtf8(program.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) &&
         (folder.empty() || MoveFileUtf8(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
}
