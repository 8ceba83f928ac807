// What an installation writes, as data: the registry rows in the order they
// are made, the keys a failed installation or the uninstaller removes, the
// carried files, and the texts of the boxes. No system calls here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "installer/install_names.h"

enum class RegRoot { LocalMachine, ClassesRoot };

struct RegistryRow {
  RegRoot root;
  std::string key;
  std::string valueName;  // empty: the key's default value
  std::string data;
  bool mayFail;           // a failure of this row does not stop the installation
  bool isNumber = false;  // a REG_DWORD of `number` instead of the string
  uint32_t number = 0;
};

struct InstallChoices {
  std::string folder;  // ends with '\'
  bool shellExtension = true;
  bool updateDb = true;
  bool registerType[kListTypeCount] = {};  // the box ended fully checked
  // By extension (kTypeExtensions' order): its default value when another
  // program owns it (empty otherwise), kept under kPreviousOwnersKey when
  // taken over, so that the uninstaller can give it back.
  std::string previousOwner[kExtensionCount];
  uint32_t estimatedSizeKiB = 0;  // the installed files together
};

// The association boxes' start from the default value each extension has
// now (`current`, in kTypeExtensions' order; empty when none): a box any of
// whose extensions another program owns starts half-checked, and its
// default choice (the one an unattended installation takes) leaves them all
// to that program; the others start checked and chosen. Every foreign value
// goes into `choices->previousOwner`.
void TakeCurrentOwners(const std::string current[kExtensionCount], InstallChoices* choices,
                       bool ownedElsewhere[kListTypeCount]);

// Every registry row of an installation, in the order they are written.
std::vector<RegistryRow> InstallRows(const InstallChoices& choices);

// One key to remove with all its subkeys: `parent` + "\" + `name`.
struct KeyRemoval {
  RegRoot root;
  std::string parent;
  std::string name;
};

// The keys a failed installation and the uninstaller remove, in order; the
// extension keys go between the second (the uninstall entry) and the third
// (the file type), and the class's value under kApprovedKey goes last.
std::vector<KeyRemoval> ProgramKeys();

// The carried files in the order they are written: name in the folder and
// resource name. The shell extension is the first; a declined extension
// starts the copy at the second.
struct CarriedFile {
  const char* fileName;
  const char* resourceName;
};
inline constexpr CarriedFile kCarriedFiles[] = {{"CRVNShll.dll", "thedll"},
                                                {"Corvana.EXE", "theexe"},
                                                {"CRVNUNST.EXE", "theun"},
                                                {"history.txt", "thetxt"}};
inline constexpr int kCarriedFileCount = 4;

// The folder to propose: the folder of an earlier installation, taken from
// its uninstall string (the quoted form this installer writes or the older
// unquoted one), else `programFiles` + "\Corvana".
std::string ProposeFolder(const std::string& uninstallString, const std::string& programFiles);

// Equal when only the case of ASCII letters differs (type names, file
// names of this program).
bool EqualsIgnoringCase(const std::string& a, const std::string& b);

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
