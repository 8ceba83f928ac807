// CRVNINST: asks for the folder, the options and the associations (or, with
// /S, takes the proposal and the default choices without a word), writes the
// carried files, the registry rows, the desktop shortcut and the first
// settings, and puts back exactly what was there when a step fails.
#include <shlobj.h>
#include <windows.h>

#include <string>

#include "installer/carried_files_win32.h"
#include "installer/command_line.h"
#include "installer/desktop_folder_win32.h"
#include "installer/dialogs_win32.h"
#include "installer/folder_security_win32.h"
#include "installer/install_plan.h"
#include "installer/registry_rows_win32.h"
#include "installer/registry_tree_win32.h"
#include "installer/settings_file_win32.h"
#include "installer/shortcut_win32.h"
#include "platform/files_win32.h"
#include "platform/text_win32.h"
#include "platform/window_text_win32.h"

namespace {

// Exit codes of an unattended run (an interactive one ends with 1 on success
// and 0 otherwise, as it always has).
enum SilentExit {
  kSilentSuccess = 0,
  kSilentCopyFailed = 2,
  kSilentAssociationFailed = 3,
  kSilentShortcutFailed = 4,
  kSilentWrongInstaller = 5,
};

struct Run {
  bool silent = false;
};

int Fail(const Run& run, const char* text, SilentExit code) {
  if (run.silent) return code;
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

// Creates the folders along `folder` that are missing; the ones it made, in
// the order made.
std::vector<std::string> CreateFolders(const std::string& folder) {
  std::vector<std::string> made;
  for (const std::string& f : FoldersAlong(folder)) {
    if (CreateFolderUtf8(f.c_str())) made.push_back(f);
  }
  return made;
}

void RemoveFolders(const std::vector<std::string>& made) {
  for (auto f = made.rbegin(); f != made.rend(); ++f) RemoveFolderUtf8(f->c_str());
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const InstallerOptions options = ParseInstallerArguments(ArgumentText(Utf8(::GetCommandLineW())));
  Run run;
  run.silent = options.silent;
  if (OnWrongArchitecture()) return Fail(run, kUseOtherInstallerText, kSilentWrongInstaller);

  std::string folder =
      !options.folder.empty()
          ? options.folder
          : ProposeFolder(ReadRegString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"),
                          ReadRegString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir"));
  InstallChoices choices;
  std::string owners[kExtensionCount];
  for (int e = 0; e < kExtensionCount; ++e)
    owners[e] = ReadRegString(HKEY_CLASSES_ROOT, kTypeExtensions[e].extension, nullptr);
  // Unattended, the choices stay what the boxes start with: another
  // program's types are left to it.
  bool ownedElsewhere[kListTypeCount] = {};
  TakeCurrentOwners(owners, &choices, ownedElsewhere);
  if (!run.silent) {
    if (!AskFolder(instance, &folder)) return 0;
    if (!AskOptions(instance, &choices.shellExtension, &choices.updateDb)) return 0;
    if (!AskAssociations(instance, ownedElsewhere, choices.registerType)) return 0;
  }
  choices.folder = FullFolder(folder);
  choices.estimatedSizeKiB = CarriedSizeKiB(instance, choices.shellExtension);
  const std::string desktop = DesktopFolder();

  // The folder gets the rights of Program Files before any file comes in,
  // so the files inherit them.
  const std::vector<std::string> made = CreateFolders(choices.folder);
  CarriedFiles files;
  files.folder = choices.folder;
  if (!SecureFolder(choices.folder) ||
      !StageCarriedFiles(instance, choices.shellExtension, !run.silent, &files)) {
    RemoveFolders(made);
    return Fail(run, kCopyFailedText, kSilentCopyFailed);
  }
  if (!PlaceCarriedFiles(&files)) {
    RestoreCarriedFiles(&files);
    RemoveFolders(made);
    return Fail(run, kCopyFailedText, kSilentCopyFailed);
  }
  const std::vector<RegistryRow> rows = InstallRows(choices);
  const RegistryState before = SaveRegistryState(rows);
  if (!WriteRegistryRows(rows)) {
    RestoreRegistryState(before);
    RestoreCarriedFiles(&files);
    RemoveFolders(made);
    return Fail(run, kAssociationFailedText, kSilentAssociationFailed);
  }
  if (desktop.empty() || !CreateShortcut(choices.folder + "Corvana.exe", desktop + "Corvana.lnk",
                                         "Shortcut to Corvana.exe")) {
    RestoreRegistryState(before);
    RestoreCarriedFiles(&files);
    RemoveFolders(made);
    return Fail(run, kShortcutFailedText, kSilentShortcutFailed);
  }
  // An earlier copy still in use goes at the next restart; the new one is
  // in place either way.
  FinishCarriedFiles(files);
  const std::string ini = choices.folder + kSettingsName;
  WriteFirstSettings(ini, choices.updateDb);
  // Without this right a standard user's verifier and Explorer could not
  // keep a setting; the installation itself stands either way.
  GrantUsersModify(ini);
  ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
  if (run.silent) return kSilentSuccess;
  MessageBoxUtf8(nullptr, kSuccessText, "Installation successful", MB_OK);
  return 1;
}
