// The COM server and its context menu, as Explorer uses them: handlers come
// from CoCreateInstance on the registered DLL, selections from the shell.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/pipeline/test_files_win32.h"
#include "tests/shellext/explorer_host_win32.h"

namespace {

void Put(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

class ShellMenuTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new std::string(MakeTempFolder("shellmenu"));
    Put(*folder_ + "x.SFV", "");
    Put(*folder_ + "a.sfv", "");
    Put(*folder_ + "b.sfv", "");
    Put(*folder_ + "movie.avi", "movie");
    CreateDirectoryA((*folder_ + "sub").c_str(), nullptr);
    CreateDirectoryA((*folder_ + "empty").c_str(), nullptr);
    CreateDirectoryA((*folder_ + "empty\\inner").c_str(), nullptr);
    ASSERT_NE(InstallShellExtension(*folder_), "");
  }
  static void TearDownTestSuite() {
    UnregisterShellExtension();
    RemoveTree(*folder_);
    delete folder_;
  }
  void SetUp() override { ASSERT_TRUE(apartment_.Ok()); }

  std::string At(const char* name) { return *folder_ + name; }

  // A handler initialised with the selection.
  bool Handler(ShellHandler* handler, const std::vector<std::string>& names) {
    if (!handler->Create()) return false;
    std::vector<std::string> paths;
    for (const std::string& name : names) paths.push_back(At(name.c_str()));
    ComPtr<IDataObject> data = SelectionOf(paths);
    return data && handler->Initialize(data.Get()) == S_OK;
  }

  static std::string* folder_;
  ComApartment apartment_;
};
std::string* ShellMenuTest::folder_ = nullptr;

const std::vector<std::string> kBothItems(const char* verify) {
  return {"-", "&Create .SFV File", verify, "Open"};
}

TEST_F(ShellMenuTest, ItemsFollowTheSelectionAndTheFlags) {
  const char* one = "&Verify Individual File";
  const char* many = "&Verify Individual Files";
  struct Case {
    const char* what;
    std::vector<std::string> selection;
    UINT flags;
    std::vector<std::string> items;  // the menu after the call
  } cases[] = {
      {"one file", {"movie.avi"}, CMF_NORMAL, kBothItems(one)},
      {"one folder", {"sub"}, CMF_NORMAL, kBothItems(many)},
      {"one list, any case", {"x.SFV"}, CMF_NORMAL, {"Open"}},
      {"two lists", {"a.sfv", "b.sfv"}, CMF_NORMAL, kBothItems(many)},
      {"a file and a folder", {"movie.avi", "sub"}, CMF_NORMAL, kBothItems(many)},
      {"verbs only", {"movie.avi"}, CMF_VERBSONLY, kBothItems(one)},
      {"explore", {"movie.avi"}, CMF_EXPLORE, kBothItems(one)},
      {"default only", {"movie.avi"}, CMF_DEFAULTONLY, {"Open"}},
      {"no verbs", {"movie.avi"}, CMF_NOVERBS, {"Open"}},
  };
  for (const Case& c : cases) {
    ShellHandler handler;
    ASSERT_TRUE(Handler(&handler, c.selection)) << c.what;
    MenuOutcome menu = handler.QueryMenu(c.flags);
    EXPECT_EQ(menu.Items, c.items) << c.what;
    EXPECT_TRUE(SUCCEEDED(menu.Result)) << c.what;
    if (c.items.size() == 1) {
      EXPECT_EQ(HRESULT_CODE(menu.Result), 0) << c.what;
      continue;
    }
    EXPECT_EQ(HRESULT_CODE(menu.Result), 2) << c.what;
    EXPECT_EQ(menu.Ids[1], ShellHandler::kFirstId) << c.what;
    EXPECT_EQ(menu.Ids[2], ShellHandler::kFirstId + 1) << c.what;
    EXPECT_TRUE(menu.CheckBitmaps) << c.what;
  }
}

TEST_F(ShellMenuTest, NoItemsWithoutRoomForTwoIds) {
  ShellHandler handler;
  ASSERT_TRUE(Handler(&handler, {"movie.avi"}));
  MenuOutcome menu = handler.QueryMenu(CMF_NORMAL, 100, 100);
  EXPECT_EQ(menu.Items, std::vector<std::string>{"Open"});
  EXPECT_EQ(HRESULT_CODE(menu.Result), 0);
}

TEST_F(ShellMenuTest, TheStartMenuFolderGetsNoItems) {
  const char* key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  HKEY opened = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                            &opened, nullptr),
            ERROR_SUCCESS);
  UniqueRegKey shellFolders(opened);
  char saved[520] = {};
  DWORD size = sizeof saved - 1;
  bool hadValue = RegQueryValueExA(opened, "Start Menu", nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(saved), &size) == ERROR_SUCCESS;
  std::string upper = At("sub");
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  RegSetValueExA(opened, "Start Menu", 0, REG_SZ, reinterpret_cast<const BYTE*>(upper.c_str()),
                 static_cast<DWORD>(upper.size() + 1));
  ShellHandler handler;
  ASSERT_TRUE(Handler(&handler, {"sub"}));
  MenuOutcome menu = handler.QueryMenu(CMF_NORMAL);
  ShellHandler other;
  ASSERT_TRUE(Handler(&other, {"empty"}));
  MenuOutcome otherMenu = other.QueryMenu(CMF_NORMAL);
  if (hadValue)
    RegSetValueExA(opened, "Start Menu", 0, REG_SZ, reinterpret_cast<const BYTE*>(saved),
                   static_cast<DWORD>(strlen(saved) + 1));
  else
    RegDeleteValueA(opened, "Start Menu");
  EXPECT_EQ(menu.Items, std::vector<std::string>{"Open"});
  EXPECT_EQ(otherMenu.Items.size(), 4u);
}

TEST_F(ShellMenuTest, CommandStringsAreAnsiOrWideAndStayInTheBuffer) {
  ShellHandler handler;
  ASSERT_TRUE(Handler(&handler, {"movie.avi"}));
  HRESULT result = E_FAIL;
  EXPECT_EQ(handler.CommandString(0, false, &result), "Create .SFV File");
  EXPECT_EQ(result, S_OK);
  EXPECT_EQ(handler.CommandString(1, true, &result), "Verify Individual Files");
  EXPECT_EQ(handler.CommandString(0, true), "Create .SFV File");
  EXPECT_EQ(handler.CommandString(1, false), "Verify Individual Files");
  EXPECT_EQ(handler.CommandString(2, false, &result), "");  // untouched
  EXPECT_EQ(result, E_INVALIDARG);
  EXPECT_EQ(handler.CommandString(2, true, &result), "");
  EXPECT_EQ(result, E_INVALIDARG);
  // No verbs: InvokeCommand takes none.
  char verb[64] = "untouched";
  EXPECT_EQ(handler.Menu()->GetCommandString(0, GCS_VERBA, nullptr, verb, sizeof verb), E_NOTIMPL);
  EXPECT_STREQ(verb, "untouched");
  EXPECT_EQ(handler.Menu()->GetCommandString(1, GCS_VALIDATEA, nullptr, nullptr, 0), S_OK);
  EXPECT_EQ(handler.Menu()->GetCommandString(2, GCS_VALIDATEW, nullptr, nullptr, 0), S_FALSE);
  // A short buffer gets a shortened text, never more than it holds.
  EXPECT_EQ(handler.CommandString(0, false, nullptr, 7), "Create");
  EXPECT_EQ(handler.CommandString(1, true, nullptr, 7), "Verify");
}

TEST_F(ShellMenuTest, InvocationsThatDoNothing) {
  // A verb string and offsets without a command fail at once, before any
  // walk and without a command thread, so that the handler that has the verb
  // is asked; only empty folders run a command that finds nothing to do. No
  // dialog either way (a dialog would block until the timeout).
  struct Case {
    const char* what;
    std::vector<std::string> selection;
    const char* verb;
    UINT offset;
    HRESULT result;
  } cases[] = {
      {"verb string", {"sub"}, "create", 0, E_FAIL},
      {"only empty folders", {"empty"}, nullptr, 0, S_OK},
      {"unknown offset", {"sub"}, nullptr, 7, E_FAIL},
  };
  for (const Case& c : cases) {
    ShellHandler handler;
    ASSERT_TRUE(Handler(&handler, c.selection)) << c.what;
    DWORD start = GetTickCount();
    HRESULT result = c.verb ? handler.InvokeVerb(c.verb) : handler.InvokeAsync(c.offset);
    EXPECT_TRUE(WaitForCommands(5000)) << c.what;
    EXPECT_EQ(result, c.result) << c.what;
    EXPECT_LT(GetTickCount() - start, 5000u) << c.what;
  }
  ShellHandler bare;
  ASSERT_TRUE(bare.Create());
  EXPECT_EQ(bare.Invoke(0), E_FAIL);  // no selection
  bare.Initialize(nullptr);
  EXPECT_EQ(bare.Invoke(0), E_FAIL);
  MenuOutcome menu = bare.QueryMenu(CMF_NORMAL);  // no drop: the items still come
  EXPECT_EQ(menu.Items.size(), 4u);
}

TEST_F(ShellMenuTest, ComRulesAndUnloading) {
  {
    ShellHandler handler;
    ASSERT_TRUE(Handler(&handler, {"movie.avi"}));
    EXPECT_EQ(ModuleCanUnloadNow(), S_FALSE);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(handler.Menu()->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)),
              S_OK);
    EXPECT_EQ(static_cast<void*>(unknown), static_cast<void*>(handler.Init()));
    unknown->Release();
    void* other = &other;
    EXPECT_EQ(handler.Menu()->QueryInterface(IID_IDataObject, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);

    using GetClassObject = HRESULT(__stdcall*)(REFCLSID, REFIID, void**);
    auto getClassObject = reinterpret_cast<GetClassObject>(ModuleExport("DllGetClassObject"));
    ASSERT_NE(getClassObject, nullptr);
    void* factory = &factory;
    EXPECT_EQ(getClassObject(IID_IUnknown, IID_IClassFactory, &factory), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(factory, nullptr);
    CLSID id{};
    wchar_t wide[64];
    MultiByteToWideChar(CP_ACP, 0, kShellClassIdText, -1, wide, 64);
    CLSIDFromString(wide, &id);
    ComPtr<IClassFactory> classFactory;
    ASSERT_EQ(getClassObject(id, IID_IClassFactory, reinterpret_cast<void**>(classFactory.Put())),
              S_OK);
    void* made = &made;
    EXPECT_EQ(classFactory->CreateInstance(handler.Menu(), IID_IContextMenu, &made),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(classFactory->CreateInstance(nullptr, IID_IDataObject, &made), E_NOINTERFACE);
    // Locks are counted: the module stays while one is held.
    EXPECT_EQ(classFactory->LockServer(TRUE), S_OK);
    EXPECT_EQ(classFactory->LockServer(TRUE), S_OK);
    EXPECT_EQ(classFactory->LockServer(FALSE), S_OK);
    IClassFactory* kept = classFactory.Get();
    kept->AddRef();
    classFactory.Reset();
    handler.Reset();
    EXPECT_EQ(ModuleCanUnloadNow(), S_FALSE);  // the factory lives
    kept->Release();
    EXPECT_EQ(ModuleCanUnloadNow(), S_FALSE);  // the lock is held
    ASSERT_EQ(getClassObject(id, IID_IClassFactory, reinterpret_cast<void**>(classFactory.Put())),
              S_OK);
    EXPECT_EQ(classFactory->LockServer(FALSE), S_OK);
  }
  // Every factory and handler released, every lock undone.
  EXPECT_EQ(ModuleCanUnloadNow(), S_OK);
}

}  // namespace
