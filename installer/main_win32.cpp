// CRVNINST: asks for the folder, the options and the associations, writes
// the carried files, the registry rows, the desktop shortcut and the first
// settings, and takes everything back when a step fails.
#include <windows.h>

#include <string>

#include "installer/carried_files_win32.h"
#include "installer/desktop_folder_win32.h"
#include "installer/dialogs_win32.h"
#include "installer/install_plan.h"
#include "installer/registry_rows_win32.h"
#include "installer/registry_tree_win32.h"
#include "installer/settings_file_win32.h"
#include "installer/shortcut_win32.h"
#include "platform/text_win32.h"
#include "platform/window_text_win32.h"

namespace {

int Fail(const char* text) {
  MessageBoxUtf8(nullptr, text, "Installation failed", MB_OK | MB_ICONWARNING);
  return 0;
}

// 32-bit code on 64-bit Windows would register a DLL that the 64-bit
// Explorer cannot load, in the registry view it does not read.
bool OnWrongArchitecture() {
#if defined(_WIN64)
  return false;
#else
  BOOL wow64 = FALSE;
  return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
#endif
}

// The confirmed folder as a full path ending with '\': a relative one would
// be written into commands that run from anywhere.
std::string FullFolder(const std::string& folder) {
  const std::wstring wide = Wide(folder);
  const DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  std::wstring full(size, L'\0');
  const DWORD n = size ? ::GetFullPathNameW(wide.c_str(), size, full.data(), nullptr) : 0;
  return WithTrailingSlash(n > 0 && n < size ? Utf8(full.data(), static_cast<int>(n)) : folder);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (OnWrongArchitecture()) return Fail(kUseOtherInstallerText);

  std::string folder =
      ProposeFolder(ReadRegString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"),
                    ReadRegString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir"));
  InstallChoices choices;
  if (!AskFolder(instance, &folder)) return 0;
  if (!AskOptions(instance, &choices.shellExtension, &choices.updateDb)) return 0;
  std::string previous[kListTypeCount];
  bool ownedElsewhere[kListTypeCount] = {};
  for (int t = 0; t < kListTypeCount; ++t) {
    previous[t] = ReadRegString(HKEY_CLASSES_ROOT, kTypeExtensions[t], nullptr);
    ownedElsewhere[t] = !previous[t].empty() && !EqualsIgnoringCase(previous[t], kTypeName);
    if (!ownedElsewhere[t]) previous[t].clear();
  }
  if (!AskAssociations(instance, ownedElsewhere, choices.registerType)) return 0;

  choices.folder = FullFolder(folder);
  const std::string desktop = DesktopFolder();

  WrittenFiles written;
  if (!CopyCarriedFiles(instance, choices.folder, choices.shellExtension, &written)) {
    DeleteCarriedFiles(choices.folder, written);
    return Fail(kCopyFailedText);
  }
  if (!WriteRegistryRows(InstallRows(choices))) {
    RollBackRegistry(choices, previous);
    DeleteCarriedFiles(choices.folder, written);
    return Fail(kAssociationFailedText);
  }
  if (desktop.empty() || !CreateShortcut(choices.folder + "Corvana.exe", desktop + "Corvana.lnk",
                                         "Shortcut to Corvana.exe")) {
    RollBackRegistry(choices, previous);
    DeleteCarriedFiles(choices.folder, written);
    return Fail(kShortcutFailedText);
  }
  const std::string ini = choices.folder + kSettingsName;
  WriteFirstSettings(ini, choices.updateDb);
  // Without this right a standard user's verifier and Explorer could not
  // keep a setting; the installation itself stands either way.
  GrantUsersModify(ini);
  MessageBoxUtf8(nullptr, kSuccessText, "Installation successful", MB_OK);
  return 1;
}
