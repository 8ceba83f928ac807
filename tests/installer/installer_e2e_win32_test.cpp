// CRVNINST and CRVNUNST as a user meets them: separate processes whose
// dialogs and boxes are answered from here, checked against the registry,
// the files and the shortcut they leave behind in this build's Wine prefix.
#include <gtest/gtest.h>

#include <aclapi.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <windows.h>

#include <string>
#include <vector>

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
const char kForeignType[] = "OtherTool.md5";
const char* const kExtensions[] = {".SFV", ".CRC", ".CKZ", ".CSV", ".PAR", ".MD5"};

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
  for (const char* e : kExtensions) ::RegDeleteTreeA(HKEY_CLASSES_ROOT, e);
  for (const char* k :
       {"File_Verification_Database", "*\\shellex\\ContextMenuHandlers\\Corvana Shell Extension",
        "Directory\\shellex\\ContextMenuHandlers\\Corvana Shell Extension"})
    ::RegDeleteTreeA(HKEY_CLASSES_ROOT, k);
  ::RegDeleteTreeA(HKEY_CLASSES_ROOT, (std::string("CLSID\\") + kClsid).c_str());
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
        "Directory\\shellex\\ContextMenuHandlers\\Corvana Shell Extension"})
    if (KeyThere(HKEY_CLASSES_ROOT, k)) left.push_back(k);
  if (KeyThere(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kClsid)) left.push_back("CLSID");
  if (ReadValue(HKEY_LOCAL_MACHINE, kApproved, kClsid).present) left.push_back("Approved");
  for (const char* e : kExtensions) {
    Value v = ReadValue(HKEY_CLASSES_ROOT, e, nullptr);
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
    ::Sleep(100);
  }
  return true;
}

std::string WindowsFolder() {
  char path[MAX_PATH] = {};
  ::GetWindowsDirectoryA(path, sizeof path);
  return WithTrailingSlash(path);
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
    RemoveTree(desktop_);
    ::CoUninitialize();
  }

  void SetUp() override {
    RemoveOurRegistry();
    base_ = MakeTempFolder("install");
    folder_ = base_ + "Program Files X\\Corvana\\";
  }
  void TearDown() override {
    RemoveOurRegistry();
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
  static inline Value savedDesktop_;
  static inline std::string desktop_;
  std::string base_, folder_;
  std::string desktopOverride_;
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
      {HKEY_CLASSES_ROOT, type, nullptr, "File Verification Database"},
      {HKEY_CLASSES_ROOT, type + "\\DefaultIcon", nullptr, f + "Corvana.EXE,0"},
      {HKEY_CLASSES_ROOT, type + "\\Shell", nullptr, "open"},
      {HKEY_CLASSES_ROOT, type + "\\Shell\\open", nullptr, "&Open"},
      {HKEY_CLASSES_ROOT, type + "\\Shell\\open\\command", nullptr,
       "\"" + f + "Corvana.EXE\" \"%1\""},
      {HKEY_CLASSES_ROOT, type + "\\Shell\\verify_all", nullptr, "&Verify All"},
      {HKEY_CLASSES_ROOT, type + "\\Shell\\verify_all\\command", nullptr,
       "\"" + f + "Corvana.EXE\" DOALL \"%1\""},
      {HKEY_CLASSES_ROOT, "Directory\\shellex\\ContextMenuHandlers\\Corvana Shell Extension",
       nullptr, kClsid},
      {HKEY_CLASSES_ROOT, "*\\shellex\\ContextMenuHandlers\\Corvana Shell Extension", nullptr,
       kClsid},
      {HKEY_CLASSES_ROOT, clsid, nullptr, "Corvana Shell Extension"},
      {HKEY_CLASSES_ROOT, clsid + "\\InProcServer32", nullptr, f + "CRVNShll.dll"},
      {HKEY_CLASSES_ROOT, clsid + "\\InProcServer32", "ThreadingModel", "Apartment"},
      {HKEY_LOCAL_MACHINE, kApproved, kClsid, "Corvana Shell Extension"}};
  for (const char* e : {".SFV", ".CRC", ".CKZ", ".CSV", ".PAR"})
    rows.push_back({HKEY_CLASSES_ROOT, e, nullptr, type});
  return rows;
}

// Opens `list` through its association as Explorer would, waits until the
// verifier it starts shows "Finished", and closes it; the window's caption.
std::string OpenThroughAssociation(const std::string& list) {
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = "open";
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
  if (HWND main = FindProcessWindow(pid, "CRVN_MAIN")) ::PostMessageA(main, WM_CLOSE, 0, 0);
  if (::WaitForSingleObject(process.Get(), 20000) != WAIT_OBJECT_0)
    ::TerminateProcess(process.Get(), 1);
  return caption;
}

TEST_F(Installation, InstallsIntoAFolderWithBlanksIsUsedAndUninstallsCompletely) {
  SetDefault(HKEY_CLASSES_ROOT, ".MD5", nullptr, kForeignType);
  SetDefault(HKEY_CLASSES_ROOT, ".MD5\\OpenWithProgids", kForeignType, "");

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
  const int expectedStart[6] = {BST_CHECKED, BST_CHECKED, BST_CHECKED,
                                BST_CHECKED, BST_CHECKED, BST_INDETERMINATE};
  for (int t = 0; t < 6; ++t) EXPECT_EQ(run.typeStates[t], expectedStart[t]) << kExtensions[t];
  ASSERT_EQ(run.messages.size(), 1u);
  EXPECT_EQ(run.messages[0].caption, "Installation successful");
  EXPECT_EQ(run.messages[0].text, kSuccessText);
  EXPECT_FALSE(run.messages[0].icon);

  // The registry, value by value: strings with their terminating zero.
  for (const Row& row : ExpectedRows(folder_)) {
    SCOPED_TRACE(row.key + " " + (row.name ? row.name : "(default)"));
    Value v = ReadValue(row.root, row.key, row.name);
    ASSERT_TRUE(v.present);
    EXPECT_EQ(v.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(v.bytes, row.data + '\0');
  }
  EXPECT_EQ(Str(ReadValue(HKEY_CLASSES_ROOT, ".MD5", nullptr)), kForeignType);

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
  EXPECT_EQ(Str(ReadValue(HKEY_CLASSES_ROOT, ".MD5", nullptr)), kForeignType);
  EXPECT_TRUE(KeyThere(HKEY_CLASSES_ROOT, ".MD5\\OpenWithProgids"));
  EXPECT_FALSE(FileThere(desktop_ + "Corvana.lnk"));

  // The files, the folder and the batch file itself go once the uninstaller
  // has ended.
  const std::string batch = WindowsFolder() + "CRVNExit.bat";
  EXPECT_TRUE(WaitFor([&] { return !FileThere(folder_) && !FileThere(batch); }, 60000))
      << "folder there: " << FileThere(folder_) << ", batch there: " << FileThere(batch);
  EXPECT_TRUE(FileThere(lists + "set 1.sfv"));
}

TEST_F(Installation, DeclinedShellExtensionAndDatabaseAndClearedTypes) {
  SetupAnswers a;
  a.shellExtension = false;
  a.updateDb = false;
  a.typeClicks[0] = 1;  // SFV: checked -> indeterminate, left alone
  a.typeClicks[1] = 2;  // CRC: checked -> indeterminate -> cleared
  SetupRun run = Install(a);
  ASSERT_EQ(run.exitCode, 1u);
  EXPECT_FALSE(FileThere(folder_ + "CRVNShll.dll"));
  EXPECT_TRUE(FileThere(folder_ + "Corvana.EXE"));
  EXPECT_TRUE(KeyThere(HKEY_LOCAL_MACHINE, kCompat));
  EXPECT_FALSE(KeyThere(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kClsid));
  EXPECT_FALSE(
      KeyThere(HKEY_CLASSES_ROOT, "*\\shellex\\ContextMenuHandlers\\Corvana Shell Extension"));
  EXPECT_FALSE(KeyThere(HKEY_CLASSES_ROOT,
                        "Directory\\shellex\\ContextMenuHandlers\\Corvana Shell Extension"));
  EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, kApproved, kClsid).present);
  EXPECT_FALSE(KeyThere(HKEY_CLASSES_ROOT, ".SFV"));
  EXPECT_FALSE(KeyThere(HKEY_CLASSES_ROOT, ".CRC"));
  EXPECT_EQ(Str(ReadValue(HKEY_CLASSES_ROOT, ".CKZ", nullptr)), "File_Verification_Database");
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

TEST_F(Installation, ALockedFileRollsTheCopyBackAndLeavesUntouchedFilesAlone) {
  // Files of an earlier installation, in the order they are copied.
  const char* const names[] = {"CRVNShll.dll", "Corvana.EXE", "CRVNUNST.EXE", "history.txt"};
  for (int locked : {0, 2}) {
    SCOPED_TRACE(names[locked]);
    ::CreateDirectoryA((base_ + "Program Files X").c_str(), nullptr);
    ::CreateDirectoryA(folder_.c_str(), nullptr);
    for (const char* name : names) PutFile(folder_ + name, std::string("earlier ") + name);
    // Held open without sharing, as Explorer holds a loaded extension.
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
    // What this run wrote before the locked file is gone; the rest is as it was.
    for (int i = 0; i < 4; ++i) {
      if (i < locked)
        EXPECT_FALSE(FileThere(folder_ + names[i])) << names[i];
      else
        EXPECT_EQ(GetFile(folder_ + names[i]), std::string("earlier ") + names[i]);
    }
    EXPECT_FALSE(FileThere(folder_ + "Corvana.tmp"));
    EXPECT_EQ(OurRegistryLeft(), std::vector<std::string>());
    EXPECT_FALSE(FileThere(desktop_ + "Corvana.lnk"));
    RemoveTree(folder_);
  }
}

TEST_F(Installation, AFailedRegistrationOrShortcutTakesEverythingBack) {
  struct Case {
    const char* step;
    const char* text;
  };
  const Case cases[] = {{"association", kAssociationFailedText}, {"shortcut", kShortcutFailedText}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    SetDefault(HKEY_CLASSES_ROOT, ".MD5", nullptr, kForeignType);
    SetDefault(HKEY_CLASSES_ROOT, ".MD5\\OpenWithProgids", kForeignType, "");
    desktopOverride_.clear();
    if (std::string(c.step) == "association") {
      // No key that lasts can be made below a volatile one.
      HKEY k = nullptr;
      ASSERT_EQ(
          ::RegCreateKeyExA(HKEY_CLASSES_ROOT, "File_Verification_Database\\Shell", 0, nullptr,
                            REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &k, nullptr),
          ERROR_SUCCESS);
      ::RegCloseKey(k);
    } else {
      desktopOverride_ = base_ + "no such desktop";
    }
    SetupAnswers a;
    a.typeClicks[5] = 2;  // MD5: indeterminate -> cleared -> checked, taken over
    SetupRun run = Install(a);
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_EQ(run.messages[0].caption, "Installation failed");
    EXPECT_EQ(run.messages[0].text, c.text);
    EXPECT_TRUE(run.messages[0].icon);
    EXPECT_EQ(OurRegistryLeft(), std::vector<std::string>());
    for (const char* e : {".SFV", ".CRC", ".CKZ", ".CSV", ".PAR"})
      EXPECT_FALSE(KeyThere(HKEY_CLASSES_ROOT, e)) << e;
    // The association taken over from another program is given back.
    EXPECT_EQ(Str(ReadValue(HKEY_CLASSES_ROOT, ".MD5", nullptr)), kForeignType);
    EXPECT_TRUE(KeyThere(HKEY_CLASSES_ROOT, ".MD5\\OpenWithProgids"));
    for (const char* name : {"CRVNShll.dll", "Corvana.EXE", "CRVNUNST.EXE", "history.txt"})
      EXPECT_FALSE(FileThere(folder_ + name)) << name;
    RemoveOurRegistry();
  }
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
    EXPECT_TRUE(WaitFor([&] { return !FileThere(folder_); }, 60000));
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
    EXPECT_EQ(Str(ReadValue(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kClsid + "\\InProcServer32",
                            nullptr)),
              folder + "CRVNShll.dll");
    EXPECT_EQ(ShortcutTarget(desktop_ + "Corvana.lnk"), folder + "Corvana.exe");

    SetupRun removed = Run(command, {});
    EXPECT_EQ(removed.exitCode, 1u);
    EXPECT_EQ(OurRegistryLeft(), std::vector<std::string>());
    EXPECT_TRUE(WaitFor([&] { return !FileThereUtf8(folder); }, 60000));
    EXPECT_FALSE(FileThere(WindowsFolder() + "CRVNExit.bat"));
  }
}

}  // namespace
