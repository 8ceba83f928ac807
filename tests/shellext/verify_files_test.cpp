// "&Verify Individual Files" end to end, through the Explorer-like host: the
// command runs on this thread inside InvokeCommand while a second thread
// reads its results window, drives it and closes it.
#include <gtest/gtest.h>

#include <cctype>

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/dpi.h"
#include "platform/files_win32.h"
#include "platform/text_win32.h"
#include "tests/formats/list_bytes.h"
#include "tests/pipeline/test_files_win32.h"
#include "tests/platform/unicode_names.h"
#include "tests/results/desktop_win32.h"
#include "tests/shellext/explorer_host_win32.h"

namespace {

// "abc": CRC-32 352441C2, MD5 900150983cd24fb0d6963f7d28e17f72.
const char kAbcMd5[] = "900150983cd24fb0d6963f7d28e17f72";
const char kAbcMd5Upper[] = "900150983CD24FB0D6963F7D28E17F72";
const char kVersion[] = "3|Corvana v2.33||";

std::string RowText(const ListRow& r) {
  return std::to_string(r.image) + "|" + r.name + "|" + r.crc + "|" + r.status;
}

std::vector<std::string> ReadRows(HWND main) {
  ListViewReader reader(GetDlgItem(main, 501), GetCurrentProcess());
  std::vector<std::string> rows;
  for (const ListRow& r : reader.Rows()) rows.push_back(RowText(r));
  return rows;
}

std::vector<std::string> Names(HWND main) {
  ListViewReader reader(GetDlgItem(main, 501), GetCurrentProcess());
  std::vector<std::string> names;
  for (const ListRow& r : reader.Rows()) names.push_back(r.name);
  return names;
}

// A click on a column header as the list view reports it to the window.
void ClickColumn(HWND main, int column) {
  NMLISTVIEW click{};
  click.hdr.hwndFrom = GetDlgItem(main, 501);
  click.hdr.idFrom = 501;
  click.hdr.code = LVN_COLUMNCLICK;
  click.iItem = -1;
  click.iSubItem = column;
  SendMessageA(main, WM_NOTIFY, 501, reinterpret_cast<LPARAM>(&click));
}

// The header image beside a column's title, or -1.
int HeaderArrow(HWND main, int column) {
  HWND header = reinterpret_cast<HWND>(SendMessageA(GetDlgItem(main, 501), LVM_GETHEADER, 0, 0));
  HDITEMA item{};
  item.mask = HDI_FORMAT | HDI_IMAGE;
  SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item));
  return item.fmt & HDF_IMAGE ? item.iImage : -1;
}

// What the popup holds when the list view is right-clicked: "text id state"
// per item. The menu is closed again.
std::vector<std::string> PopupItems(HWND main) {
  HWND list = GetDlgItem(main, 501);
  PostMessageA(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 30));
  PostMessageA(list, WM_RBUTTONUP, 0, MAKELPARAM(20, 30));
  HWND popup = nullptr;
  for (int i = 0; i < 250 && !popup; ++i) {
    popup = FindProcessWindow(GetCurrentProcessId(), "#32768");
    if (!popup) Sleep(20);
  }
  std::vector<std::string> items;
  if (!popup) return items;
  HMENU menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    char text[64] = {};
    GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
    UINT state = GetMenuState(menu, i, MF_BYPOSITION);
    items.push_back(std::string(text) + " " + std::to_string(GetMenuItemID(menu, i)) +
                    (state & MF_GRAYED ? " grayed" : ""));
  }
  PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
  for (int i = 0; i < 250 && IsWindowVisible(popup); ++i) Sleep(20);
  return items;
}

class VerifyFilesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    root_ = new std::string(MakeTempFolder("verifyfiles"));
    ASSERT_NE(InstallShellExtension(*root_), "");
  }
  static void TearDownTestSuite() {
    UnregisterShellExtension();
    RemoveTree(*root_);
    delete root_;
  }
  void SetUp() override {
    ASSERT_TRUE(apartment_.Ok());
    static int n = 0;
    folder_ = *root_ + "case" + std::to_string(++n) + "\\";
    CreateDirectoryA(folder_.c_str(), nullptr);
    WritePrivateProfileStringA("Corvana", "UpdateDB", "1", Ini().c_str());
  }

  std::string Ini() { return *root_ + "Corvana.ini"; }
  std::string Setting(const char* key) {
    char text[128] = {};
    GetPrivateProfileStringA("Corvana", key, "", text, sizeof text, Ini().c_str());
    return text;
  }
  void Put(const std::string& name, const std::string& bytes) {
    for (size_t slash = name.find('\\'); slash != std::string::npos;
         slash = name.find('\\', slash + 1)) {
      CreateDirectoryA((folder_ + name.substr(0, slash)).c_str(), nullptr);
    }
    HANDLE f =
        CreateFileA((folder_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
  }
  // Of two names in the case folder, the one the folder lists first.
  std::string FirstListed(const std::string& a, const std::string& b) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder_ + "*.*").c_str(), &found);
    std::string first;
    if (find == INVALID_HANDLE_VALUE) return first;
    do {
      if (a == found.cFileName || b == found.cFileName) first = found.cFileName;
    } while (first.empty() && FindNextFileA(find, &found));
    FindClose(find);
    return first;
  }

  // Invokes the command on `names` (in the case folder). `caption` is the
  // window title the second thread waits for; there it reads the rows, runs
  // `act` and closes the window. Returns the rows it read; the module can
  // unload once the handler is released.
  // `before` are steps for earlier titles of the same window.
  std::vector<std::string> Verify(const std::vector<std::string>& names,
                                  const std::function<void(HWND)>& act = {},
                                  const std::string& caption = "Finished",
                                  std::vector<DialogStep> before = {}) {
    std::vector<std::string> rows;
    before.push_back({caption, [&](HWND main, DialogDriver&) {
                        rows = ReadRows(main);
                        if (act) act(main);
                        PostMessageA(main, WM_CLOSE, 0, 0);
                      }});
    DialogDriver driver(std::move(before));
    {
      ShellHandler handler;
      EXPECT_TRUE(handler.Create());
      std::vector<std::string> paths;
      for (const std::string& n : names) paths.push_back(folder_ + n);
      ComPtr<IDataObject> data = SelectionOf(paths);
      EXPECT_TRUE(data);
      EXPECT_EQ(handler.Initialize(data.Get()), S_OK);
      handler.QueryMenu(CMF_NORMAL);  // as Explorer does before invoking
      EXPECT_EQ(handler.Invoke(1), S_OK);
    }
    EXPECT_TRUE(driver.Finish()) << "no window titled " << driver.Missed();
    EXPECT_EQ(ModuleCanUnloadNow(), S_OK);
    return rows;
  }

  static std::string* root_;
  std::string folder_;
  ComApartment apartment_;
};
std::string* VerifyFilesTest::root_ = nullptr;

// The published digests of "abc" (FIPS 180-4 examples; BLAKE3 as b3sum
// prints it).
constexpr char kAbcSha1[] = "a9993e364706816aba3e25717850c26c9cd0d89d";
constexpr char kAbcSha256[] = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
constexpr char kAbcSha512[] =
    "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
    "2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f";
constexpr char kAbcBlake3[] = "6437b3ac38465133ffb63b75273a8db548c558465d79db03fd359c6cd5bd9d85";

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

TEST_F(VerifyFilesTest, EachSelectedFileIsJudgedByTheListsOfItsFolder) {
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<std::string> select;
    std::vector<std::string> rows;  // after the version row
  };
  const std::string abc = "abc";
  std::string damagedPar = listtest::MakePar({{listtest::Utf16(u"x.bin"), 0, 3, 'd'}});
  damagedPar.replace(96 + 24, 16, listtest::Md5Of(abc));  // names x.bin truly...
  damagedPar.replace(96 + 40, 16, listtest::Md5Of(abc));
  std::string goodPar = damagedPar;
  listtest::Seal(&goodPar);  // ...and only this copy's control hash matches
  goodPar.replace(goodPar.size() - 10, 10, listtest::Utf16(u"y.bin"));
  listtest::Seal(&goodPar);
  const Case cases[] = {
      {"an MD5 list's match shows the digest in upper case",
       {{"x.bin", abc}, {"disc.md5", std::string(kAbcMd5) + "  x.bin\n"}},
       {"x.bin"},
       {"1|x.bin|" + std::string(kAbcMd5Upper) + "|OK", "3|1 file checked||", "1|All files OK||"}},
      {"a file in a selected subfolder is looked up by its relative name",
       {{"sub\\deep\\x.bin", abc},
        {"sub\\other.bin", "other"},
        {"disc.sfv", "; made by cksfv\nsub\\deep\\x.bin 352441C2\nsub\\other.bin 00000000\n"},
        {"sub\\deep\\inner.sfv", "x.bin 00000000\n"}},
       {"sub"},
       // A folder's own files come before its subfolders' files.
       {"2|sub\\other.bin|D9583520|FAILED.  CRC mismatch",
        "2|sub\\deep\\inner.sfv||FAILED.  Could not find related SFV file",
        "1|sub\\deep\\x.bin|352441C2|OK", "2|1 file skipped||", "3|2 files checked||",
        "2|There was 1 bad file||"}},
      {"a folder without lists skips every file and reports nothing more",
       {{"x.bin", abc}, {"y.bin", "y"}},
       {"x.bin", "y.bin"},
       {"2|x.bin||FAILED.  Could not find related SFV file",
        "2|y.bin||FAILED.  Could not find related SFV file", "2|2 files skipped||",
        "3|0 files checked||"}},
      {"a SHA256SUMS list as sha256sum writes it, text and binary lines",
       {{"x.bin", abc},
        {"y.bin", "xyz"},
        {"SHA256SUMS", std::string(kAbcSha256) + "  x.bin\n" + kAbcSha256 + " *y.bin\n"}},
       {"x.bin", "y.bin"},
       {"1|x.bin|" + Upper(kAbcSha256) + "|OK",
        "2|y.bin|" + Upper(kAbcSha256) + "|FAILED.  CRC mismatch", "3|2 files checked||",
        "2|There was 1 bad file||"}},
      {"SHA-1, SHA-512 and BLAKE3 lists beside the selection, each by its own algorithm",
       {{"a.bin", abc},
        {"b.bin", abc},
        {"c.bin", abc},
        {"d.bin", "d"},
        {"a.sha1", std::string(kAbcSha1) + "  a.bin\n"},
        {"b.sha512", std::string(kAbcSha512) + "  b.bin\n"},
        {"c.b3", std::string(kAbcBlake3) + "  c.bin\n" + kAbcBlake3 + "  d.bin\n"}},
       {"a.bin", "b.bin", "c.bin", "d.bin"},
       {"1|a.bin|" + Upper(kAbcSha1) + "|OK", "1|b.bin|" + Upper(kAbcSha512) + "|OK",
        "1|c.bin|" + Upper(kAbcBlake3) + "|OK",
        "2|d.bin|" + Upper(kAbcBlake3) + "|FAILED.  CRC mismatch", "3|4 files checked||",
        "2|There was 1 bad file||"}},
      {"a name cut by a zero byte names no file",
       {{"a", abc}, {"zero.sfv", std::string("a\0x.bin 352441C2\n", 17)}},
       {"a"},
       {"2|a||FAILED.  Could not find related SFV file", "2|1 file skipped||",
        "3|0 files checked||"}},
      {"a damaged PAR file is ignored, a sound one searched",
       {{"x.bin", abc}, {"y.bin", abc}, {"damaged.par", damagedPar}, {"good.par", goodPar}},
       {"x.bin", "y.bin"},
       {"2|x.bin||FAILED.  Could not find related SFV file",
        "1|y.bin|" + std::string(kAbcMd5Upper) + "|OK", "2|1 file skipped||", "3|1 file checked||",
        "1|All files OK||"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    for (const auto& f : c.files) Put(f.first, f.second);
    std::vector<std::string> rows = Verify(c.select);
    std::vector<std::string> expected = {kVersion};
    expected.insert(expected.end(), c.rows.begin(), c.rows.end());
    EXPECT_EQ(rows, expected);
  }
}

// Files of the shared names, selected in Explorer, are found in the UTF-8
// list beside them and verified.
TEST_F(VerifyFilesTest, UnicodeNamesAreFoundInAUtf8List) {
  std::string list;
  std::vector<std::string> selected;
  for (const UnicodeName& n : kUnicodeNames) {
    UniqueFileHandle f(
        CreateFileUtf8((folder_ + n.Utf8).c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS, 0));
    DWORD written = 0;
    WriteFile(f.Get(), "abc", 3, &written, nullptr);
    list += std::string(n.Utf8) + " 352441C2\r\n";  // CRC-32 of "abc"
    // The shell's parsing of a display name drops a trailing dot, so such a
    // name cannot be selected by its name here (creation reaches it through
    // its folder).
    if (std::string(n.Utf8).back() != '.') selected.push_back(n.Utf8);
  }
  Put("names.sfv", list);
  if (!HasherOpens(folder_ + kUnicodeNames[4].Utf8))
    GTEST_SKIP() << "the file hasher opens names through the ANSI code page";
  std::vector<std::string> rows = Verify(selected);
  ASSERT_EQ(rows.size(), 1 + selected.size() + 2);
  for (size_t i = 1; i <= selected.size(); ++i)
    EXPECT_EQ(rows[i].substr(rows[i].size() - 12), "|352441C2|OK") << rows[i];
  EXPECT_EQ(rows.back(), "1|All files OK||");
}

// A marked list's surrogate pair in three-byte forms is no name: it never
// finds the file named with the character the pair would make.
TEST_F(VerifyFilesTest, IllFormedUtf8NeverFindsAFile) {
  const std::string emoji = "\xF0\x9F\x98\x80.bin";
  {
    UniqueFileHandle f(
        CreateFileUtf8((folder_ + emoji).c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS, 0));
    DWORD written = 0;
    WriteFile(f.Get(), "abc", 3, &written, nullptr);
  }
  Put("marked.sfv", "\xEF\xBB\xBF\xED\xA0\xBD\xED\xB8\x80.bin 352441C2\r\n");
  if (!HasherOpens(folder_ + emoji)) GTEST_SKIP() << "names go through the ANSI code page";
  EXPECT_EQ(Verify({emoji}),
            (std::vector<std::string>{kVersion,
                                      "2|" + emoji + "||FAILED.  Could not find related SFV file",
                                      "2|1 file skipped||", "3|0 files checked||"}));
}

TEST_F(VerifyFilesTest, TheFirstListInDirectoryOrderDecides) {
  Put("x.bin", "abc");
  Put("a.sfv", "x.bin 352441C2\n");
  Put("b.md5", "00000000000000000000000000000000 *x.bin\n");
  std::vector<std::string> rows = Verify({"x.bin"});
  ASSERT_GE(rows.size(), 2u);
  if (FirstListed("a.sfv", "b.md5") == "a.sfv") {
    EXPECT_EQ(rows[1], "1|x.bin|352441C2|OK");
  } else {
    EXPECT_EQ(rows[1], "2|x.bin|00000000000000000000000000000000|FAILED.  CRC mismatch");
  }
}

TEST_F(VerifyFilesTest, TheShellWindowVariant) {
  Put("a.bin", "abc");
  Put("B.bin", "abc");
  Put("disc.sfv", "a.bin 352441C2\nB.bin 352441C2\n");
  struct Seen {
    LONG style = 0;
    bool menuBar = true, icons = false, separator = false, about = true;
    std::string lastSystemItem;
    UINT lastSystemId = 0;
    bool checked = false, uncheckedAfterToggle = false, checkedAgain = false;
    bool maximizedListFits = false;
    std::string updateDbAfterToggle;
    std::vector<std::string> popup;
    std::vector<std::vector<std::string>> orders;
    std::vector<int> arrows;
  } seen;
  Verify({"a.bin", "B.bin"}, [&](HWND main) {
    seen.style = GetWindowLongA(main, GWL_STYLE);
    seen.menuBar = GetMenu(main) != nullptr;
    seen.icons = SendMessageA(main, WM_GETICON, ICON_BIG, 0) != 0 &&
                 SendMessageA(main, WM_GETICON, ICON_SMALL, 0) != 0;
    HMENU sys = GetSystemMenu(main, FALSE);
    int n = GetMenuItemCount(sys);
    char text[64] = {};
    GetMenuStringA(sys, n - 1, text, sizeof text, MF_BYPOSITION);
    seen.lastSystemItem = text;
    seen.lastSystemId = GetMenuItemID(sys, n - 1);
    seen.separator = GetMenuState(sys, n - 2, MF_BYPOSITION) & MF_SEPARATOR;
    seen.about = GetMenuState(sys, 504, MF_BYCOMMAND) != 0xFFFFFFFF;
    seen.checked = GetMenuState(sys, 503, MF_BYCOMMAND) & MF_CHECKED;
    SendMessageA(main, WM_SYSCOMMAND, 503, 0);
    seen.uncheckedAfterToggle = !(GetMenuState(sys, 503, MF_BYCOMMAND) & MF_CHECKED);
    seen.updateDbAfterToggle = Setting("UpdateDB");
    SendMessageA(main, WM_SYSCOMMAND, 503, 0);
    seen.checkedAgain = GetMenuState(sys, 503, MF_BYCOMMAND) & MF_CHECKED;
    seen.popup = PopupItems(main);
    ShowWindow(main, SW_MAXIMIZE);
    RECT client, list;
    GetClientRect(main, &client);
    GetWindowRect(GetDlgItem(main, 501), &list);
    seen.maximizedListFits = IsZoomed(main) && list.right - list.left == client.right &&
                             list.bottom - list.top == client.bottom - 32;
    ShowWindow(main, SW_RESTORE);
    // Case-insensitive on every column, in place; the third click restores
    // the order of arrival.
    for (int column : {0, 0, 0, 2}) {
      ClickColumn(main, column);
      seen.orders.push_back(Names(main));
      seen.arrows.push_back(HeaderArrow(main, column));
    }
  });
  EXPECT_TRUE(seen.style & WS_MAXIMIZEBOX);
  EXPECT_TRUE(seen.style & WS_THICKFRAME);
  EXPECT_FALSE(seen.menuBar);
  EXPECT_TRUE(seen.maximizedListFits);
  EXPECT_TRUE(seen.icons);
  EXPECT_EQ(seen.lastSystemItem, "&Update DB");
  EXPECT_EQ(seen.lastSystemId, 503u);
  EXPECT_TRUE(seen.separator);
  EXPECT_FALSE(seen.about);
  EXPECT_TRUE(seen.checked);
  EXPECT_TRUE(seen.uncheckedAfterToggle);
  EXPECT_EQ(seen.updateDbAfterToggle, "0");
  EXPECT_TRUE(seen.checkedAgain);
  EXPECT_EQ(Setting("UpdateDB"), "1");
  EXPECT_EQ(seen.popup, (std::vector<std::string>{"&Mark bad files 701", "&Copy 702"}));
  const std::vector<std::string> arrival = {"Corvana v2.33", "a.bin", "B.bin", "2 files checked",
                                            "All files OK"};
  ASSERT_EQ(seen.orders.size(), 4u);
  EXPECT_EQ(seen.orders[0], (std::vector<std::string>{"2 files checked", "a.bin", "All files OK",
                                                      "B.bin", "Corvana v2.33"}));
  EXPECT_EQ(seen.orders[1], (std::vector<std::string>{"Corvana v2.33", "B.bin", "All files OK",
                                                      "a.bin", "2 files checked"}));
  EXPECT_EQ(seen.orders[2], arrival);
  EXPECT_EQ(seen.arrows, (std::vector<int>{4, 5, -1, 4}));
  EXPECT_EQ(Setting("WindowInfo").size(), 60u);  // saved when the window went
}

TEST_F(VerifyFilesTest, ClosingTheWindowDuringALongHashEndsTheRun) {
  Put("a.bin", "abc");
  Put("B.bin", "abc");
  ASSERT_TRUE(MakeSparseFile(folder_ + "big.bin", 64ull << 30));
  Put("disc.sfv", "a.bin 352441C2\nB.bin 352441C2\nbig.bin 00000000\nz.bin 00000000\n");
  Put("z.bin", "z");
  std::vector<std::string> sorted;
  DWORD start = GetTickCount();
  std::vector<std::string> rows = Verify(
      {"a.bin", "B.bin", "big.bin", "z.bin"},
      [&](HWND main) {
        ClickColumn(main, 0);  // sorting works while the run goes on
        sorted = Names(main);
      },
      "Checking " + folder_ + "big.bin...");
  // Hashing 64 GiB would take minutes; closing ends the command at once.
  EXPECT_LT(GetTickCount() - start, 60000u);
  EXPECT_EQ(rows,
            (std::vector<std::string>{kVersion, "1|a.bin|352441C2|OK", "1|B.bin|352441C2|OK"}));
  EXPECT_EQ(sorted, (std::vector<std::string>{"a.bin", "B.bin", "Corvana v2.33"}));
}

// Each command runs on a thread of its own: InvokeCommand returns once it
// has started, this (Explorer's) thread keeps dispatching its messages (a
// timer keeps firing), two commands progress side by side, and the module
// stays while a window is open.
namespace {
volatile LONG timerTicks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) {
  InterlockedIncrement(&timerTicks);
}
}  // namespace

TEST_F(VerifyFilesTest, CommandsRunOnTheirOwnThreadsSideBySide) {
  ASSERT_TRUE(MakeSparseFile(folder_ + "big1.bin", 64ull << 30));
  ASSERT_TRUE(MakeSparseFile(folder_ + "big2.bin", 64ull << 30));
  Put("disc.sfv", "big1.bin 00000000\nbig2.bin 00000000\n");
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, CountTick);
  timerTicks = 0;
  std::vector<HWND> windows;
  for (const char* name : {"big1.bin", "big2.bin"}) {
    ShellHandler handler;
    ASSERT_TRUE(handler.Create());
    ComPtr<IDataObject> data = SelectionOf({folder_ + name});
    ASSERT_EQ(handler.Initialize(data.Get()), S_OK);
    const DWORD start = GetTickCount();
    EXPECT_EQ(handler.InvokeAsync(1), S_OK);
    EXPECT_LT(GetTickCount() - start, 1000u) << "InvokeCommand waited for the command";
  }  // both handlers released while their commands run
  // Both windows hash at the same time, while this thread dispatches.
  for (const char* name : {"big1.bin", "big2.bin"}) {
    const std::string title = "Checking " + folder_ + name + "...";
    HWND found = nullptr;
    for (int i = 0; i < 1000 && !found; ++i) {
      DispatchHostMessages();
      found = WaitForWindow(title, 0);
      if (!found) Sleep(20);
    }
    ASSERT_NE(found, nullptr) << title;
    windows.push_back(found);
  }
  EXPECT_NE(GetWindowThreadProcessId(windows[0], nullptr),
            GetWindowThreadProcessId(windows[1], nullptr));
  EXPECT_NE(GetWindowThreadProcessId(windows[0], nullptr), GetCurrentThreadId());
  const LONG ticks = timerTicks;
  for (int i = 0; i < 25; ++i) {
    Sleep(20);
    DispatchHostMessages();
  }
  EXPECT_GT(timerTicks, ticks) << "the host's timer stopped";
  EXPECT_EQ(ModuleCanUnloadNow(), S_FALSE);  // no object lives, the commands do
  for (HWND w : windows) PostMessageW(w, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitForCommands(30000));
  EXPECT_EQ(ModuleCanUnloadNow(), S_OK);
  KillTimer(nullptr, timer);
}

// A quit message posted to a command's thread while it verifies ends the
// command, its window with it, instead of being dropped by the waits that
// dispatch messages (the window would then stay until closed by hand).
TEST_F(VerifyFilesTest, AQuitMessageDuringAVerificationEndsItsCommand) {
  ASSERT_TRUE(MakeSparseFile(folder_ + "big.bin", 64ull << 30));
  Put("disc.sfv", "big.bin 00000000\n");
  ShellHandler handler;
  ASSERT_TRUE(handler.Create());
  ComPtr<IDataObject> data = SelectionOf({folder_ + "big.bin"});
  ASSERT_EQ(handler.Initialize(data.Get()), S_OK);
  ASSERT_EQ(handler.InvokeAsync(1), S_OK);
  HWND main = WaitForWindow("Checking " + folder_ + "big.bin...");
  ASSERT_NE(main, nullptr);
  PostThreadMessageW(GetWindowThreadProcessId(main, nullptr), WM_QUIT, 7, 0);
  EXPECT_TRUE(WaitForCommands(20000)) << "the command went on after the quit message";
  EXPECT_FALSE(IsWindow(main));
}

// Closing the window while a locked list is waited for ends the command: the
// file is not hashed afterwards for a window that is gone.
TEST_F(VerifyFilesTest, ClosingTheWindowDuringAWaitForALockedListEndsTheCommand) {
  ASSERT_TRUE(MakeSparseFile(folder_ + "big.bin", 64ull << 30));
  Put("a.sfv", "big.bin 00000000\n");
  Put("b.sfv", "big.bin 00000000\n");
  // The list searched first is held without sharing for the whole test.
  const std::string locked = FirstListed("a.sfv", "b.sfv");
  UniqueFileHandle hold(
      CreateFileA((folder_ + locked).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(hold.Valid());
  ShellHandler handler;
  ASSERT_TRUE(handler.Create());
  ComPtr<IDataObject> data = SelectionOf({folder_ + "big.bin"});
  ASSERT_EQ(handler.Initialize(data.Get()), S_OK);
  ASSERT_EQ(handler.InvokeAsync(1), S_OK);
  HWND main = WaitForWindow("");  // the command's window, whatever its title
  ASSERT_NE(main, nullptr);
  Sleep(300);  // inside the wait of up to 3 s for the locked list
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitForCommands(10000)) << "the file was hashed after the window went";
}

// The view follows the newest row while it shows the end, and stays where
// the user scrolled to otherwise.
TEST_F(VerifyFilesTest, TheViewFollowsOnlyFromTheEnd) {
  std::vector<std::string> names;
  for (int i = 0; i < 30; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "f%02d.bin", i);
    names.push_back(name);
    Put(name, "x");
  }
  ASSERT_TRUE(MakeSparseFile(folder_ + "m.bin", 4ull << 30));
  names.push_back("m.bin");
  for (const char* n : {"n0.bin", "n1.bin", "n2.bin"}) {
    names.push_back(n);
    Put(n, "x");
  }
  Put("disc.sfv", "m.bin 00000000\n");
  auto lastVisible = [](HWND list) {
    int n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    RECT item{}, client{};
    item.left = LVIR_BOUNDS;
    SendMessageA(list, LVM_GETITEMRECT, n - 1, reinterpret_cast<LPARAM>(&item));
    GetClientRect(list, &client);
    return item.top >= 0 && item.bottom <= client.bottom;
  };
  bool followed = false, stayed = false;
  int rowsWhenScrolled = 0, rowsAtEnd = 0;
  DialogStep scrollUp{
      "Checking " + folder_ + "m.bin...", [&](HWND main, DialogDriver&) {
        HWND list = GetDlgItem(main, 501);
        // Rows are shown (and followed) together a moment after they come.
        for (int i = 0; i < 150 && !followed; ++i) {
          followed = SendMessageA(list, LVM_GETTOPINDEX, 0, 0) > 0 && lastVisible(list);
          if (!followed) Sleep(20);
        }
        rowsWhenScrolled = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        SendMessageA(list, LVM_ENSUREVISIBLE, 0, FALSE);
      }};
  Verify(names,
         [&](HWND main) {
           HWND list = GetDlgItem(main, 501);
           stayed = SendMessageA(list, LVM_GETTOPINDEX, 0, 0) == 0;
           rowsAtEnd = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
         },
         "Finished", {scrollUp});
  EXPECT_TRUE(followed);
  EXPECT_EQ(rowsWhenScrolled, 31);
  EXPECT_TRUE(stayed);
  EXPECT_EQ(rowsAtEnd, 31 + 1 + 3 + 3);
}

int WindowHeight(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r.bottom - r.top;
}

// The extension's windows take Explorer's awareness and scale themselves:
// the results window and the progress window, measured at the system DPI
// of this process. Started by ShellWindowsDpi at each DPI, it hands over
// its measures.
TEST_F(VerifyFilesTest, TheResultsAndProgressWindowsScaleWithTheDisplay) {
  Put("x.bin", "abc");
  Put("disc.md5", std::string(kAbcMd5) + "  x.bin\n");
  WindowMeasures m;
  Verify({"x.bin"}, [&](HWND main) { m = MeasureResultsWindow(main, GetDlgItem(main, 501)); });
  EXPECT_EQ(m.ImageSize, NearestImageSize(16, m.Dpi));
  // No separator in this window's band: two lines, a font height apart.
  EXPECT_EQ(BandLineProblems(m), std::vector<std::string>{}) << FormatMeasures(m);

  // The progress window, while a file long enough to be cancelled hashes.
  ASSERT_TRUE(MakeSparseFile(folder_ + "big.bin", 32ull << 30));
  DialogDriver driver({{"Create .SFV file - Corvana",
                        [&](HWND dialog, DialogDriver&) {
                          SetControlText(dialog, 1000, folder_ + "big.sfv");
                          PressButton(dialog, IDOK);
                        }},
                       {"Status - Corvana",
                        [&](HWND progress, DialogDriver&) {
                          RECT r{};
                          GetWindowRect(progress, &r);
                          m.ProgressWidth = r.right - r.left;
                          m.ProgressHeight = r.bottom - r.top;
                          m.ProgressBarHeight = WindowHeight(GetDlgItem(progress, 1002));
                          m.CancelHeight = WindowHeight(GetDlgItem(progress, IDCANCEL));
                          PressButton(progress, IDCANCEL);
                        }},
                       AnswerBox("Results")});
  {
    ShellHandler handler;
    ASSERT_TRUE(handler.Create());
    ComPtr<IDataObject> data = SelectionOf({folder_ + "big.bin"});
    ASSERT_TRUE(data);
    EXPECT_EQ(handler.Initialize(data.Get()), S_OK);
    handler.QueryMenu(CMF_NORMAL);
    EXPECT_EQ(handler.Invoke(0), S_OK);
  }
  EXPECT_TRUE(driver.Finish()) << "no window titled " << driver.Missed();
  EXPECT_GT(m.ProgressBarHeight, 0);
  EXPECT_TRUE(HandOverMeasures(m));
}

// Both windows in proportion at 96, 120, 144 and 192 DPI: each size at
// least 0.95 times its 96-DPI size scaled by the exact ratio.
TEST(ShellWindowsDpi, InProportionAtEveryScale) {
  if (!OwnsWinePrefix()) GTEST_SKIP() << "needs a Wine prefix of its own";
  std::vector<std::string> problems;
  const std::vector<WindowMeasures> at = MeasureAtEachDpi(
      "VerifyFilesTest.TheResultsAndProgressWindowsScaleWithTheDisplay", &problems);
  EXPECT_EQ(problems, std::vector<std::string>{});
  ASSERT_EQ(at.size(), 4u);
  EXPECT_GT(at[0].ProgressWidth, 0);
  EXPECT_GT(at[0].CancelHeight, 0);
  for (const WindowMeasures& m : at) {
    EXPECT_EQ(OutOfProportion(at[0], m), std::vector<std::string>{});
  }
}

}  // namespace
