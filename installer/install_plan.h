// What an installation writes, as data: the registry rows in the order they
// are made, the keys a failed installation or the uninstaller removes, the
// carried files, and the texts of the boxes. No system calls here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "installer/install_names.h"

// How a row's value is stored: REG_SZ, REG_EXPAND_SZ or REG_DWORD.
enum class RowType { String, ExpandString, Number };

// One value under HKEY_LOCAL_MACHINE (class keys under kClassesKey).
struct RegistryRow {
  std::string key;
  std::string valueName;  // empty: the key's default value
  std::string data;
  bool mayFail;  // a failure of this row does not stop the installation
  RowType type = RowType::String;
  uint32_t number = 0;  // the data of a Number row
};

// A string value as the registry holds it: its text and whether it is an
// expandable string.
struct RegText {
  std::string text;
  bool expands = false;
};

struct InstallChoices {
  std::string folder;  // ends with '\'
  bool shellExtension = true;
  bool updateDb = true;
  bool usePath = true;                     // the folder on the machine's Path, for crvn
  bool registerType[kListTypeCount] = {};  // the box ended fully checked
  // By extension (kTypeExtensions' order): its default value when another
  // program owns it (empty otherwise), kept under kPreviousOwnersKey with
  // its type when taken over, so that the uninstaller can give it back.
  RegText previousOwner[kExtensionCount];
  uint32_t estimatedSizeKiB = 0;  // the installed files together
  // The machine's Path now (absent: none at all) and the entry an earlier
  // installation recorded as its own (empty: none).
  bool pathPresent = false;
  std::string path;
  std::string earlierPathEntry;
};

// Class key `key` of the machine: kClassesKey + "\" + `key`.
std::string ClassKey(const std::string& key);

// The association boxes' start from the default value each extension has
// now (`current`, in kTypeExtensions' order; empty when none): a box any of
// whose extensions another program owns starts half-checked, and its
// default choice (the one an unattended installation takes) leaves them all
// to that program; the others start checked and chosen. Every foreign value
// goes into `choices->previousOwner`.
void TakeCurrentOwners(const RegText current[kExtensionCount], InstallChoices* choices,
                       bool ownedElsewhere[kListTypeCount]);

// Every registry row of an installation, in the order they are written.
std::vector<RegistryRow> InstallRows(const InstallChoices& choices);

// One key of the machine to remove with all its subkeys: `parent` + "\" +
// `name`.
struct KeyRemoval {
  std::string parent;
  std::string name;
};

// The keys a failed installation and the uninstaller remove, in order; the
// extension keys go between the second (the uninstall entry) and the third
// (the file type), and the class's value under kApprovedKey goes last.
std::vector<KeyRemoval> ProgramKeys();

// The carried files in the order they are written: name in the folder and
// resource name. The shell extension is the first; a declined extension
// starts the copy at the second. An optional file is carried only by a
// build that has it (the console program).
struct CarriedFile {
  const char* fileName;
  const char* resourceName;
  bool optional = false;
};
inline constexpr CarriedFile kCarriedFiles[] = {{"CRVNShll.dll", "thedll"},
                                                {"Corvana.EXE", "theexe"},
                                                {"crvn.exe", "thecon", true},
                                                {"CRVNUNST.EXE", "theun"},
                                                {"history.txt", "thetxt"}};
inline constexpr int kCarriedFileCount = 5;

// The folder to propose: the folder of an earlier installation, taken from
// its uninstall string (the quoted form this installer writes or the older
// unquoted one), else `programFiles` + "\Corvana".
std::string ProposeFolder(const std::string& uninstallString, const std::string& programFiles);

// Equal when only the case of ASCII letters differs (type names, file
// names of this program).
bool EqualsIgnoringCase(const std::string& a, const std::string& b);

// The folder an installation may go into, from what the user typed, its
// full path, and the names in it now (none when it does not exist): a
// drive's or a share's root never ("C:" alone is the current folder of
// drive C), and an existing folder only when it is empty or holds an
// earlier installation (Corvana.EXE and CRVNUNST.EXE).
enum class FolderVerdict { Fine, DriveRoot, HoldsOtherFiles };
FolderVerdict JudgeFolder(const std::string& typed, const std::string& full,
                          const std::vector<std::string>& names);
// The root of a drive ("C:\", "C:" alone, "\" alone) or of a share
// ("\\server\share"), also in the "\\?\" forms and with "/".
bool IsDriveRoot(const std::string& folder);

// Why a folder was refused, as the folder dialog says it; null for Fine.
const char* FolderRefusalText(FolderVerdict verdict);

// The folder as a path to remove (no final '\'); empty for a drive's or a
// share's root, which is never removed (and "C:" would name the current
// folder of drive C).
std::string RemovableFolder(const std::string& folder);

// The machine's Path as entries separated by ';'. The installation's entry
// is its folder without the final '\'. Entries are the same when they
// differ only in the case of ASCII letters, surrounding quotes or a final
// '\'.
std::string PathEntryOf(const std::string& folder);
bool SamePathEntry(const std::string& a, const std::string& b);
// `path` with `entry` added at the end, unless it holds it already.
std::string PathWith(const std::string& path, const std::string& entry);
// `path` without its first entry that is the same as `entry` (and one
// separator beside it); everything else stays byte for byte.
std::string PathWithout(const std::string& path, const std::string& entry);

std::string WithTrailingSlash(const std::string& path);
std::string WithoutTrailingSlash(const std::string& path);

// The folders to create, outermost first, for a folder path ending in '\':
// each component after the drive ("C:\") or after the server and share of a
// "\\server\share\" path.
std::vector<std::string> FoldersAlong(const std::string& folder);

// A product version as the fixed version information holds it.
struct ProductVersion {
  uint32_t mostSignificant = 0;
  uint32_t leastSignificant = 0;
};
bool IsNewer(ProductVersion installed, ProductVersion carried);

std::string NewerVersionQuestion(const char* fileName);

extern const char kSuccessText[];
extern const char kCopyFailedText[];
extern const char kAssociationFailedText[];
extern const char kShortcutFailedText[];
extern const char kUseOtherInstallerText[];
extern const char kAlreadyRunningText[];
