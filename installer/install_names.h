// Names the installer writes and the uninstaller removes: the shell
// extension's class, the list-file type, the handler and the keys they live
// under.
#pragma once

inline constexpr const char kClassId[] = "{5c1e7a42-93b0-4d6f-a8e1-2f70c4d9b316}";
inline constexpr const char kTypeName[] = "File_Verification_Database";
inline constexpr const char kTypeDescription[] = "File Verification Database";
inline constexpr const char kHandlerName[] = "Corvana Shell Extension";

inline constexpr const char kCompatibilityKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellCompatibility\\Objects";
inline constexpr const char kUninstallParent[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr const char kUninstallKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvana";
// Under the uninstall entry: the default value each extension had before
// the installer took it over from another program, by extension.
inline constexpr const char kPreviousOwnersKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvana\\PreviousOwners";
inline constexpr const char kApprovedKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
// Every class key goes to the machine's classes by this path, never through
// HKEY_CLASSES_ROOT: an elevated process sees there the administrator's own
// per-user classes wherever the key exists among them.
inline constexpr const char kClassesKey[] = "Software\\Classes";
inline constexpr const char kFileHandlers[] = "*\\shellex\\ContextMenuHandlers";
inline constexpr const char kPropertySheetHandlers[] = "*\\shellex\\PropertySheetHandlers";
inline constexpr const char kFolderHandlers[] = "Directory\\shellex\\ContextMenuHandlers";
inline constexpr const char kCurrentVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";
// The machine's environment, whose "Path" may carry the installation folder.
inline constexpr const char kEnvironmentKey[] =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
inline constexpr const char kPathValue[] = "Path";
// Under the uninstall entry: the entry this installation added to "Path"
// (empty: none), the one the uninstaller takes out again.
inline constexpr const char kPathEntryValue[] = "PathEntry";

// Held by the installer and the uninstaller for their whole run, in every
// session: two at once would undo each other's work.
inline constexpr const char kSetupMutexName[] = "Global\\CorvanaSetup";

inline constexpr const char kUninstallerName[] = "CRVNUNST.EXE";
inline constexpr const char kSettingsName[] = "Corvana.ini";
inline constexpr const char kVersionText[] = "2.33";
inline constexpr const char kPublisher[] = "Corvana project";

// The list types in the order of the association dialog's boxes. The last
// box stands for the digest tools' lists, whose extensions it decides
// together.
enum ListType { kSfv, kCrc, kCkz, kCsv, kPar, kMd5, kDigestLists, kListTypeCount };

// Every extension the installer may associate, with the box that decides it.
// The first six follow the boxes, so a type with one extension has its
// ListType as its index here.
struct TypeExtension {
  const char* extension;
  ListType type;
};
inline constexpr TypeExtension kTypeExtensions[] = {{".SFV", kSfv},
                                                    {".CRC", kCrc},
                                                    {".CKZ", kCkz},
                                                    {".CSV", kCsv},
                                                    {".PAR", kPar},
                                                    {".MD5", kMd5},
                                                    {".SHA1", kDigestLists},
                                                    {".SHA256", kDigestLists},
                                                    {".SHA512", kDigestLists},
                                                    {".B3", kDigestLists},
                                                    {".XXH3", kDigestLists},
                                                    {".XXH128", kDigestLists}};
inline constexpr int kExtensionCount = 12;
static_assert(sizeof kTypeExtensions / sizeof kTypeExtensions[0] == kExtensionCount);
