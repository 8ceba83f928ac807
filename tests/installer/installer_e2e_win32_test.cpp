// CRVNINST and CRVNUNST as a user meets them: separate processes whose
// dialogs and boxes are answered from here, checked against the registry,
// the files and the shortcut they leave behind in this build's Wine prefix.
#include <gtest/gtest.h>

#include <aclapi.h>
#include <objbase.h>
#include <sddl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "installer/folder_security_win32.h"
#include "installer/install_plan.h"
#include "installer/settings_file_win32.h"
#include "platform/files_win32.h"
#include "platform/handles_win32.h"
#include "platform/registry_win32.h"
#include "platform/text_win32.h"
#include "tests/installer/setup_driver_win32.h"
#include "tests/pipeline/test_files_win32.h"
#include "tests/platform/unicode_names.h"
#include "tests/results/desktop_win32.h"
#include "tests/verifier/corvana_process_win32.h"

namespace {

const std::string kInstaller = WindowsPath(CRVNINST_PATH);
const std::string kBuiltUninstaller = WindowsPath(CRVNUNST_PATH);
const std::string kBuiltDll = WindowsPath(CRVNSHLL_PATH);
const std::string kHistory = WindowsPath(HISTORY_PATH);
const std::string kNewerProgram = WindowsPath(NEWER_PROGRAM_PATH);

const char kClsid[] = "{5c1e7a42-93b0-4d6f-a8e1-2f70c4d9b316}";
// Every class key of the installation is the machine's, never a user's.
const std::string kClasses = "Software\\Classes\\";
const char kForeignType[] = "OtherTool.md5";
const char* const kExtensions[] = {".SFV",  ".CRC",    ".CKZ",    ".CSV", ".PAR",  ".MD5",
                                   ".SHA1", ".SHA256", ".SHA512", ".B3",  ".XXH3", ".XXH128"};
const char* const kDigestExtensions[] = {".SHA1", ".SHA256", ".SHA512", ".B3", ".XXH3", ".XXH128"};

struct Value {
  bool present = false;
  DWORD type = 0;
  std::string bytes;  // as stored, terminating zero included
};

// A string value's bytes are its UTF-8 text.
Value ReadValue(HKEY root, const std::string& key, const char* name) {
  Value v;
  HKEY k = nullptr;
  if (RegOpenKeyUtf8(root, key.c_str(), KEY_READ, &k) != ERROR_SUCCESS) return v;
  UniqueRegKey owner(k);
  wchar_t data[2048];
  DWORD size = sizeof data;
  const std::wstring wideName = name ? Wide(name) : std::wstring();
  if (::RegQueryValueExW(k, name ? wideName.c_str() : nullptr, nullptr, &v.type,
                         reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS)
    return v;
  v.present = true;
  if (v.type == REG_SZ || v.type == REG_EXPAND_SZ)
    v.bytes = Utf8(data, static_cast<int>(size / sizeof(wchar_t)));
  else
    v.bytes.assign(reinterpret_cast<const char*>(data), size);
  return v;
}

bool FileThereUtf8(const std::string& path) {
  return GetFileAttributesUtf8(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string GetFileUtf8(const std::string& path) {
  UniqueFileHandle f(CreateFileUtf8(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    OPEN_EXISTING, 0));
  std::string bytes;
  char buffer[65536];
  DWORD n = 0;
  while (f && ::ReadFile(f.Get(), buffer, sizeof buffer, &n, nullptr) && n > 0)
    bytes.append(buffer, n);
  return bytes;
}

// Removes a folder with everything below it, whatever the names.
void RemoveTreeUtf8(const std::string& folder) {
  const std::string dir = WithTrailingSlash(folder);
  FoundFile found;
  HANDLE search = FindFirstUtf8((dir + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (found.Name == "." || found.Name == "..") continue;
      const std::string full = dir + found.Name;
      SetFileAttributesUtf8(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.Attributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTreeUtf8(full);
      else
        DeleteFileUtf8(full.c_str());
    } while (FindNextUtf8(search, &found));
    ::FindClose(search);
  }
  RemoveFolderUtf8(WithoutTrailingSlash(folder).c_str());
}

// Every key and value below `key`, one line each ("key|name|type|data"),
// subkeys in the order the registry lists them.
void DumpKey(HKEY root, const std::string& key, std::vector<std::string>* out) {
  HKEY k = nullptr;
  if (RegOpenKeyUtf8(root, key.c_str(), KEY_READ, &k) != ERROR_SUCCESS) return;
  UniqueRegKey owner(k);
  out->push_back(key);
  std::string name;
  for (DWORD i = 0; RegEnumValueUtf8(k, i, &name) == ERROR_SUCCESS; ++i) {
    Value v = ReadValue(root, key, name.empty() ? nullptr : name.c_str());
    out->push_back(key + "|" + name + "|" + std::to_string(v.type) + "|" + v.bytes);
  }
  std::vector<std::string> subs;
  for (DWORD i = 0; RegEnumKeyUtf8(k, i, &name) == ERROR_SUCCESS; ++i) subs.push_back(name);
  for (const std::string& sub : subs) DumpKey(root, key + "\\" + sub, out);
}

const char kEnvironment[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

// What the registry holds wherever an installation writes.
std::vector<std::string> RegistrySnapshot() {
  std::vector<std::string> out;
  for (const char* k : {"File_Verification_Database", ".SFV", ".CRC", ".CKZ", ".CSV", ".PAR",
                        ".MD5", ".SHA1", ".SHA256", ".SHA512", ".B3", ".XXH3", ".XXH128",
                        "CLSID\\{5c1e7a42-93b0-4d6f-a8e1-2f70c4d9b316}",
                        "*\\shellex\\ContextMenuHandlers\\Corvana Shell Extension",
                        "*\\shellex\\PropertySheetHandlers\\Corvana Shell Extension",
                        "Directory\\shellex\\ContextMenuHandlers\\Corvana Shell Extension"})
    DumpKey(HKEY_LOCAL_MACHINE, kClasses + k, &out);
  Value path = ReadValue(HKEY_LOCAL_MACHINE, kEnvironment, "Path");
  out.push_back("Path|" + std::to_string(path.present) + "|" + std::to_string(path.type) + "|" +
                path.bytes);
  DumpKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvana",
          &out);
  DumpKey(HKEY_LOCAL_MACHINE,
          "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellCompatibility\\Objects", &out);
  Value approved =
      ReadValue(HKEY_LOCAL_MACHINE,
                "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved",
                "{5c1e7a42-93b0-4d6f-a8e1-2f70c4d9b316}");
  out.push_back("Approved|" + std::to_string(approved.present) + approved.bytes);
  return out;
}

const char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";

// The files and folders the system removes at the next restart, UTF-8,
// without the "\\??\\" the entries carry.
std::vector<std::string> PendingRemovals() {
  std::vector<std::string> out;
  HKEY k = nullptr;
  if (RegOpenKeyUtf8(HKEY_LOCAL_MACHINE, kSessionManager, KEY_READ, &k) != ERROR_SUCCESS)
    return out;
  UniqueRegKey owner(k);
  std::wstring data(65536, L'\0');
  DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t)), type = 0;
  if (::RegQueryValueExW(k, L"PendingFileRenameOperations", nullptr, &type,
                         reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
    return out;
  data.resize(size / sizeof(wchar_t));
  // Pairs of source and target; an empty target means removal.
  std::vector<std::wstring> strings;
  for (size_t at = 0; at < data.size();) {
    const size_t end = data.find(L'\0', at);
    strings.push_back(data.substr(at, end - at));
    at = end == std::wstring::npos ? data.size() : end + 1;
  }
  for (size_t i = 0; i + 1 < strings.size(); i += 2) {
    if (!strings[i + 1].empty() || strings[i].empty()) continue;
    std::string path = Utf8(strings[i]);
    if (path.compare(0, 4, "\\??\\") == 0) path.erase(0, 4);
    out.push_back(path);
  }
  return out;
}

bool Pending(const std::string& path) {
  for (const std::string& p : PendingRemovals())
    if (EqualsIgnoringCase(p, path)) return true;
  return false;
}

// Keeps the prefix's list of removals at the next restart as it was.
class PendingRemovalsKept {
 public:
  PendingRemovalsKept() { Save(); }
  ~PendingRemovalsKept() {
    HKEY k = nullptr;
    if (RegOpenKeyUtf8(HKEY_LOCAL_MACHINE, kSessionManager, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS)
      return;
    if (present_)
      ::RegSetValueExW(k, L"PendingFileRenameOperations", 0, REG_MULTI_SZ,
                       reinterpret_cast<const BYTE*>(bytes_.data()),
                       static_cast<DWORD>(bytes_.size()));
    else
      ::RegDeleteValueW(k, L"PendingFileRenameOperations");
    ::RegCloseKey(k);
  }

 private:
  void Save() {
    HKEY k = nullptr;
    if (RegOpenKeyUtf8(HKEY_LOCAL_MACHINE, kSessionManager, KEY_READ, &k) != ERROR_SUCCESS) return;
    DWORD size = 0;
    present_ = ::RegQueryValueExW(k, L"PendingFileRenameOperations", nullptr, nullptr, nullptr,
                                  &size) == ERROR_SUCCESS;
    bytes_.resize(size);
    if (present_)
      ::RegQueryValueExW(k, L"PendingFileRenameOperations", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(bytes_.data()), &size);
    ::RegCloseKey(k);
  }
  bool present_ = false;
  std::string bytes_;
};

bool KeyThere(HKEY root, const std::string& key) {
  HKEY k = nullptr;
  if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  ::RegCloseKey(k);
  return true;
}

void SetDefault(HKEY root, const std::string& key, const char* name, const std::string& data) {
  HKEY k = nullptr;
  ASSERT_EQ(
      ::RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
      ERROR_SUCCESS);
  ::RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
  ::RegCloseKey(k);
}

const std::string kUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvana";
const std::string kApproved =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
const std::string kCompat =
    std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellCompatibility\\Objects\\") +
    kClsid;

// Every key of ours that an uninstallation must leave behind gone, and the
// extension keys (foreign ones are put back by the tests that make them).
void RemoveOurRegistry() {
  ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kCompat.c_str());
  ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kUninstallKey.c_str());
  for (const char* e : kExtensions) ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, (kClasses + e).c_str());
  for (const char* k :
       {"File_Verification_Database", "*\\shellex\\ContextMenuHandlers\\Corvana Shell Extension",
        "*\\shellex\\PropertySheetHandlers\\Corvana Shell Extension",
        "Directory\\shellex\\ContextMenuHandlers\\Corvana Shell Extension"})
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, (kClasses + k).c_str());
  ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, (kClasses + "CLSID\\" + kClsid).c_str());
  HKEY k = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kApproved.c_str(), 0, KEY_ALL_ACCESS, &k) ==
      ERROR_SUCCESS) {
    ::RegDeleteValueA(k, kClsid);
    ::RegCloseKey(k);
  }
}

// Names of what is still there of ours.
std::vector<std::string> OurRegistryLeft() {
  std::vector<std::string> left;
  if (KeyThere(HKEY_LOCAL_MACHINE, kCompat)) left.push_back(kCompat);
  if (KeyThere(HKEY_LOCAL_MACHINE, kUninstallKey)) left.push_back(kUninstallKey);
  for (const char* k :
       {"File_Verification_Database", "*\\shellex\\ContextMenuHandlers\\Corvana Shell Extension",
        "*\\shellex\\PropertySheetHandlers\\Corvana Shell Extension",
        "Directory\\shellex\\ContextMenuHandlers\\Corvana Shell Extension"})
    if (KeyThere(HKEY_LOCAL_MACHINE, kClasses + k)) left.push_back(k);
  if (KeyThere(HKEY_LOCAL_MACHINE, kClasses + std::string("CLSID\\") + kClsid))
    left.push_back("CLSID");
  if (ReadValue(HKEY_LOCAL_MACHINE, kApproved, kClsid).present) left.push_back("Approved");
  for (const char* e : kExtensions) {
    Value v = ReadValue(HKEY_LOCAL_MACHINE, kClasses + e, nullptr);
    if (v.present && v.bytes.find("File_Verification_Database") == 0) left.push_back(e);
  }
  return left;
}

std::string Str(const Value& v) {
  return v.present ? std::string(v.bytes.c_str()) : "(none)";
}

std::string IniValue(const std::string& ini, const char* key) {
  char value[512] = {};
  ::GetPrivateProfileStringA("Corvana", key, "(none)", value, sizeof value, ini.c_str());
  return value;
}

// The access an access list grants the local Users group, 0 when none, and
// the number of its entries.
DWORD UsersAccess(PACL dacl, DWORD* entries) {
  BYTE users[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof users;
  ::CreateWellKnownSid(WinBuiltinUsersSid, nullptr, users, &size);
  DWORD mask = 0;
  *entries = dacl ? dacl->AceCount : 0;
  for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
    ACE_HEADER* ace = nullptr;
    if (!::GetAce(dacl, i, reinterpret_cast<void**>(&ace))) continue;
    if (ace->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
    auto* allowed = reinterpret_cast<ACCESS_ALLOWED_ACE*>(ace);
    if (::EqualSid(&allowed->SidStart, users)) mask |= allowed->Mask;
  }
  return mask;
}

// Wine answers for a file with an access list made from its Unix mode and
// keeps no list that is set, so the entry is checked on the list the
// installer hands to the system, built from the file's real one.
TEST(SettingsFileAccess, UsersMayChangeTheSettingsFileBesideItsExistingEntries) {
  const std::string folder = MakeTempFolder("acl");
  const std::string ini = folder + "Corvana.ini";
  PutFile(ini, "[Corvana]\r\n");
  PACL current = nullptr;
  PSECURITY_DESCRIPTOR sd = nullptr;
  ASSERT_EQ(::GetNamedSecurityInfoA(ini.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                    nullptr, &current, nullptr, &sd),
            static_cast<DWORD>(ERROR_SUCCESS));
  DWORD before = 0, after = 0;
  EXPECT_EQ(UsersAccess(current, &before), 0u);
  PACL updated = AclGrantingUsersModify(current);
  ASSERT_NE(updated, nullptr);
  const DWORD modify = FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE;
  EXPECT_EQ(UsersAccess(updated, &after), modify);
  EXPECT_EQ(after, before + 1);
  ::LocalFree(updated);
  ::LocalFree(sd);
  EXPECT_TRUE(GrantUsersModify(ini));
  RemoveTree(folder);
}

// The folder's access list as the installer hands it to the system (Wine
// keeps none that is set): Program Files' rights, the parent's cut off.
TEST(FolderAccess, OnlyAdministratorsAndTheSystemMayChangeTheFolder) {
  std::vector<BYTE> descriptor;
  ASSERT_TRUE(BuildFolderSecurity(&descriptor));
  ASSERT_TRUE(::IsValidSecurityDescriptor(descriptor.data()));
  PWSTR sddl = nullptr;
  ASSERT_TRUE(::ConvertSecurityDescriptorToStringSecurityDescriptorW(
      descriptor.data(), SDDL_REVISION_1, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
      &sddl, nullptr));
  EXPECT_EQ(Utf8(sddl), "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)");
  ::LocalFree(sddl);
  // The system's own calls take it, on an existing folder and on one
  // created with it.
  const std::string folder = MakeTempFolder("rights");
  SavedFolderSecurity earlier;
  EXPECT_TRUE(SecureFolder(folder, &earlier));
  EXPECT_FALSE(earlier.descriptor.empty());
  EXPECT_TRUE(RestoreFolderSecurity(folder, earlier));
  EXPECT_TRUE(CreateSecuredFolder(folder + "new"));
  EXPECT_TRUE(FileThere(folder + "new"));
  EXPECT_FALSE(CreateSecuredFolder(folder + "new"));
  RemoveTree(folder);
}

// What the folder's security calls hand to the system, as text: the
// protection, then the owner and access list.
struct SecurityWrite {
  std::string protection, sddl;
};
std::vector<SecurityWrite> gSecurityWrites;
std::string gEarlierSecurity;  // what the folder has, as text

DWORD ReadEarlier(const std::wstring&, std::vector<BYTE>* descriptor) {
  PSECURITY_DESCRIPTOR sd = nullptr;
  ULONG size = 0;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(gEarlierSecurity.c_str(),
                                                              SDDL_REVISION_1, &sd, &size))
    return ::GetLastError();
  const BYTE* bytes = static_cast<const BYTE*>(sd);
  descriptor->assign(bytes, bytes + size);
  ::LocalFree(sd);
  return ERROR_SUCCESS;
}

DWORD RecordWrite(const std::wstring&, SECURITY_INFORMATION info, PSID owner, PACL dacl) {
  SECURITY_DESCRIPTOR sd;
  ::InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  ::SetSecurityDescriptorOwner(&sd, owner, FALSE);
  ::SetSecurityDescriptorDacl(&sd, TRUE, dacl, FALSE);
  LPSTR text = nullptr;
  ::ConvertSecurityDescriptorToStringSecurityDescriptorA(
      &sd, SDDL_REVISION_1, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &text, nullptr);
  const bool both = (info & OWNER_SECURITY_INFORMATION) && (info & DACL_SECURITY_INFORMATION);
  std::string protection = (info & PROTECTED_DACL_SECURITY_INFORMATION)     ? "protected"
                           : (info & UNPROTECTED_DACL_SECURITY_INFORMATION) ? "unprotected"
                                                                            : "(neither)";
  gSecurityWrites.push_back({both ? protection : "(not owner and list)", text ? text : ""});
  ::LocalFree(text);
  return ERROR_SUCCESS;
}

// A folder a standard user created and owns (so could rewrite its list and
// replace the files): the installer makes the Administrators group its
// owner with a protected list, and a rollback gives back the user's
// ownership and list exactly, inheriting from the parent or not as before.
TEST(FolderAccess, ARollbackPutsBackTheEarlierOwnerAndAccessListExactly) {
  const std::string user = "S-1-5-21-1004336348-1177238915-682003330-1001";
  struct Case {
    const char* earlier;
    const char* protection;
  };
  const std::string inherits =
      "O:" + user + "D:AI(A;OICI;FA;;;" + user + ")(A;OICIID;0x1200a9;;;BU)";
  const std::string own = "O:" + user + "D:PAI(A;OICI;FA;;;" + user + ")(D;;WD;;;WD)";
  const Case cases[] = {{inherits.c_str(), "unprotected"}, {own.c_str(), "protected"}};
  const SecurityCalls calls{ReadEarlier, RecordWrite};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.earlier);
    gEarlierSecurity = c.earlier;
    gSecurityWrites.clear();
    SavedFolderSecurity earlier;
    ASSERT_TRUE(SecureFolder("C:\\Corvana\\", &earlier, calls));
    ASSERT_TRUE(RestoreFolderSecurity("C:\\Corvana\\", earlier, calls));
    ASSERT_EQ(gSecurityWrites.size(), 2u);
    EXPECT_EQ(gSecurityWrites[0].protection, "protected");
    EXPECT_EQ(gSecurityWrites[0].sddl,
              "O:BAD:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)");
    EXPECT_EQ(gSecurityWrites[1].protection, c.protection);
    // The same owner and entries, flags and order included; the list's own
    // control bits travel as the protection above.
    std::string expected = c.earlier;
    for (const char* control : {"D:PAI(", "D:AI("}) {
      const size_t at = expected.find(control);
      if (at != std::string::npos) expected.replace(at, std::strlen(control), "D:(");
    }
    EXPECT_EQ(gSecurityWrites[1].sddl, expected);
  }
  // Nothing saved (a folder this run created): nothing is written back.
  gSecurityWrites.clear();
  EXPECT_TRUE(RestoreFolderSecurity("C:\\Corvana\\", SavedFolderSecurity{}, calls));
  EXPECT_TRUE(gSecurityWrites.empty());
}

std::string ShortcutTarget(const std::string& link) {
  ComPtr<IShellLinkW> shell;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(shell.Put()))))
    return "(no link object)";
  ComPtr<IPersistFile> file;
  shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Put()));
  if (!file || FAILED(file->Load(Wide(link).c_str(), STGM_READ))) return "(unreadable)";
  // The item list names the target in Unicode (Wine keeps the link's plain
  // path only in the ANSI code page).
  PIDLIST_ABSOLUTE items = nullptr;
  wchar_t target[1024] = {};
  if (FAILED(shell->GetIDList(&items)) || !items) return "(no item list)";
  if (!::SHGetPathFromIDListEx(items, target, 1024, GPFIDL_DEFAULT)) target[0] = L'\0';
  ::CoTaskMemFree(items);
  return Utf8(target);
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
  DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > timeoutMs) return false;
    ::Sleep(20);
  }
  return true;
}

std::string WindowsFolder() {
  char path[MAX_PATH] = {};
  ::GetWindowsDirectoryA(path, sizeof path);
  return WithTrailingSlash(path);
}

// Sets the machine's Path as `v` holds it (absent: none).
void PutPath(const Value& v) {
  HKEY k = nullptr;
  if (RegOpenKeyUtf8(HKEY_LOCAL_MACHINE, kEnvironment, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
  UniqueRegKey owner(k);
  if (!v.present) {
    ::RegDeleteValueW(k, L"Path");
    return;
  }
  const std::wstring text = Wide(v.bytes.c_str());
  ::RegSetValueExW(k, L"Path", 0, v.type, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

Value PathValue(const std::string& text) {
  return {true, REG_EXPAND_SZ, text + '\0'};
}

class Installation : public ::testing::Test {
 protected:
  // The installer puts its shortcut on the public desktop: point it at a
  // folder of the test instead, and keep Wine from mirroring shortcuts into
  // the Linux menus.
  static void SetUpTestSuite() {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    char overrides[512] = {};
    ::GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
    std::string all = overrides;
    all = (all.empty() ? all : all + ";") + "winemenubuilder.exe=d";
    ::SetEnvironmentVariableA("WINEDLLOVERRIDES", all.c_str());
    savedDesktop_ = ReadValue(HKEY_LOCAL_MACHINE, kShellFolders, "Common Desktop");
    savedManaged_ = ReadValue(HKEY_CURRENT_USER, kX11Driver, "Managed");
    SetDefault(HKEY_CURRENT_USER, kX11Driver, "Managed", "N");
    desktop_ = MakeTempFolder("desktop");
  }
  static void TearDownTestSuite() {
    if (savedDesktop_.present) {
      SetDefault(HKEY_LOCAL_MACHINE, kShellFolders, "Common Desktop", savedDesktop_.bytes.c_str());
    } else {
      HKEY k = nullptr;
      if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kShellFolders, 0, KEY_ALL_ACCESS, &k) ==
          ERROR_SUCCESS) {
        ::RegDeleteValueA(k, "Common Desktop");
        ::RegCloseKey(k);
      }
    }
    if (savedManaged_.present) {
      SetDefault(HKEY_CURRENT_USER, kX11Driver, "Managed", savedManaged_.bytes.c_str());
    } else {
      HKEY k = nullptr;
      if (::RegOpenKeyExA(HKEY_CURRENT_USER, kX11Driver, 0, KEY_ALL_ACCESS, &k) == ERROR_SUCCESS) {
        ::RegDeleteValueA(k, "Managed");
        ::RegCloseKey(k);
      }
    }
    RemoveTree(desktop_);
    ::CoUninitialize();
  }

  void SetUp() override {
    RemoveOurRegistry();
    savedPath_ = ReadValue(HKEY_LOCAL_MACHINE, kEnvironment, "Path");
    base_ = MakeTempFolder("install");
    folder_ = base_ + "Program Files X\\Corvana\\";
  }
  void TearDown() override {
    RemoveOurRegistry();
    PutPath(savedPath_);
    RemoveTreeUtf8(base_);
    ::DeleteFileA((desktop_ + "Corvana.lnk").c_str());
  }

  SetupRun Install(SetupAnswers answers) {
    if (answers.folder.empty()) answers.folder = folder_;
    return Run("\"" + kInstaller + "\"", answers);
  }

  // The known-folder API reads the public desktop from this value.
  SetupRun Run(const std::string& commandLine, const SetupAnswers& answers) {
    SetDefault(HKEY_LOCAL_MACHINE, kShellFolders, "Common Desktop",
               desktopOverride_.empty() ? WithoutTrailingSlash(desktop_) : desktopOverride_);
    return RunSetupProgram(commandLine, answers);
  }

  static constexpr const char* kShellFolders =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  // Without a window manager on the test's display, Wine waits two seconds
  // for one to take each window it hides (every dialog and box the
  // installer ends): the programs started here keep their windows to
  // themselves instead.
  static constexpr const char* kX11Driver = "Software\\Wine\\X11 Driver";
  static inline Value savedManaged_;
  static inline Value savedDesktop_;
  static inline std::string desktop_;
  std::string base_, folder_;
  std::string desktopOverride_;
  Value savedPath_;  // the prefix's Path, put back after each test
};

struct Row {
  HKEY root;
  std::string key;
  const char* name;
  std::string data;
};

// The rows a full installation into `f` leaves, MD5 not chosen.
std::vector<Row> ExpectedRows(const std::string& f) {
  const std::string type = "File_Verification_Database";
  const std::string clsid = std::string("CLSID\\") + kClsid;
  std::vector<Row> rows = {
      {HKEY_LOCAL_MACHINE, kCompat, "CTXMENU_NOVERBS", ""},
      {HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", "Corvana (Remove only)"},
      {HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", "\"" + f + "CRVNUNST.EXE\" " + f},
      {HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString",
       "\"" + f + "CRVNUNST.EXE\" /S " + f},
      {HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion", "2.33"},
      {HKEY_LOCAL_MACHINE, kUninstallKey, "Publisher", "Corvana project"},
      {HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon", f + "Corvana.EXE,0"},
      {HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation", WithoutTrailingSlash(f)},
      {HKEY_LOCAL_MACHINE, kClasses + type, nullptr, "File Verification Database"},
      {HKEY_LOCAL_MACHINE, kClasses + type + "\\DefaultIcon", nullptr, f + "Corvana.EXE,0"},
      {HKEY_LOCAL_MACHINE, kClasses + type + "\\Shell", nullptr, "open"},
      {HKEY_LOCAL_MACHINE, kClasses + type + "\\Shell\\open", nullptr, "&Open"},
      {HKEY_LOCAL_MACHINE, kClasses + type + "\\Shell\\open\\command", nullptr,
       "\"" + f + "Corvana.EXE\" \"%1\""},
      {HKEY_LOCAL_MACHINE, kClasses + type + "\\Shell\\verify_all", nullptr, "&Verify All"},
      {HKEY_LOCAL_MACHINE, kClasses + type + "\\Shell\\verify_all\\command", nullptr,
       "\"" + f + "Corvana.EXE\" DOALL \"%1\""},
      {HKEY_LOCAL_MACHINE,
       kClasses + "Directory\\shellex\\ContextMenuHandlers\\Corvana Shell Extension", nullptr,
       kClsid},
      {HKEY_LOCAL_MACHINE, kClasses + "*\\shellex\\ContextMenuHandlers\\Corvana Shell Extension",
       nullptr, kClsid},
      {HKEY_LOCAL_MACHINE, kClasses + "*\\shellex\\PropertySheetHandlers\\Corvana Shell Extension",
       nullptr, kClsid},
      {HKEY_LOCAL_MACHINE, kClasses + clsid, nullptr, "Corvana Shell Extension"},
      {HKEY_LOCAL_MACHINE, kClasses + clsid + "\\InProcServer32", nullptr, f + "CRVNShll.dll"},
      {HKEY_LOCAL_MACHINE, kClasses + clsid + "\\InProcServer32", "ThreadingModel", "Apartment"},
      {HKEY_LOCAL_MACHINE, kApproved, kClsid, "Corvana Shell Extension"}};
  for (const char* e : {".SFV", ".CRC", ".CKZ", ".CSV", ".PAR", ".SHA1", ".SHA256", ".SHA512",
                        ".B3", ".XXH3", ".XXH128"})
    rows.push_back({HKEY_LOCAL_MACHINE, kClasses + e, nullptr, type});
  return rows;
}

// Starts `verb` of `list`'s association as Explorer would, waits until the
// verifier it starts shows "Finished", and closes it; the window's caption,
// and in `names` (when given) the names of the rows it showed.
std::string OpenThroughAssociation(const std::string& list, const char* verb = "open",
                                   std::vector<std::string>* names = nullptr) {
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = verb;
  info.lpFile = list.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!::ShellExecuteExA(&info) || !info.hProcess) return "(not started)";
  UniqueKernelHandle process(info.hProcess);
  DWORD pid = ::GetProcessId(process.Get());
  std::string caption;
  WaitFor(
      [&] {
        HWND main = FindProcessWindow(pid, "CRVN_MAIN");
        caption = main ? WindowText(main) : "";
        return caption == "Finished";
      },
      60000);
  if (HWND main = FindProcessWindow(pid, "CRVN_MAIN")) {
    if (names) {
      ListViewReader rows(::GetDlgItem(main, 501), process.Get());
      for (const ListRow& row : rows.Rows()) names->push_back(row.name);
    }
    ::PostMessageA(main, WM_CLOSE, 0, 0);
  }
  if (::WaitForSingleObject(process.Get(), 20000) != WAIT_OBJECT_0)
    ::TerminateProcess(process.Get(), 1);
  return caption;
}

TEST_F(Installation, InstallsIntoAFolderWithBlanksIsUsedAndUninstallsCompletely) {
  SetDefault(HKEY_LOCAL_MACHINE, kClasses + ".MD5", nullptr, kForeignType);
  SetDefault(HKEY_LOCAL_MACHINE, kClasses + ".MD5\\OpenWithProgids", kForeignType, "");

  SetupRun run = Install({});
  ASSERT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.dialogs,
            (std::vector<std::string>{"Corvana Installation Folder", "Corvana Options",
                                      "File Associations", "Installation successful"}));
  EXPECT_EQ(run.misplaced, std::vector<std::string>());
  EXPECT_EQ(
      run.proposal,
      WithTrailingSlash(Str(ReadValue(
          HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir"))) +
          "Corvana");
  const int expectedStart[7] = {BST_CHECKED, BST_CHECKED,       BST_CHECKED, BST_CHECKED,
                                BST_CHECKED, BST_INDETERMINATE, BST_CHECKED};
  for (int t = 0; t < 7; ++t) EXPECT_EQ(run.typeStates[t], expectedStart[t]) << kExtensions[t];
  ASSERT_EQ(run.messages.size(), 1u);
  EXPECT_EQ(run.messages[0].caption, "Installation successful");
  EXPECT_EQ(run.messages[0].text, kSuccessText);
  EXPECT_FALSE(run.messages[0].icon);

  // The uninstall entry's numbers: the size of the files in KiB, and no
  // "Change" or "Repair".
  // crvn.exe is carried when the build has it.
  const std::string crvn = CRVN_EXE_PATH;
  const size_t bytes = GetFile(BuiltCorvana()).size() + GetFile(kBuiltDll).size() +
                       GetFile(kBuiltUninstaller).size() + GetFile(kHistory).size() +
                       (crvn.empty() ? 0 : GetFile(crvn).size());
  for (auto [name, number] : {std::pair<const char*, DWORD>{"EstimatedSize", (bytes + 1023) / 1024},
                              {"NoModify", 1},
                              {"NoRepair", 1}}) {
    Value v = ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, name);
    EXPECT_EQ(v.type, static_cast<DWORD>(REG_DWORD)) << name;
    EXPECT_EQ(v.bytes, std::string(reinterpret_cast<const char*>(&number), 4)) << name;
  }
  // The registry, value by value: strings with their terminating zero.
  for (const Row& row : ExpectedRows(folder_)) {
    SCOPED_TRACE(row.key + " " + (row.name ? row.name : "(default)"));
    Value v = ReadValue(row.root, row.key, row.name);
    ASSERT_TRUE(v.present);
    EXPECT_EQ(v.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(v.bytes, row.data + '\0');
  }
  EXPECT_EQ(Str(ReadValue(HKEY_LOCAL_MACHINE, kClasses + ".MD5", nullptr)), kForeignType);

  // The files are this build's own.
  EXPECT_EQ(GetFile(folder_ + "Corvana.EXE"), GetFile(BuiltCorvana()));
  EXPECT_EQ(GetFile(folder_ + "CRVNShll.dll"), GetFile(kBuiltDll));
  EXPECT_EQ(GetFile(folder_ + "CRVNUNST.EXE"), GetFile(kBuiltUninstaller));
  EXPECT_EQ(GetFile(folder_ + "history.txt"), GetFile(kHistory));
  EXPECT_FALSE(FileThere(folder_ + "Corvana.tmp"));

  const std::string ini = folder_ + "Corvana.ini";
  std::string signature = IniValue(ini, "Signature");
  EXPECT_EQ(signature.find_first_not_of("0123456789abcdef"), std::string::npos) << signature;
  EXPECT_GE(signature.size(), 14u);  // a file time of this century
  EXPECT_EQ(IniValue(ini, "UpdateDB"), "(none)");

  EXPECT_EQ(ShortcutTarget(desktop_ + "Corvana.lnk"), folder_ + "Corvana.exe");

  // A double-click on a list starts the installed verifier on it, which
  // verifies it and stores its database in the list.
  const std::string lists = base_ + "lists x\\";
  ::CreateDirectoryA(lists.c_str(), nullptr);
  const std::string content = "a file to check\r\n";
  PutFile(lists + "a b.txt", content);
  char line[64];
  std::snprintf(line, sizeof line, "a b.txt %08X\r\n", Crc32Of(content));
  PutFile(lists + "set 1.sfv", line);
  EXPECT_EQ(OpenThroughAssociation(lists + "set 1.sfv"), "Finished");
  EXPECT_NE(GetFile(lists + "set 1.sfv").find(";Q2-" + signature), std::string::npos);
  // The digest tools' lists, by either verb: the verifier takes the list's
  // entry (whatever it finds), and such a list is never written.
  const std::string sha256 = "abc check.sha256";
  const std::string list256 =
      "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad  abc\n";  // "abc"
  PutFile(lists + "abc", "abc");
  PutFile(lists + sha256, list256);
  for (const char* verb : {"open", "verify_all"}) {
    SCOPED_TRACE(verb);
    std::vector<std::string> names;
    EXPECT_EQ(OpenThroughAssociation(lists + sha256, verb, &names), "Finished");
    EXPECT_NE(std::find(names.begin(), names.end(), "abc"), names.end());
  }
  EXPECT_EQ(GetFile(lists + sha256), list256);

  // The uninstall entry as the system runs it: declined first, then done.
  const std::string command = Str(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"));
  SetupAnswers no;
  no.sure = IDNO;
  SetupRun declined = Run(command, no);
  EXPECT_EQ(declined.exitCode, 0u);
  EXPECT_TRUE(KeyThere(HKEY_LOCAL_MACHINE, kUninstallKey));

  SetupRun removed = Run(command, {});
  EXPECT_EQ(removed.exitCode, 1u);
  ASSERT_EQ(removed.messages.size(), 2u);
  EXPECT_EQ(removed.messages[0].caption, "Are you sure?");
  EXPECT_EQ(removed.messages[0].text, "Are you sure you want to uninstall Corvana?");
  EXPECT_EQ(removed.messages[1].caption, "Uninstall successful");
  EXPECT_EQ(removed.messages[1].text, "Corvana has been uninstalled.");
  EXPECT_EQ(OurRegistryLeft(), std::vector<std::string>());
  EXPECT_EQ(Str(ReadValue(HKEY_LOCAL_MACHINE, kClasses + ".MD5", nullptr)), kForeignType);
  EXPECT_TRUE(KeyThere(HKEY_LOCAL_MACHINE, kClasses + ".MD5\\OpenWithProgids"));
  EXPECT_FALSE(FileThere(desktop_ + "Corvana.lnk"));

  // The files, the folder and the batch file itself go once the uninstaller
  // has ended.
  const std::string batch = WindowsFolder() + "CRVNExit.bat";
  EXPECT_TRUE(WaitFor([&] { return !FileThere(folder_) && !FileThere(batch); }, 60000))
      << "folder there: " << FileThere(folder_) << ", batch there: " << FileThere(batch);
  EXPECT_TRUE(FileThere(lists + "set 1.sfv"));
}

TEST_F(Installation, DeclinedShellExtensionAndDatabaseAndClearedTypes) {
  PutPath(PathValue("C:\\windows\\system32"));
  SetupAnswers a;
  a.shellExtension = false;
  a.updateDb = false;
  a.usePath = false;
  a.typeClicks[0] = 1;  // SFV: checked -> indeterminate, left alone
  a.typeClicks[1] = 2;  // CRC: checked -> indeterminate -> cleared
  a.typeClicks[6] = 1;  // the digest tools' lists: indeterminate, left alone
  SetupRun run = Install(a);
  ASSERT_EQ(run.exitCode, 1u);
  EXPECT_FALSE(FileThere(folder_ + "CRVNShll.dll"));
  EXPECT_TRUE(FileThere(folder_ + "Corvana.EXE"));
  EXPECT_TRUE(KeyThere(HKEY_LOCAL_MACHINE, kCompat));
  EXPECT_FALSE(KeyThere(HKEY_LOCAL_MACHINE, kClasses + std::string("CLSID\\") + kClsid));
  EXPECT_FALSE(KeyThere(HKEY_LOCAL_MACHINE,
                        kClasses + "*\\shellex\\ContextMenuHandlers\\Corvana Shell Extension"));
  EXPECT_FALSE(
      KeyThere(HKEY_LOCAL_MACHINE,
               kClasses + "Directory\\shellex\\ContextMenuHandlers\\Corvana Shell Extension"));
  EXPECT_FALSE(KeyThere(HKEY_LOCAL_MACHINE,
                        kClasses + "*\\shellex\\PropertySheetHandlers\\Corvana Shell Extension"));
  EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kApproved, kClsid).present);
  EXPECT_EQ(Str(ReadValue(HKEY_LOCAL_MACHINE, kEnvironment, "Path")), "C:\\windows\\system32");
  EXPECT_EQ(Str(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "PathEntry")), "");
  EXPECT_FALSE(KeyThere(HKEY_LOCAL_MACHINE, kClasses + ".SFV"));
  EXPECT_FALSE(KeyThere(HKEY_LOCAL_MACHINE, kClasses + ".CRC"));
  for (const char* e : kDigestExtensions)
    EXPECT_FALSE(KeyThere(HKEY_LOCAL_MACHINE, kClasses + e)) << e;
  EXPECT_EQ(Str(ReadValue(HKEY_LOCAL_MACHINE, kClasses + ".CKZ", nullptr)),
            "File_Verification_Database");
  EXPECT_EQ(IniValue(folder_ + "Corvana.ini", "UpdateDB"), "0");
}

TEST_F(Installation, ReinstallationProposesTheEarlierFolderAndKeepsItsSignature) {
  struct Case {
    const char* form;
    std::string uninstallString;
  };
  const Case cases[] = {
      {"unquoted", folder_ + "CRVNUNST.EXE " + folder_},
      {"quoted", "\"" + folder_ + "CRVNUNST.EXE\" " + folder_},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.form);
    SetDefault(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", c.uninstallString);
    ::CreateDirectoryA((base_ + "Program Files X").c_str(), nullptr);
    ::CreateDirectoryA(folder_.c_str(), nullptr);
    PutFile(folder_ + "Corvana.ini", "[Corvana]\r\nSignature=5eed1e55\r\nUpdateDB=0\r\n");
    PutFile(folder_ + "Corvana.EXE", "earlier");
    PutFile(folder_ + "CRVNUNST.EXE", "earlier");
    SetupAnswers keep;
    keep.folder = "";
    SetupRun run = Run("\"" + kInstaller + "\"", keep);
    ASSERT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.proposal, folder_);
    EXPECT_TRUE(FileThere(folder_ + "Corvana.EXE"));
    EXPECT_EQ(IniValue(folder_ + "Corvana.ini", "Signature"), "5eed1e55");
    EXPECT_EQ(IniValue(folder_ + "Corvana.ini", "UpdateDB"), "0");
    RemoveOurRegistry();
    RemoveTree(folder_);
  }
}

TEST_F(Installation, ANewerInstalledVerifierIsKeptOnlyWhenTheUserSaysSo) {
  const std::string newer = GetFile(kNewerProgram);
  ASSERT_FALSE(newer.empty());
  for (int answer : {IDYES, IDNO}) {
    SCOPED_TRACE(answer == IDYES ? "keep" : "replace");
    ::CreateDirectoryA((base_ + "Program Files X").c_str(), nullptr);
    ::CreateDirectoryA(folder_.c_str(), nullptr);
    PutFile(folder_ + "Corvana.EXE", newer);
    PutFile(folder_ + "CRVNUNST.EXE", "an older uninstaller");
    PutFile(folder_ + "history.txt", "an older history");
    SetupAnswers a;
    a.keepNewer = answer;
    SetupRun run = Install(a);
    ASSERT_EQ(run.exitCode, 1u);
    ASSERT_EQ(run.messages.size(), 2u);
    EXPECT_EQ(run.messages[0].caption, "Keep newer version?");
    EXPECT_EQ(run.messages[0].text, NewerVersionQuestion("Corvana.EXE"));
    EXPECT_EQ(run.messages[1].caption, "Installation successful");
    EXPECT_EQ(GetFile(folder_ + "Corvana.EXE") == newer, answer == IDYES);
    EXPECT_EQ(GetFile(folder_ + "history.txt"), GetFile(kHistory));
    RemoveOurRegistry();
    RemoveTree(folder_);
  }
}

// What an installation leaves in its folder, file by file.
std::vector<std::string> FolderFiles(const std::string& folder) {
  std::vector<std::string> out;
  FoundFile found;
  HANDLE search = FindFirstUtf8((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return out;
  do {
    if (found.Name != "." && found.Name != "..")
      out.push_back(found.Name + " " + std::to_string(Crc32Of(GetFileUtf8(folder + found.Name))));
  } while (FindNextUtf8(search, &found));
  ::FindClose(search);
  std::sort(out.begin(), out.end());
  return out;
}

TEST_F(Installation, AFileHeldWithoutSharingLeavesTheEarlierInstallationAsItWas) {
  // Files of an earlier installation, in the order they are copied.
  const char* const names[] = {"CRVNShll.dll", "Corvana.EXE", "CRVNUNST.EXE", "history.txt"};
  for (int locked : {0, 2}) {
    SCOPED_TRACE(names[locked]);
    ::CreateDirectoryA((base_ + "Program Files X").c_str(), nullptr);
    ::CreateDirectoryA(folder_.c_str(), nullptr);
    for (const char* name : names) PutFile(folder_ + name, std::string("earlier ") + name);
    const std::vector<std::string> before = FolderFiles(folder_);
    // Held open without any sharing: it can be neither replaced nor renamed.
    UniqueFileHandle lock(::CreateFileA((folder_ + names[locked]).c_str(), GENERIC_READ, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock.Valid());
    SetupRun run = Install({});
    lock.Reset();
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_EQ(run.messages[0].caption, "Installation failed");
    EXPECT_EQ(run.messages[0].text, kCopyFailedText);
    EXPECT_TRUE(run.messages[0].icon);
    // Every earlier file as it was, and nothing written beside them left.
    EXPECT_EQ(FolderFiles(folder_), before);
    EXPECT_EQ(OurRegistryLeft(), std::vector<std::string>());
    EXPECT_FALSE(FileThere(desktop_ + "Corvana.lnk"));
    RemoveTree(folder_);
  }
}

// A failed step puts back exactly what the registry held, and the files:
// for a first installation nothing of it stays, the volatile key that made
// the registration fail included; for a reinstallation the earlier one
// stays working.
TEST_F(Installation, AFailedRegistrationOrShortcutPutsBackExactlyWhatWasThere) {
  struct Case {
    const char* step;
    bool earlier;
    const char* text;
  };
  const Case cases[] = {{"association", false, kAssociationFailedText},
                        {"shortcut", false, kShortcutFailedText},
                        {"shortcut", true, kShortcutFailedText}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.step) + (c.earlier ? " after an earlier installation" : ""));
    SetDefault(HKEY_LOCAL_MACHINE, kClasses + ".MD5", nullptr, kForeignType);
    SetDefault(HKEY_LOCAL_MACHINE, kClasses + ".MD5\\OpenWithProgids", kForeignType, "");
    desktopOverride_.clear();
    if (c.earlier) {
      SetupAnswers first;
      first.typeClicks[1] = 2;  // CRC cleared in the earlier installation
      ASSERT_EQ(Install(first).exitCode, 1u);
    }
    if (std::string(c.step) == "association") {
      // No key that lasts can be made below a volatile one.
      HKEY k = nullptr;
      ASSERT_EQ(::RegCreateKeyExA(
                    HKEY_LOCAL_MACHINE, (kClasses + "File_Verification_Database\\Shell").c_str(), 0,
                    nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &k, nullptr),
                ERROR_SUCCESS);
      ::RegCloseKey(k);
    } else {
      desktopOverride_ = base_ + "no such desktop";
    }
    // A copy another run has staged is never written, taken or removed.
    if (c.earlier) PutFile(folder_ + "Corvana.EXE.new", "another run's copy");
    const std::vector<std::string> registry = RegistrySnapshot();
    const std::vector<std::string> files = FolderFiles(folder_);
    SetupAnswers a;
    a.typeClicks[5] = 2;  // MD5: indeterminate -> cleared -> checked, taken over
    SetupRun run = Install(a);
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_EQ(run.messages[0].caption, "Installation failed");
    EXPECT_EQ(run.messages[0].text, c.text);
    EXPECT_TRUE(run.messages[0].icon);
    EXPECT_EQ(RegistrySnapshot(), registry);
    EXPECT_EQ(FolderFiles(folder_), files);
    EXPECT_EQ(FileThere(folder_), c.earlier);
    EXPECT_EQ(Str(ReadValue(HKEY_LOCAL_MACHINE, kClasses + ".MD5", nullptr)), kForeignType);
    if (c.earlier) {
      EXPECT_EQ(GetFile(folder_ + "Corvana.EXE"), GetFile(BuiltCorvana()));
      EXPECT_EQ(Str(ReadValue(HKEY_LOCAL_MACHINE, kClasses + ".SFV", nullptr)),
                "File_Verification_Database");
    }
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, (kClasses + "File_Verification_Database").c_str());
    RemoveOurRegistry();
    RemoveTree(folder_);
  }
}

// Explorer holds the loaded extension open for reading and sharing its
// deletion, so it cannot be overwritten: the upgrade renames it aside and
// deletes it, or leaves it to the next restart.
TEST_F(Installation, AnUpgradeSucceedsWhileTheShellExtensionIsLoaded) {
  PendingRemovalsKept kept;
  ASSERT_EQ(Install({}).exitCode, 1u);
  HMODULE loaded = ::LoadLibraryW(Wide(folder_ + "CRVNShll.dll").c_str());
  ASSERT_NE(loaded, nullptr);
  SetupRun run = Install({});
  EXPECT_EQ(run.exitCode, 1u);
  ASSERT_EQ(run.messages.size(), 1u);
  EXPECT_EQ(run.messages[0].caption, "Installation successful");
  EXPECT_EQ(GetFile(folder_ + "CRVNShll.dll"), GetFile(kBuiltDll));
  // The earlier copy is gone, or (where the system refuses to delete a
  // loaded module, as Windows does) waits for the restart.
  const std::string old = folder_ + "CRVNShll.dll.old";
  EXPECT_TRUE(!FileThere(old) || Pending(old));
  EXPECT_FALSE(FileThere(folder_ + "CRVNShll.dll.new"));
  EXPECT_FALSE(FileThere(folder_ + "Corvana.EXE.old"));
  ::FreeLibrary(loaded);
}

// Another program's data under an extension key stays: a type taken over
// goes back to its earlier owner, and a key that has gained another
// program's entries since keeps them.
TEST_F(Installation, UninstallGivesTypesBackAndKeepsOtherProgramsData) {
  SetDefault(HKEY_LOCAL_MACHINE, kClasses + ".CSV", nullptr, "OtherSheet.csv");
  SetDefault(HKEY_LOCAL_MACHINE, kClasses + ".CSV", "Content Type", "text/csv");
  SetDefault(HKEY_LOCAL_MACHINE, kClasses + ".CSV\\OpenWithProgids", "OtherSheet.csv", "");
  // One of the digest tools' extensions is another program's.
  SetDefault(HKEY_LOCAL_MACHINE, kClasses + ".SHA256", nullptr, "Hasher.sha256");
  SetDefault(HKEY_LOCAL_MACHINE, kClasses + ".SHA256\\OpenWithProgids", "Hasher.sha256", "");
  SetupAnswers a;
  a.typeClicks[3] = 2;  // CSV: indeterminate -> cleared -> checked, taken over
  a.typeClicks[6] = 2;  // the four likewise
  SetupRun run = Install(a);
  ASSERT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.typeStates[6], BST_INDETERMINATE);
  for (const char* e : {".CSV", ".SHA1", ".SHA256", ".SHA512", ".B3", ".XXH3", ".XXH128"})
    EXPECT_EQ(Str(ReadValue(HKEY_LOCAL_MACHINE, kClasses + e, nullptr)),
              "File_Verification_Database")
        << e;
  EXPECT_EQ(Str(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey + "\\PreviousOwners", ".CSV")),
            "OtherSheet.csv");
  EXPECT_EQ(Str(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey + "\\PreviousOwners", ".SHA256")),
            "Hasher.sha256");
  EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey + "\\PreviousOwners", ".B3").present);
  SetDefault(HKEY_LOCAL_MACHINE, kClasses + ".SFV\\OpenWithProgids", kForeignType, "");

  SetupRun removed = Run(Str(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString")), {});
  EXPECT_EQ(removed.exitCode, 1u);
  EXPECT_EQ(Str(ReadValue(HKEY_LOCAL_MACHINE, kClasses + ".CSV", nullptr)), "OtherSheet.csv");
  EXPECT_EQ(Str(ReadValue(HKEY_LOCAL_MACHINE, kClasses + ".CSV", "Content Type")), "text/csv");
  EXPECT_TRUE(KeyThere(HKEY_LOCAL_MACHINE, kClasses + ".CSV\\OpenWithProgids"));
  EXPECT_EQ(Str(ReadValue(HKEY_LOCAL_MACHINE, kClasses + ".SHA256", nullptr)), "Hasher.sha256");
  EXPECT_TRUE(KeyThere(HKEY_LOCAL_MACHINE, kClasses + ".SHA256\\OpenWithProgids"));
  for (const char* e : {".SHA1", ".SHA512", ".B3", ".XXH3", ".XXH128"})
    EXPECT_FALSE(KeyThere(HKEY_LOCAL_MACHINE, kClasses + e)) << e;
  EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kClasses + ".SFV", nullptr).present);
  EXPECT_TRUE(KeyThere(HKEY_LOCAL_MACHINE, kClasses + ".SFV\\OpenWithProgids"));
  EXPECT_FALSE(KeyThere(HKEY_LOCAL_MACHINE, kClasses + ".CRC"));
  EXPECT_EQ(OurRegistryLeft(), std::vector<std::string>());
  EXPECT_TRUE(WaitFor(
      [&] { return !FileThere(folder_) && !FileThere(WindowsFolder() + "CRVNExit.bat"); }, 60000));
}

// /S: the proposed folder (an earlier installation's) or /D=, the default
// choices, no window at all, and the exit code; the quiet uninstall string
// likewise.
TEST_F(Installation, SilentInstallationAndRemovalAnswerWithExitCodes) {
  SetDefault(HKEY_LOCAL_MACHINE, kClasses + ".MD5", nullptr, kForeignType);
  SetDefault(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString",
             "\"" + folder_ + "CRVNUNST.EXE\" " + folder_);
  SetupRun proposed = Run("\"" + kInstaller + "\" /S", {});
  EXPECT_EQ(proposed.exitCode, 0u);
  EXPECT_EQ(proposed.dialogs, std::vector<std::string>());
  EXPECT_EQ(GetFile(folder_ + "Corvana.EXE"), GetFile(BuiltCorvana()));
  EXPECT_EQ(GetFile(folder_ + "CRVNShll.dll"), GetFile(kBuiltDll));
  EXPECT_EQ(IniValue(folder_ + "Corvana.ini", "UpdateDB"), "(none)");
  for (const char* e : {".SFV", ".CRC", ".CKZ", ".CSV", ".PAR", ".SHA1", ".SHA256", ".SHA512",
                        ".B3", ".XXH3", ".XXH128"})
    EXPECT_EQ(Str(ReadValue(HKEY_LOCAL_MACHINE, kClasses + e, nullptr)),
              "File_Verification_Database")
        << e;
  EXPECT_EQ(Str(ReadValue(HKEY_LOCAL_MACHINE, kClasses + ".MD5", nullptr)), kForeignType);
  EXPECT_EQ(ShortcutTarget(desktop_ + "Corvana.lnk"), folder_ + "Corvana.exe");
  const std::string quiet =
      Str(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString"));
  SetupRun removed = Run(quiet, {});
  EXPECT_EQ(removed.exitCode, 0u);
  EXPECT_EQ(removed.dialogs, std::vector<std::string>());
  EXPECT_EQ(OurRegistryLeft(), std::vector<std::string>());
  EXPECT_TRUE(WaitFor(
      [&] { return !FileThere(folder_) && !FileThere(WindowsFolder() + "CRVNExit.bat"); }, 60000));

  // /D= names the folder; a failure is an exit code, not a box. One of the
  // four digest extensions owned elsewhere leaves all four alone.
  SetDefault(HKEY_LOCAL_MACHINE, kClasses + ".B3", nullptr, "Hasher.b3");
  const std::string named = base_ + "named \xC3\xA9\\";
  SetupRun there = Run("\"" + kInstaller + "\" /S /D=" + named, {});
  EXPECT_EQ(there.exitCode, 0u);
  EXPECT_TRUE(FileThereUtf8(named + "Corvana.EXE"));
  EXPECT_EQ(Str(ReadValue(HKEY_LOCAL_MACHINE, kClasses + ".B3", nullptr)), "Hasher.b3");
  for (const char* e : {".SHA1", ".SHA256", ".SHA512"})
    EXPECT_FALSE(KeyThere(HKEY_LOCAL_MACHINE, kClasses + e)) << e;
  EXPECT_EQ(Str(ReadValue(HKEY_LOCAL_MACHINE, kClasses + ".CRC", nullptr)),
            "File_Verification_Database");
  RemoveOurRegistry();
  desktopOverride_ = base_ + "no such desktop";
  SetupRun failed = Run("\"" + kInstaller + "\" /S /D=" + named, {});
  EXPECT_EQ(failed.exitCode, 4u);
  EXPECT_EQ(failed.dialogs, std::vector<std::string>());
}

TEST_F(Installation, TheUninstallerEmptiesOnlyTheFolderThatHoldsIt) {
  // Arguments that do not name its folder: another folder, nothing, and
  // what an unquoted command line in a folder with blanks hands over.
  const std::string other = base_ + "other\\";
  const std::string arguments[] = {other, "", "X\\Corvana\\CRVNUNST.EXE " + folder_};
  for (const std::string& argument : arguments) {
    SCOPED_TRACE(argument);
    ::CreateDirectoryA((base_ + "Program Files X").c_str(), nullptr);
    ::CreateDirectoryA(folder_.c_str(), nullptr);
    ::CreateDirectoryA(other.c_str(), nullptr);
    ::CopyFileA(kBuiltUninstaller.c_str(), (folder_ + "CRVNUNST.EXE").c_str(), FALSE);
    PutFile(folder_ + "Corvana.EXE", "installed");
    PutFile(other + "Corvana.EXE", "someone else's");
    SetupRun run = Run("\"" + folder_ + "CRVNUNST.EXE\" " + argument, {});
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_TRUE(
        WaitFor([&] { return !FileThere(folder_) && !FileThere(WindowsFolder() + "CRVNExit.bat"); },
                60000));
    EXPECT_EQ(GetFile(other + "Corvana.EXE"), "someone else's");
  }
}

// Every name of the shared table in one folder (all but the one ending in a
// dot, which no folder path the system hands back can keep), and a folder of
// 200 characters: installed, used through the shortcut's target and the
// registry, and removed with the batch file.
TEST_F(Installation, InstallsAndUninstallsInUnicodeAndLongFolders) {
  std::string names;
  for (const UnicodeName& n : kUnicodeNames) {
    const std::string name = n.Utf8;
    if (name.back() == '.') continue;
    names += names.empty() ? name : " " + name;
  }
  // Names of 30 characters at most, none empty.
  std::string deep = base_;
  while (deep.size() < 200 - 8) deep += deep.size() % 31 == 30 && deep.back() != '\\' ? '\\' : 'd';
  if (deep.back() == '\\') deep.back() = 'd';
  deep += "\\Corvana";
  ASSERT_EQ(deep.size(), 200u);
  const std::string folders[] = {base_ + names + "\\Corvana\\", deep + "\\"};
  for (const std::string& folder : folders) {
    SCOPED_TRACE(folder);
    SetupAnswers a;
    a.folder = folder;
    SetupRun run = Install(a);
    ASSERT_EQ(run.exitCode, 1u);
    for (const char* name : {"Corvana.EXE", "CRVNShll.dll", "CRVNUNST.EXE", "history.txt"})
      EXPECT_TRUE(FileThereUtf8(folder + name)) << name;
    EXPECT_EQ(GetFileUtf8(folder + "Corvana.EXE"), GetFile(BuiltCorvana()));
    EXPECT_NE(GetFileUtf8(folder + "Corvana.ini").find("Signature="), std::string::npos);
    const std::string command =
        Str(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"));
    EXPECT_EQ(command, "\"" + folder + "CRVNUNST.EXE\" " + folder);
    EXPECT_EQ(
        Str(ReadValue(HKEY_LOCAL_MACHINE,
                      kClasses + std::string("CLSID\\") + kClsid + "\\InProcServer32", nullptr)),
        folder + "CRVNShll.dll");
    EXPECT_EQ(ShortcutTarget(desktop_ + "Corvana.lnk"), folder + "Corvana.exe");

    SetupRun removed = Run(command, {});
    EXPECT_EQ(removed.exitCode, 1u);
    EXPECT_EQ(OurRegistryLeft(), std::vector<std::string>());
    // The batch file deletes itself just after the folder.
    const std::string batch = WindowsFolder() + "CRVNExit.bat";
    EXPECT_TRUE(WaitFor([&] { return !FileThereUtf8(folder) && !FileThere(batch); }, 60000));
  }
}

// A read-only file goes all the same; an uninstaller that another program
// holds open (so that it can be neither renamed nor deleted) is tried ten
// times a second apart, then left to the next restart with its folder.
TEST_F(Installation, TheSelfRemovalEndsWithinItsBoundAndLeavesWhatIsHeldToARestart) {
  PendingRemovalsKept kept;
  ASSERT_EQ(Install({}).exitCode, 1u);
  ::SetFileAttributesA((folder_ + "history.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  UniqueFileHandle held(::CreateFileA((folder_ + "CRVNUNST.EXE").c_str(), GENERIC_READ,
                                      FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held.Valid());
  const std::string batch = WindowsFolder() + "CRVNExit.bat";
  SetupRun removed = Run(Str(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString")), {});
  EXPECT_EQ(removed.exitCode, 1u);
  ASSERT_EQ(removed.messages.size(), 2u);
  EXPECT_EQ(removed.messages[1].text, "Corvana has been uninstalled.");
  const DWORD start = ::GetTickCount();
  EXPECT_TRUE(WaitFor([&] { return !FileThere(batch); }, 60000));
  const DWORD took = ::GetTickCount() - start;
  EXPECT_GE(took, 5000u);  // it paused between its tries
  for (const char* name : {"history.txt", "Corvana.EXE", "CRVNShll.dll", "Corvana.ini"})
    EXPECT_FALSE(FileThere(folder_ + name)) << name;
  EXPECT_TRUE(FileThere(folder_ + "CRVNUNST.EXE"));
  const std::vector<std::string> pending = PendingRemovals();
  const auto uninstaller = std::find_if(pending.begin(), pending.end(), [&](const std::string& p) {
    return EqualsIgnoringCase(p, folder_ + "CRVNUNST.EXE");
  });
  const auto folder = std::find_if(pending.begin(), pending.end(), [&](const std::string& p) {
    return EqualsIgnoringCase(p, WithoutTrailingSlash(folder_));
  });
  EXPECT_NE(uninstaller, pending.end());
  EXPECT_NE(folder, pending.end());
  EXPECT_LT(uninstaller, folder);  // the folder goes after what it holds
}

// Nothing is written for a drive's root or a folder of another program's
// files: /S ends with 6, and the folder dialog says why and asks again.
TEST_F(Installation, RefusesADriveRootOrAnotherProgramsFolderHavingWrittenNothing) {
  const std::string other = base_ + "Other Program\\";
  ::CreateDirectoryA(other.c_str(), nullptr);
  PutFile(other + "tool.exe", "another program");
  PutFile(other + "Corvana.EXE", "a file of the same name");
  const std::vector<std::string> registry = RegistrySnapshot();
  const std::vector<std::string> files = FolderFiles(other);
  for (const std::string& folder : {std::string("C:\\"), std::string("C:"), other}) {
    SCOPED_TRACE(folder);
    SetupRun run = Run("\"" + kInstaller + "\" /S /D=" + folder, {});
    EXPECT_EQ(run.exitCode, 6u);
    EXPECT_EQ(run.dialogs, std::vector<std::string>());
    EXPECT_EQ(RegistrySnapshot(), registry);
    EXPECT_EQ(FolderFiles(other), files);
    EXPECT_FALSE(FileThere("C:\\CRVNUNST.EXE"));
    EXPECT_FALSE(FileThere(desktop_ + "Corvana.lnk"));
  }
  SetupAnswers a;
  a.refusedFolders = {"D:\\", other};
  SetupRun run = Install(a);
  EXPECT_EQ(run.exitCode, 1u);
  ASSERT_EQ(run.messages.size(), 3u);
  EXPECT_EQ(run.messages[0].caption, "Choose another folder");
  EXPECT_EQ(run.messages[0].text, FolderRefusalText(FolderVerdict::DriveRoot));
  EXPECT_EQ(run.messages[1].caption, "Choose another folder");
  EXPECT_EQ(run.messages[1].text, FolderRefusalText(FolderVerdict::HoldsOtherFiles));
  EXPECT_EQ(run.messages[2].caption, "Installation successful");
  EXPECT_EQ(GetFile(folder_ + "Corvana.EXE"), GetFile(BuiltCorvana()));
  EXPECT_EQ(FolderFiles(other), files);
}

// A second installer or uninstaller while one runs (here the first waits
// at its folder dialog) says so and ends, or ends with 7 under /S.
TEST_F(Installation, OneSetupRunsAtATime) {
  std::wstring line = Wide("\"" + kInstaller + "\"");
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &si, &pi));
  UniqueKernelHandle first(pi.hProcess);
  UniqueKernelHandle firstThread(pi.hThread);
  HWND dialog = nullptr;
  ASSERT_TRUE(
      WaitFor([&] { return (dialog = FindProcessWindow(pi.dwProcessId, "#32770")); }, 60000));
  SetupRun silent = Run("\"" + kInstaller + "\" /S /D=" + folder_, {});
  EXPECT_EQ(silent.exitCode, 7u);
  EXPECT_EQ(silent.dialogs, std::vector<std::string>());
  SetupRun asked = Install({});
  EXPECT_EQ(asked.exitCode, 0u);
  ASSERT_EQ(asked.messages.size(), 1u);
  EXPECT_EQ(asked.messages[0].caption, "Corvana Setup");
  EXPECT_EQ(asked.messages[0].text, "Corvana Setup is already running.");
  SetupRun removal = Run("\"" + kBuiltUninstaller + "\" /S " + folder_, {});
  EXPECT_EQ(removal.exitCode, 7u);
  EXPECT_FALSE(FileThere(folder_));
  ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_EQ(::WaitForSingleObject(first.Get(), 30000), WAIT_OBJECT_0);
  DWORD code = 0;
  ::GetExitCodeProcess(first.Get(), &code);
  EXPECT_EQ(code, 0u);
  // Once it has ended, the next one runs.
  EXPECT_EQ(Run("\"" + kInstaller + "\" /S /D=" + folder_, {}).exitCode, 0u);
}

// An elevated process sees, through HKEY_CLASSES_ROOT, the administrator's
// own classes wherever the key exists there: the installer reads and
// writes the machine's, and gives a taken-over type back with its type.
TEST_F(Installation, AssociationsGoToTheMachinesClassesBesideAUsersOwnKey) {
  const std::string user = "Software\\Classes\\.md5";
  SetDefault(HKEY_CURRENT_USER, user, nullptr, "UserTool.md5");
  HKEY k = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kClasses + ".CSV").c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &k, nullptr),
            ERROR_SUCCESS);
  const char sheet[] = "%SheetTool%.csv";
  ::RegSetValueExA(k, nullptr, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(sheet),
                   sizeof sheet);
  ::RegCloseKey(k);
  SetupAnswers a;
  a.typeClicks[3] = 2;  // CSV: indeterminate -> cleared -> checked, taken over
  SetupRun run = Install(a);
  ASSERT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.typeStates[5], BST_CHECKED);  // the user's key is not the machine's owner
  EXPECT_EQ(Str(ReadValue(HKEY_LOCAL_MACHINE, kClasses + ".MD5", nullptr)),
            "File_Verification_Database");
  EXPECT_EQ(Str(ReadValue(HKEY_LOCAL_MACHINE, kClasses + ".CSV", nullptr)),
            "File_Verification_Database");
  const Value owner = ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey + "\\PreviousOwners", ".CSV");
  EXPECT_EQ(owner.type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(Str(owner), sheet);
  // Nothing of ours among the user's classes.
  EXPECT_EQ(Str(ReadValue(HKEY_CURRENT_USER, user, nullptr)), "UserTool.md5");
  for (const char* key : {"Software\\Classes\\File_Verification_Database",
                          "Software\\Classes\\CLSID\\{5c1e7a42-93b0-4d6f-a8e1-2f70c4d9b316}",
                          "Software\\Classes\\.SFV"})
    EXPECT_FALSE(KeyThere(HKEY_CURRENT_USER, key)) << key;

  SetupRun removed =
      Run(Str(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString")), {});
  EXPECT_EQ(removed.exitCode, 0u);
  const Value back = ReadValue(HKEY_LOCAL_MACHINE, kClasses + ".CSV", nullptr);
  EXPECT_EQ(back.type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(Str(back), sheet);
  EXPECT_FALSE(KeyThere(HKEY_LOCAL_MACHINE, kClasses + ".MD5"));
  EXPECT_EQ(Str(ReadValue(HKEY_CURRENT_USER, user, nullptr)), "UserTool.md5");
  EXPECT_EQ(OurRegistryLeft(), std::vector<std::string>());
  ::RegDeleteTreeA(HKEY_CURRENT_USER, user.c_str());
  ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, (kClasses + ".CSV").c_str());
}

// "Use crvn from the command line": the folder joins the machine's Path
// once, as an expandable string, stays once on reinstallation, and the
// uninstaller takes out that entry and nothing else.
// What the programs broadcast as WM_SETTINGCHANGE, received by a hidden
// top-level window of this thread.
std::vector<std::string> gSettingChanges;

LRESULT CALLBACK SettingsWatcher(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SETTINGCHANGE)
    gSettingChanges.push_back(lp ? Utf8(reinterpret_cast<const wchar_t*>(lp)) : "(none)");
  return ::DefWindowProcW(w, msg, wp, lp);
}

TEST_F(Installation, TheFolderGoesOnThePathOnceAndLeavesItExactly) {
  WNDCLASSW watcherClass = {};
  watcherClass.lpfnWndProc = SettingsWatcher;
  watcherClass.hInstance = ::GetModuleHandleW(nullptr);
  watcherClass.lpszClassName = L"CRVN_TEST_SETTINGS";
  ::RegisterClassW(&watcherClass);
  HWND watcher = ::CreateWindowExW(0, L"CRVN_TEST_SETTINGS", L"", WS_POPUP, 0, 0, 1, 1, nullptr,
                                   nullptr, ::GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(watcher, nullptr);
  gSettingChanges.clear();
  const std::string before = "%SystemRoot%\\system32;%SystemRoot%;;C:\\Tools";
  PutPath(PathValue(before));
  const std::string entry = WithoutTrailingSlash(folder_);
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run == 0 ? "installed" : "reinstalled");
    ASSERT_EQ(Run("\"" + kInstaller + "\" /S /D=" + folder_, {}).exitCode, 0u);
    const Value path = ReadValue(HKEY_LOCAL_MACHINE, kEnvironment, "Path");
    EXPECT_EQ(path.type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(Str(path), before + ";" + entry);
    EXPECT_EQ(Str(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "PathEntry")), entry);
    // Told once, when the Path changed.
    EXPECT_EQ(std::count(gSettingChanges.begin(), gSettingChanges.end(), "Environment"), 1);
  }
  // An entry added since stays, and so does everything else.
  PutPath(PathValue(before + ";" + entry + ";C:\\Later"));
  SetupRun removed =
      Run(Str(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString")), {});
  EXPECT_EQ(removed.exitCode, 0u);
  const Value path = ReadValue(HKEY_LOCAL_MACHINE, kEnvironment, "Path");
  EXPECT_EQ(path.type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(Str(path), before + ";C:\\Later");
  EXPECT_EQ(std::count(gSettingChanges.begin(), gSettingChanges.end(), "Environment"), 2);
  ::DestroyWindow(watcher);
}

// An installation in a drive's root (which an earlier installer allowed):
// the uninstaller removes its files and never takes the root, or "C:" (the
// current folder of drive C), for the folder to remove; a program it cannot
// delete is started, renamed aside, under a name Windows runs, which leaves
// it to the next restart. Mapped as images (as running programs are), the
// files can be renamed but not deleted.
TEST_F(Installation, AnInstallationInADriveRootLeavesTheRootAlone) {
  PendingRemovalsKept kept;
  ASSERT_TRUE(::CopyFileA(kBuiltUninstaller.c_str(), "C:\\CRVNUNST.EXE", FALSE));
  ASSERT_TRUE(::CopyFileA(kNewerProgram.c_str(), "C:\\Corvana.EXE", FALSE));
  PutFile("C:\\history.txt", "history");
  HMODULE verifier = ::LoadLibraryExA("C:\\Corvana.EXE", nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  HMODULE uninstaller =
      ::LoadLibraryExA("C:\\CRVNUNST.EXE", nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(verifier, nullptr);
  ASSERT_NE(uninstaller, nullptr);
  // The current folder of drive C while it runs.
  const std::string current = base_ + "current";
  ::CreateDirectoryA(current.c_str(), nullptr);
  char saved[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, saved);
  ::SetCurrentDirectoryA(current.c_str());
  SetupRun run = Run("\"C:\\CRVNUNST.EXE\" /S C:\\", {});
  ::SetCurrentDirectoryA(saved);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_FALSE(FileThere("C:\\history.txt"));
  EXPECT_TRUE(WaitFor([&] { return !FileThere(WindowsFolder() + "CRVNExit.bat"); }, 60000));
  EXPECT_TRUE(Pending("C:\\Corvana.EXE.old"));
  EXPECT_TRUE(Pending("C:\\CRVNUNST.EXE.old.exe"));
  for (const std::string& p : PendingRemovals()) {
    EXPECT_FALSE(EqualsIgnoringCase(WithTrailingSlash(p), "C:\\")) << p;
    EXPECT_FALSE(EqualsIgnoringCase(WithTrailingSlash(p), WithTrailingSlash(current))) << p;
  }
  EXPECT_TRUE(FileThere(current));
  EXPECT_TRUE(FileThere(WindowsFolder()));
  ::FreeLibrary(verifier);
  ::FreeLibrary(uninstaller);
  for (const char* left :
       {"C:\\Corvana.EXE.old", "C:\\CRVNUNST.EXE.old.exe", "C:\\Corvana.EXE", "C:\\CRVNUNST.EXE"})
    ::DeleteFileA(left);
}

}  // namespace
