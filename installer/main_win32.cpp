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
#include "installer/machine_path_win32.h"
#include "installer/registry_rows_win32.h"
#include "installer/registry_tree_win32.h"
#include "installer/settings_file_win32.h"
#include "installer/setup_mutex_win32.h"
#include "installer/shortcut_win32.h"
#include "platform/files_win32.h"
#include "platform/handles_win32.h"
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
  kSilentFolderRefused = 6,
  kSilentAlreadyRunning = 7,
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

// What `folder` holds now: none when it does not exist; a file of that name,
// or a folder that cannot be listed, counts as something else's.
std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  const DWORD attributes = GetFileAttributesUtf8(WithoutTrailingSlash(folder).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return names;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return {"(a file)"};
  FoundFile found;
  UniqueFindHandle search(FindFirstUtf8((folder + "*").c_str(), &found));
  if (!search.Valid()) return {"(not readable)"};
  do {
    if (found.Name != "." && found.Name != "..") names.push_back(found.Name);
  } while (FindNextUtf8(search.Get(), &found));
  return names;
}

// Why the folder as typed is refused; empty when it is not.
std::string FolderRefusal(const std::string& typed) {
  const std::string full = FullFolder(typed);
  const char* text = FolderRefusalText(JudgeFolder(typed, full, NamesIn(full)));
  return text ? text : std::string();
}

// What a failed step takes back, in the reverse order of the steps.
struct Rollback {
  std::string folder;
  std::vector<std::string> madeFolders;  // in the order made
  SavedFolderSecurity earlierSecurity;   // an existing folder's, before
  CarriedFiles files;
  RegistryState registry;

  void Undo() {
    RestoreRegistryState(registry);
    RestoreCarriedFiles(&files);
    RestoreFolderSecurity(folder, earlierSecurity);
    for (auto f = madeFolders.rbegin(); f != madeFolders.rend(); ++f) RemoveFolderUtf8(f->c_str());
  }
};

// Creates the folders along `folder` that are missing, the installation
// folder itself with its own rights from the start; an existing one is
// given them, its earlier owner and access list kept for a rollback.
bool PrepareFolder(const std::string& folder, Rollback* rollback) {
  const std::vector<std::string> along = FoldersAlong(folder);
  for (size_t i = 0; i + 1 < along.size(); ++i) {
    if (CreateFolderUtf8(along[i].c_str())) rollback->madeFolders.push_back(along[i]);
  }
  if (CreateSecuredFolder(folder)) {
    rollback->madeFolders.push_back(WithoutTrailingSlash(folder));
    return true;
  }
  return ::GetLastError() == ERROR_ALREADY_EXISTS &&
         SecureFolder(folder, &rollback->earlierSecurity);
}

bool WritesPath(const std::vector<RegistryRow>& rows) {
  for (const RegistryRow& row : rows) {
    if (row.key == kEnvironmentKey) return true;
  }
  return false;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const InstallerOptions options = ParseInstallerArguments(ArgumentText(Utf8(::GetCommandLineW())));
  Run run;
  run.silent = options.silent;
  if (OnWrongArchitecture()) return Fail(run, kUseOtherInstallerText, kSilentWrongInstaller);
  const UniqueKernelHandle mutex = TakeSetupMutex();
  if (!mutex) {
    if (run.silent) return kSilentAlreadyRunning;
    MessageBoxUtf8(nullptr, kAlreadyRunningText, "Corvana Setup", MB_OK | MB_ICONINFORMATION);
    return 0;
  }

  std::string folder =
      !options.folder.empty()
          ? options.folder
          : ProposeFolder(ReadRegString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"),
                          ReadRegString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir"));
  InstallChoices choices;
  RegText owners[kExtensionCount];
  for (int e = 0; e < kExtensionCount; ++e)
    ReadRegText(HKEY_LOCAL_MACHINE, ClassKey(kTypeExtensions[e].extension), nullptr, &owners[e]);
  // Unattended, the choices stay what the boxes start with: another
  // program's types are left to it.
  bool ownedElsewhere[kListTypeCount] = {};
  TakeCurrentOwners(owners, &choices, ownedElsewhere);
  if (!run.silent) {
    if (!AskFolder(instance, &folder, FolderRefusal)) return 0;
    if (!AskOptions(instance, &choices.shellExtension, &choices.updateDb, &choices.usePath))
      return 0;
    if (!AskAssociations(instance, ownedElsewhere, choices.registerType)) return 0;
  }
  // Judged again as it is now, unattended for the first time: nothing has
  // been written yet.
  const std::string refusal = FolderRefusal(folder);
  if (!refusal.empty()) return Fail(run, refusal.c_str(), kSilentFolderRefused);
  choices.folder = FullFolder(folder);
  choices.estimatedSizeKiB = CarriedSizeKiB(instance, choices.shellExtension);
  choices.pathPresent = ReadMachinePath(&choices.path);
  choices.earlierPathEntry = ReadRegString(HKEY_LOCAL_MACHINE, kUninstallKey, kPathEntryValue);
  const std::string desktop = DesktopFolder();

  // The folder gets the rights of Program Files before any file comes in,
  // so the files inherit them.
  Rollback rollback;
  rollback.folder = choices.folder;
  rollback.files.folder = choices.folder;
  if (!PrepareFolder(choices.folder, &rollback) ||
      !StageCarriedFiles(instance, choices.shellExtension, !run.silent, &rollback.files) ||
      !PlaceCarriedFiles(&rollback.files)) {
    rollback.Undo();
    return Fail(run, kCopyFailedText, kSilentCopyFailed);
  }
  const std::vector<RegistryRow> rows = InstallRows(choices);
  rollback.registry = SaveRegistryState(rows);
  if (!WriteRegistryRows(rows)) {
    rollback.Undo();
    return Fail(run, kAssociationFailedText, kSilentAssociationFailed);
  }
  if (desktop.empty() || !CreateShortcut(choices.folder + "Corvana.exe", desktop + "Corvana.lnk",
                                         "Shortcut to Corvana.exe")) {
    rollback.Undo();
    return Fail(run, kShortcutFailedText, kSilentShortcutFailed);
  }
  // An earlier copy still in use goes at the next restart; the new one is
  // in place either way.
  FinishCarriedFiles(rollback.files);
  const std::string ini = choices.folder + kSettingsName;
  WriteFirstSettings(ini, choices.updateDb);
  // Without this right a standard user's verifier and Explorer could not
  // keep a setting; the installation itself stands either way.
  GrantUsersModify(ini);
  ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
  if (WritesPath(rows)) AnnounceEnvironmentChange();
  if (run.silent) return kSilentSuccess;
  MessageBoxUtf8(nullptr, kSuccessText, "Installation successful", MB_OK);
  return 1;
}
