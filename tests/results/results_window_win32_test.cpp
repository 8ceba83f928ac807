// The results window in this process under Wine: rows reported into it,
// driven with the messages a person's clicks and keys produce, and read back
// through the list view, the clipboard, the menus and the settings file.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "desktop_win32.h"
#include "formats/base64.h"
#include "platform/dpi_win32.h"
#include "platform/files_win32.h"
#include "results/results_window_win32.h"
#include "tests/pipeline/test_files_win32.h"
#include "tests/platform/unicode_names.h"
#include "verifier/report_win32.h"
#include "verifier/run_state.h"
#include "verifier/run_window_win32.h"

namespace {

// The DPI a new window of this process gets (the system's, under Wine).
int DpiForWindowOrSystem() {
  return SystemDpi();
}

void Touch(const std::string& path) {
  HANDLE f = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD n = 0;
  ::WriteFile(f, "x", 1, &n, nullptr);
  ::CloseHandle(f);
}

bool Exists(const std::string& path) {
  return GetFileAttributesUtf8(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A file of any name, however deep (UTF-8 path).
void TouchUtf8(const std::string& path) {
  HANDLE f = CreateFileUtf8(path.c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
  ASSERT_NE(f, INVALID_HANDLE_VALUE) << path;
  ::CloseHandle(f);
}

// Names of the shared table, and names too long for the old limits: one of
// 250 characters (a path of over 300 with the test folder) and one of 366
// characters (586 bytes, more than a row holds in place) under two folders.
std::string Repeat(const char* piece, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += piece;
  return s;
}
const std::string kLongName = Repeat("L", 246) + ".bin";
const std::string kLongFolders = Repeat("x", 200) + "\\" + Repeat("\xE6\x9D\xB1", 60);
const std::string kDeepName = kLongFolders + "\\" + Repeat("\xC3\xBC", 100) + ".bin";

std::vector<std::string> TestNames() {
  std::vector<std::string> names;
  for (const UnicodeName& n : kUnicodeNames) names.push_back(n.Utf8);
  names.push_back(kLongName);
  return names;
}

std::string ClipboardText() {
  std::string text;
  if (!::OpenClipboard(nullptr)) return "<no clipboard>";
  if (HANDLE h = ::GetClipboardData(CF_TEXT)) {
    if (auto* p = static_cast<const char*>(::GlobalLock(h))) {
      text = p;
      ::GlobalUnlock(h);
    }
  } else {
    text = "<empty>";
  }
  ::CloseClipboard();
  return text;
}

void PutClipboard(const char* text) {
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::EmptyClipboard();
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, strlen(text) + 1);
  memcpy(::GlobalLock(block), text, strlen(text) + 1);
  ::GlobalUnlock(block);
  ::SetClipboardData(CF_TEXT, block);
  ::CloseClipboard();
}

// The names the shell's Recycle Bin shows (each item's original name),
// wherever the platform keeps the files.
std::vector<std::string> RecycleBinNames() {
  std::vector<std::string> names;
  IShellFolder* desktop = nullptr;
  if (FAILED(::SHGetDesktopFolder(&desktop))) return names;
  LPITEMIDLIST binId = nullptr;
  IShellFolder* bin = nullptr;
  if (SUCCEEDED(::SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &binId)) &&
      SUCCEEDED(desktop->BindToObject(binId, nullptr, IID_IShellFolder,
                                      reinterpret_cast<void**>(&bin)))) {
    IEnumIDList* items = nullptr;
    if (bin->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN,
                         &items) == S_OK) {
      LPITEMIDLIST item = nullptr;
      while (items->Next(1, &item, nullptr) == S_OK) {
        STRRET name{};
        if (SUCCEEDED(bin->GetDisplayNameOf(item, SHGDN_NORMAL, &name))) {
          if (name.uType == STRRET_WSTR) {
            names.push_back(SystemUtf8(name.pOleStr));
            ::CoTaskMemFree(name.pOleStr);
          } else if (name.uType == STRRET_CSTR) {
            names.push_back(name.cStr);
          } else if (name.uType == STRRET_OFFSET) {
            names.push_back(reinterpret_cast<const char*>(item) + name.uOffset);
          }
        }
        ::CoTaskMemFree(item);
      }
      items->Release();
    }
    bin->Release();
  }
  if (binId) ::CoTaskMemFree(binId);
  desktop->Release();
  return names;
}

bool InRecycleBin(const std::string& name) {
  for (const std::string& n : RecycleBinNames())
    if (n == name) return true;
  return false;
}

// Names no earlier run left in the Recycle Bin.
std::string Unique(const char* name) {
  return std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(::GetTickCount()) + "-" +
         name;
}

// The popup's item states, seen by the owner while the menu is up; the menu
// is then closed again.
struct PopupSpy {
  WNDPROC original = nullptr;
  HMENU menu = nullptr;
  std::vector<UINT> states;
  bool shown = false;
};
PopupSpy g_spy;

LRESULT CALLBACK SpyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITMENUPOPUP) {
    g_spy.menu = reinterpret_cast<HMENU>(wp);
    g_spy.states.clear();
    int n = ::GetMenuItemCount(g_spy.menu);
    for (int i = 0; i < n; ++i)
      g_spy.states.push_back(::GetMenuState(g_spy.menu, i, MF_BYPOSITION));
    g_spy.shown = true;
    ::PostMessageA(hwnd, WM_CANCELMODE, 0, 0);
  } else if (msg == WM_ENTERIDLE) {
    ::EndMenu();
  }
  return ::CallWindowProcA(g_spy.original, hwnd, msg, wp, lp);
}

// Opens the About box from the window (modal until OK), hands it to `look`
// on a second thread once it is shown with its controls, and presses OK.
void WithAboutBox(HWND main, const std::function<void(HWND box)>& look) {
  std::thread closer([&look] {
    HWND box = nullptr;
    for (int i = 0; i < 500 && !(box && ::IsWindowVisible(box)); ++i) {
      box = ::FindWindowA("#32770", "About Corvana");
      if (!(box && ::IsWindowVisible(box))) ::Sleep(20);
    }
    if (!box) return;
    look(box);
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
  });
  ::SendMessageA(main, WM_COMMAND, 40003, 0);
  closer.join();
}

class ResultsWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeTempFolder("window");
    g_verifier = VerifierState{};
    std::snprintf(g_verifier.IniPath, sizeof g_verifier.IniPath, "%sCorvana.ini", folder_.c_str());
    std::snprintf(g_verifier.ListPath, sizeof g_verifier.ListPath, "%sdisc.sfv", folder_.c_str());
    ::SetCurrentDirectoryA(folder_.c_str());
  }
  void TearDown() override {
    EndRunWindow();
    char temp[MAX_PATH];
    ::GetTempPathA(sizeof temp, temp);
    ::SetCurrentDirectoryA(temp);
    RemoveTree(folder_);
  }

  // The window as the run makes it.
  HWND Open() {
    EXPECT_TRUE(BeginRunWindow(::GetModuleHandleA(nullptr)));
    main_ = RunWindowHandle();
    list_ = ::GetDlgItem(main_, 501);
    PumpUntil([] { return false; }, 50);
    return main_;
  }
  std::vector<ListRow> Rows() {
    ListViewReader r(list_, ::GetCurrentProcess());
    return r.Rows();
  }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const ListRow& r : Rows()) names.push_back(r.name);
    return names;
  }
  void Select(std::initializer_list<int> items) {
    ListViewReader r(list_, ::GetCurrentProcess());
    for (int i = 0; i < r.Count(); ++i) r.Select(i, false);
    for (int i : items) r.Select(i, true);
  }
  std::vector<int> Selected() {
    ListViewReader r(list_, ::GetCurrentProcess());
    return r.Selected();
  }
  std::string Setting(const char* key) {
    char text[600] = {};
    ::GetPrivateProfileStringA("Corvana", key, "", text, sizeof text, g_verifier.IniPath);
    return text;
  }
  void ClickHeader(int column) {
    HWND header = reinterpret_cast<HWND>(::SendMessageA(list_, LVM_GETHEADER, 0, 0));
    RECT r{};
    ::SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&r));
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ::SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageA(header, WM_LBUTTONUP, 0, at);
    PumpUntil([] { return false; }, 20);
  }
  // -1 no arrow, else the header image shown beside the title.
  int HeaderArrow(int column) {
    HWND header = reinterpret_cast<HWND>(::SendMessageA(list_, LVM_GETHEADER, 0, 0));
    HDITEMA item{};
    item.mask = HDI_FORMAT | HDI_IMAGE;
    ::SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item));
    if (!(item.fmt & HDF_IMAGE)) return -1;
    EXPECT_TRUE(item.fmt & HDF_BITMAP_ON_RIGHT);
    return item.iImage;
  }
  std::vector<UINT> RightClick() {
    g_spy = PopupSpy{};
    g_spy.original = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(main_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SpyProc)));
    ::SendMessageA(list_, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 30));
    ::SendMessageA(list_, WM_RBUTTONUP, 0, MAKELPARAM(20, 30));
    ::SetWindowLongPtrA(main_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_spy.original));
    EXPECT_TRUE(g_spy.shown);
    return g_spy.states;
  }

  std::string folder_;
  HWND main_ = nullptr;
  HWND list_ = nullptr;
};

TEST_F(ResultsWindow, LinesSplitIntoNameCrcAndStatus) {
  Open();
  EXPECT_EQ(WindowText(main_), "Working...");
  ReportLine(Info, "%s", "Corvana v2.33");
  ReportLine(Good, "%s: %08X:  %s", "C:\\data\\a.bin", 0x1234ABCDu, "OK");
  ReportLine(Bad, "%s: :   %s.  %s", "gone.bin", "FAILED", "File does not exist");
  ReportLine(Good, "%s: %08x:  %s (Previously verified)", "b.bin", 0xdeadbeefu, "OK");
  ReportLine(Info, "All files OK");
  ReportLine(Bad, ":");  // no field at all: no row
  ReportLine(Bad, "");
  std::vector<ListRow> rows = Rows();
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0].image, Info);
  EXPECT_EQ(rows[0].name, "Corvana v2.33");
  EXPECT_EQ(rows[1].image, Good);
  EXPECT_EQ(rows[1].name, "C:\\data\\a.bin");
  EXPECT_EQ(rows[1].crc, "1234ABCD");
  EXPECT_EQ(rows[1].status, "OK");
  EXPECT_EQ(rows[2].image, Bad);
  EXPECT_EQ(rows[2].name, "gone.bin");
  EXPECT_EQ(rows[2].crc, "");
  EXPECT_EQ(rows[2].status, "FAILED.  File does not exist");
  EXPECT_EQ(rows[3].crc, "deadbeef");
  EXPECT_EQ(rows[3].status, "OK (Previously verified)");
  EXPECT_EQ(rows[4].name, "All files OK");
  EXPECT_EQ(rows[4].crc, "");
  EXPECT_EQ(rows[4].status, "");
}

TEST_F(ResultsWindow, LayoutMenusAndIcons) {
  Open();
  char cls[32] = {};
  ::GetClassNameA(main_, cls, sizeof cls);
  EXPECT_STREQ(cls, "CRVN_MAIN");
  LONG style = ::GetWindowLongA(main_, GWL_STYLE);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(style & WS_THICKFRAME);
  RECT client, listRect;
  ::GetClientRect(main_, &client);
  ::GetWindowRect(list_, &listRect);
  POINT origin{listRect.left, listRect.top};
  ::ScreenToClient(main_, &origin);
  EXPECT_EQ(origin.x, 0);
  EXPECT_EQ(origin.y, 32);
  EXPECT_EQ(listRect.right - listRect.left, client.right);
  EXPECT_EQ(listRect.bottom - listRect.top, client.bottom - 32);
  EXPECT_EQ(::SendMessageA(list_, LVM_GETCOLUMNWIDTH, 0, 0), 114);
  EXPECT_EQ(::SendMessageA(list_, LVM_GETCOLUMNWIDTH, 1, 0), 114);
  EXPECT_EQ(::SendMessageA(list_, LVM_GETCOLUMNWIDTH, 2, 0), 165);
  HIMAGELIST images =
      reinterpret_cast<HIMAGELIST>(::SendMessageA(list_, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
  ASSERT_NE(images, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(images), 6);
  EXPECT_NE(::SendMessageA(main_, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_NE(::SendMessageA(main_, WM_GETICON, ICON_SMALL, 0), 0);
  // The menu bar with "&Update DB" checked (the setting's default).
  HMENU bar = ::GetMenu(main_);
  ASSERT_NE(bar, nullptr);
  EXPECT_TRUE(::GetMenuState(bar, 40004, MF_BYCOMMAND) & MF_CHECKED);
  // Resizing moves the list with the client area.
  ::SetWindowPos(main_, nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
  ::GetClientRect(main_, &client);
  ::GetWindowRect(list_, &listRect);
  EXPECT_EQ(listRect.right - listRect.left, client.right);
  EXPECT_EQ(listRect.bottom - listRect.top, client.bottom - 32);
}

TEST_F(ResultsWindow, UpdateDbTogglesInMenuBarAndSystemMenu) {
  Open();
  ::SendMessageA(main_, WM_COMMAND, 40004, 0);
  EXPECT_FALSE(g_verifier.Settings.UpdateDb);
  EXPECT_FALSE(::GetMenuState(::GetMenu(main_), 40004, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_EQ(Setting("UpdateDB"), "0");
  ::SendMessageA(main_, WM_COMMAND, 40004, 0);
  EXPECT_TRUE(::GetMenuState(::GetMenu(main_), 40004, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_EQ(Setting("UpdateDB"), "1");
  EndRunWindow();

  // Without the menu bar the two items end the system menu.
  g_verifier.Settings.ShowMenu = false;
  Open();
  EXPECT_EQ(::GetMenu(main_), nullptr);
  HMENU sys = ::GetSystemMenu(main_, FALSE);
  int n = ::GetMenuItemCount(sys);
  ASSERT_GE(n, 4);
  char text[64] = {};
  ::GetMenuStringA(sys, n - 1, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "&About Corvana");
  EXPECT_EQ(::GetMenuItemID(sys, n - 1), 504u);
  ::GetMenuStringA(sys, n - 3, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "&Update DB");
  EXPECT_TRUE(::GetMenuState(sys, 503, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_TRUE(::GetMenuState(sys, n - 2, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_TRUE(::GetMenuState(sys, n - 4, MF_BYPOSITION) & MF_SEPARATOR);
  ::SendMessageA(main_, WM_SYSCOMMAND, 503, 0);
  EXPECT_FALSE(::GetMenuState(sys, 503, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_EQ(Setting("UpdateDB"), "0");
}

TEST_F(ResultsWindow, FollowsTheNewestRowEvenAfterScrollingUp) {
  Open();
  auto lastVisible = [this] {
    int n = static_cast<int>(::SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0));
    RECT item{}, client{};
    item.left = LVIR_BOUNDS;
    ::SendMessageA(list_, LVM_GETITEMRECT, n - 1, reinterpret_cast<LPARAM>(&item));
    ::GetClientRect(list_, &client);
    return item.top >= 0 && item.bottom <= client.bottom;
  };
  for (int i = 0; i < 60; ++i) {
    ReportLine(Good, "%s%d.bin: %08X:  OK", "file", i, 0x1000u + i);
    if (i % 7 == 6) {
      ReportLine(Info, "burst");
      ASSERT_TRUE(PumpUntil(lastVisible, 5000)) << "row " << i;
    }
  }
  EXPECT_GT(::SendMessageA(list_, LVM_GETTOPINDEX, 0, 0), 40);
  ::SendMessageA(list_, LVM_ENSUREVISIBLE, 0, FALSE);
  EXPECT_EQ(::SendMessageA(list_, LVM_GETTOPINDEX, 0, 0), 0);
  ReportLine(Bad, "late.bin: :   FAILED.  File does not exist");
  EXPECT_TRUE(PumpUntil(lastVisible, 5000));
}

TEST_F(ResultsWindow, CopiesTheSelectedNamesTopToBottom) {
  Open();
  ReportLine(Info, "Corvana v2.33");
  ReportLine(Good, "a.bin: 00000001:  OK");
  ReportLine(Bad, "b.bin: 00000002:  FAILED.  CRC mismatch");
  ReportLine(Good, "C:\\x\\c.bin: 00000003:  OK");
  PutClipboard("stale");
  ::SendMessageA(main_, WM_CHAR, 3, 0);
  EXPECT_EQ(ClipboardText(), "<empty>");  // nothing selected: emptied

  Select({3, 1, 2});
  ::SendMessageA(list_, WM_CHAR, 3, 0);  // from the list view too
  EXPECT_EQ(ClipboardText(), "a.bin\r\nb.bin\r\nC:\\x\\c.bin\r\n");

  // "&Copy" goes the same way, through a posted Ctrl+C.
  Select({0});
  PutClipboard("stale");
  ::SendMessageA(main_, WM_COMMAND, 702, 0);
  PumpUntil([] { return ClipboardText() != "stale"; }, 5000);
  EXPECT_EQ(ClipboardText(), "Corvana v2.33\r\n");
}

TEST_F(ResultsWindow, PopupGraysByListKindAndDriveQualifiedGoodRows) {
  Open();
  ReportLine(Good, "a.bin: 00000001:  OK");
  ReportLine(Bad, "C:\\b.bin: 00000002:  FAILED.  CRC mismatch");
  Select({1});
  std::vector<UINT> states = RightClick();
  ASSERT_EQ(states.size(), 7u);
  for (UINT s : states) EXPECT_FALSE(s & MF_GRAYED);
  EXPECT_EQ(Selected(), std::vector<int>{1});  // a right click does not select
  char text[64] = {};
  ::GetMenuStringA(g_spy.menu, 4, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "Check &all files");
  EXPECT_EQ(::GetMenuItemID(g_spy.menu, 4), 707u);
  EXPECT_EQ(::GetMenuItemID(g_spy.menu, 6), 706u);

  // An OK row with a drive-qualified name grays the move for good.
  ReportLine(Good, "C:\\c.bin: 00000003:  OK");
  states = RightClick();
  EXPECT_TRUE(states[6] & MF_GRAYED);
  EXPECT_FALSE(states[2] & MF_GRAYED);
  EndRunWindow();

  // An MD5 list keeps no database; a new window enables the move again.
  std::snprintf(g_verifier.ListPath, sizeof g_verifier.ListPath, "%sdisc.md5", folder_.c_str());
  Open();
  ReportLine(Good, "a.bin: 00000001:  OK");
  states = RightClick();
  EXPECT_TRUE(states[2] & MF_GRAYED);
  EXPECT_FALSE(states[6] & MF_GRAYED);
  std::snprintf(g_verifier.ListPath, sizeof g_verifier.ListPath, "%sdisc.PAR", folder_.c_str());
  states = RightClick();
  EXPECT_FALSE(states[2] & MF_GRAYED);
}

TEST_F(ResultsWindow, ColumnClicksSortOnlyOnceTheRunHasFinished) {
  Open();
  ReportLine(Info, "Corvana v2.33");
  ReportLine(Good, "b.bin: 0000000A:  OK");
  ReportLine(Bad, "A.bin: 0000000a:  FAILED.  CRC mismatch");
  ReportLine(Good, "c.bin: 00000001:  OK");
  ReportLine(Good, "a.bin: 00000002:  OK");
  std::vector<std::string> arrival = {"Corvana v2.33", "b.bin", "A.bin", "c.bin", "a.bin"};
  ClickHeader(0);
  EXPECT_EQ(Names(), arrival);  // refused while the run goes on
  EXPECT_EQ(HeaderArrow(0), -1);

  g_verifier.Counters.RunFinished = true;
  Select({1, 4});
  ClickHeader(0);
  EXPECT_EQ(Names(),
            (std::vector<std::string>{"A.bin", "a.bin", "b.bin", "c.bin", "Corvana v2.33"}));
  EXPECT_TRUE(Selected().empty());  // the rebuilt list has no selection
  EXPECT_EQ(HeaderArrow(0), 4);
  std::vector<ListRow> rows = Rows();
  EXPECT_EQ(rows[0].image, Bad);
  EXPECT_EQ(rows[0].status, "FAILED.  CRC mismatch");
  ClickHeader(0);
  EXPECT_EQ(Names(),
            (std::vector<std::string>{"Corvana v2.33", "c.bin", "b.bin", "a.bin", "A.bin"}));
  EXPECT_EQ(HeaderArrow(0), 5);
  ClickHeader(0);
  EXPECT_EQ(Names(), arrival);
  EXPECT_EQ(HeaderArrow(0), -1);

  // CRC is exact: digits, then upper case, then lower case; the arrow moves.
  ClickHeader(1);
  EXPECT_EQ(Names(),
            (std::vector<std::string>{"Corvana v2.33", "c.bin", "a.bin", "b.bin", "A.bin"}));
  EXPECT_EQ(HeaderArrow(1), 4);
  ClickHeader(0);
  EXPECT_EQ(HeaderArrow(1), -1);
  EXPECT_EQ(HeaderArrow(0), 4);
}

TEST_F(ResultsWindow, SortKeepsTheTopIndex) {
  Open();
  for (int i = 0; i < 80; ++i) ReportLine(Good, "f%02d.bin: %08X:  OK", 79 - i, i);
  // Shown once the view has followed the newest row.
  ASSERT_TRUE(PumpUntil([this] { return ::SendMessageA(list_, LVM_GETTOPINDEX, 0, 0) > 0; }));
  g_verifier.Counters.RunFinished = true;
  ::SendMessageA(list_, LVM_ENSUREVISIBLE, 0, FALSE);
  ::SendMessageA(list_, LVM_ENSUREVISIBLE, 30, FALSE);
  int top = static_cast<int>(::SendMessageA(list_, LVM_GETTOPINDEX, 0, 0));
  ASSERT_GT(top, 0);
  ClickHeader(0);
  EXPECT_EQ(::SendMessageA(list_, LVM_GETTOPINDEX, 0, 0), top);
  EXPECT_EQ(Names()[0], "f00.bin");
}

TEST_F(ResultsWindow, PlacementAndWidthsTravelThroughTheSettingsFile) {
  Open();
  ::SendMessageA(list_, LVM_SETCOLUMNWIDTH, 0, 200);
  ::SendMessageA(list_, LVM_SETCOLUMNWIDTH, 2, 90);
  ::SetWindowPos(main_, nullptr, 40, 50, 420, 300, SWP_NOZORDER);
  EndRunWindow();
  EXPECT_EQ(RunWindowHandle(), nullptr);

  std::string info = Setting("WindowInfo");
  ASSERT_EQ(info.size(), 60u);
  EXPECT_EQ(info.back(), '=');
  int32_t v[11] = {};
  ASSERT_EQ(Base64Decode(info.c_str(), reinterpret_cast<unsigned char*>(v), sizeof v), 44u);
  EXPECT_EQ(v[0], 44);
  EXPECT_EQ(v[7], 40);
  EXPECT_EQ(v[8], 50);
  EXPECT_EQ(v[9], 460);
  EXPECT_EQ(v[10], 350);
  std::string widths = Setting("LVWindowInfo");
  uint32_t w[4] = {};
  ASSERT_EQ(Base64Decode(widths.c_str(), reinterpret_cast<unsigned char*>(w), sizeof w), 16u);
  EXPECT_EQ(w[0], 3u);
  EXPECT_EQ(w[1], 200u);
  EXPECT_EQ(w[2], 114u);
  EXPECT_EQ(w[3], 90u);

  // The next window comes back where the last one was, as wide.
  Open();
  RECT r;
  ::GetWindowRect(main_, &r);
  EXPECT_EQ(r.left, 40);
  EXPECT_EQ(r.top, 50);
  EXPECT_EQ(r.right - r.left, 420);
  EXPECT_EQ(r.bottom - r.top, 300);
  EXPECT_EQ(::SendMessageA(list_, LVM_GETCOLUMNWIDTH, 0, 0), 200);
  EXPECT_EQ(::SendMessageA(list_, LVM_GETCOLUMNWIDTH, 2, 0), 90);
  EndRunWindow();

  // The legacy form without the count, and a stored width of 0.
  ::WritePrivateProfileStringA("Corvana", "LVWindowInfo", "cgAAAHIAAAClAAAA", g_verifier.IniPath);
  Open();
  EXPECT_EQ(::SendMessageA(list_, LVM_GETCOLUMNWIDTH, 0, 0), 114);
  EXPECT_EQ(::SendMessageA(list_, LVM_GETCOLUMNWIDTH, 1, 0), 114);
  EXPECT_EQ(::SendMessageA(list_, LVM_GETCOLUMNWIDTH, 2, 0), 165);
  EndRunWindow();
  uint32_t zero[4] = {3, 0, 70, 0};
  char text[64];
  Base64Encode(reinterpret_cast<unsigned char*>(zero), sizeof zero, text, sizeof text);
  ::WritePrivateProfileStringA("Corvana", "LVWindowInfo", text, g_verifier.IniPath);
  // A placement far off the screen is brought back onto it.
  int32_t off[11] = {44, 0, SW_SHOWNORMAL, -1, -1, -1, -1, 30000, 30000, 30300, 30200};
  Base64Encode(reinterpret_cast<unsigned char*>(off), sizeof off, text, sizeof text);
  ::WritePrivateProfileStringA("Corvana", "WindowInfo", text, g_verifier.IniPath);
  Open();
  EXPECT_EQ(::SendMessageA(list_, LVM_GETCOLUMNWIDTH, 0, 0), 50);
  EXPECT_EQ(::SendMessageA(list_, LVM_GETCOLUMNWIDTH, 1, 0), 70);
  EXPECT_EQ(::SendMessageA(list_, LVM_GETCOLUMNWIDTH, 2, 0), 50);
  ::GetWindowRect(main_, &r);
  EXPECT_EQ(r.right - r.left, 300);
  EXPECT_LE(r.right,
            ::GetSystemMetrics(SM_XVIRTUALSCREEN) + ::GetSystemMetrics(SM_CXVIRTUALSCREEN));
  EXPECT_LE(r.bottom,
            ::GetSystemMetrics(SM_YVIRTUALSCREEN) + ::GetSystemMetrics(SM_CYVIRTUALSCREEN));
}

TEST_F(ResultsWindow, EscapeClosesAndSaves) {
  Open();
  ReportLine(Good, "a.bin: 00000001:  OK");
  ::SendMessageA(list_, WM_CHAR, 27, 0);
  ASSERT_TRUE(PumpUntil([] { return RunWindowHandle() == nullptr; }, 5000));
  EXPECT_EQ(Setting("LVWindowInfo"), "AwAAAHIAAAByAAAApQAAAA==");
  EXPECT_EQ(Setting("WindowInfo").size(), 60u);
  ReportLine(Good, "b.bin: 00000002:  OK");  // no window: dropped, no crash
  EndRunWindow();                            // the run's own call afterwards

  // "E&xit" closes the same way.
  Open();
  ::SendMessageA(main_, WM_COMMAND, 40002, 0);
  ASSERT_TRUE(PumpUntil([] { return RunWindowHandle() == nullptr; }, 5000));
}

TEST_F(ResultsWindow, RunFlagsFromOpenAndCheckAll) {
  Open();
  ::SendMessageA(main_, WM_COMMAND, 40001, 0);
  EXPECT_TRUE(g_verifier.StopRequested);
  ::SendMessageA(main_, WM_COMMAND, 707, 0);
  EXPECT_TRUE(g_verifier.VerifyAll);
  EXPECT_TRUE(g_verifier.RerunRequested);
  // The finished run's wait ends at once on either flag and destroys the
  // window.
  RunWindowFinish();
  EXPECT_EQ(RunWindowHandle(), nullptr);
}

TEST_F(ResultsWindow, ReparentTakesTheChosenFolderOrNothing) {
  Open();
  std::string caption;
  std::thread cancel([&] {
    for (int i = 0; i < 500 && caption.empty(); ++i) {
      // Found once shown, when its first selection is made.
      if (HWND box = FindProcessWindow(::GetCurrentProcessId(), "#32770")) {
        caption = WindowText(box) + " ";
        ::PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
      }
      ::Sleep(20);
    }
  });
  ::SendMessageA(main_, WM_COMMAND, 705, 0);  // modal until answered
  cancel.join();
  ASSERT_FALSE(caption.empty()) << "no folder picker";
  EXPECT_FALSE(g_verifier.StopRequested);
  EXPECT_STREQ(g_verifier.PendingBase, "");

  bool answered = false;
  std::thread choose([&] {
    for (int i = 0; i < 500 && !answered; ++i) {
      // Found once shown, when its first selection is made.
      if (HWND box = FindProcessWindow(::GetCurrentProcessId(), "#32770")) {
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        answered = true;
      }
      ::Sleep(20);
    }
  });
  ::SendMessageA(main_, WM_COMMAND, 705, 0);
  choose.join();
  ASSERT_TRUE(answered);
  // The picker opens on the desktop folder, which has a file-system path.
  EXPECT_TRUE(g_verifier.StopRequested);
  size_t n = strlen(g_verifier.PendingBase);
  ASSERT_GT(n, 3u);
  EXPECT_EQ(g_verifier.PendingBase[n - 1], '\\');
  EXPECT_EQ(g_verifier.PendingBase[1], ':');
}

// The notices the list view sends its parent about deleted items.
struct DeletionSpy {
  WNDPROC original = nullptr;
  int all = 0;   // LVN_DELETEALLITEMS
  int each = 0;  // LVN_DELETEITEM, one per row unless the first is answered
};
DeletionSpy g_deletions;

LRESULT CALLBACK DeletionSpyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY) {
    const UINT code = reinterpret_cast<const NMHDR*>(lp)->code;
    if (code == LVN_DELETEALLITEMS) ++g_deletions.all;
    if (code == LVN_DELETEITEM) ++g_deletions.each;
  }
  return ::CallWindowProcA(g_deletions.original, hwnd, msg, wp, lp);
}

// The rows carry nothing to free, so the window's end deletes them without a
// notice per row (100,000 of them cost seconds), although by then the window
// has let go of its list.
TEST_F(ResultsWindow, ItsEndDeletesTheRowsWithoutANoticePerRow) {
  Open();
  for (int i = 0; i < 40; ++i) ReportLine(Good, "%s%d.bin: %08X:  OK", "f", i, 0x2000u + i);
  ASSERT_TRUE(PumpUntil([this] { return ::SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0) == 40; }));
  g_deletions = DeletionSpy{};
  g_deletions.original = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(main_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DeletionSpyProc)));
  EndRunWindow();
  EXPECT_GE(g_deletions.all, 1);
  EXPECT_EQ(g_deletions.each, 0);
}

TEST_F(ResultsWindow, MarkBadSelectsOnlyBadRowsWithAStatus) {
  Open();
  ReportLine(Info, "Corvana v2.33");
  ReportLine(Good, "a.bin: 00000001:  OK");
  ReportLine(Bad, "b.bin: 00000002:  FAILED.  CRC mismatch");
  ReportLine(Bad, "Invalid line in list");
  ReportLine(Bad, "d.bin: :   FAILED.  File does not exist");
  Select({0, 1, 3});
  ::SendMessageA(main_, WM_COMMAND, 701, 0);
  EXPECT_EQ(Selected(), (std::vector<int>{2, 4}));
  EXPECT_EQ(::GetFocus(), list_);
}

// "&Delete Marked files" asks once and moves the good and bad rows' files to
// the Recycle Bin; "No" leaves everything; Info rows are never files.
TEST_F(ResultsWindow, DeleteMarkedAsksAndRecyclesGoodAndBadFilesOnly) {
  const std::string a = Unique("a.bin"), b = Unique("b.bin"), c = Unique("c.bin");
  for (const std::string& f : {std::string("Corvana v2.33"), a, b, c}) Touch(folder_ + f);
  Open();
  ReportLine(Info, "Corvana v2.33");
  ReportLine(Good, "%s: 00000001:  OK", a.c_str());
  ReportLine(Bad, "%s: 00000002:  FAILED.  CRC mismatch", b.c_str());
  ReportLine(Good, "%s: 00000003:  OK", c.c_str());
  Select({0, 1, 2});
  const struct {
    int Answer;
    bool Gone;
  } kAnswers[] = {{IDNO, false}, {IDYES, true}};
  for (const auto& answer : kAnswers) {
    SCOPED_TRACE(answer.Answer == IDYES ? "Yes" : "No");
    std::vector<SeenBox> boxes;
    {
      BoxWatcher watcher(::GetCurrentProcessId(), answer.Answer);
      ::SendMessageA(main_, WM_COMMAND, 704, 0);
      boxes = watcher.Seen();
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Move 2 file(s) to the Recycle Bin?");
    EXPECT_TRUE(boxes[0].owned);
    EXPECT_TRUE(Exists(folder_ + "Corvana v2.33"));
    EXPECT_EQ(Exists(folder_ + a), !answer.Gone);
    EXPECT_EQ(Exists(folder_ + b), !answer.Gone);
    EXPECT_TRUE(Exists(folder_ + c));
    EXPECT_EQ(InRecycleBin(a), answer.Gone);
    EXPECT_EQ(InRecycleBin(b), answer.Gone);
    EXPECT_FALSE(InRecycleBin(c));
  }
  EXPECT_EQ(Rows().size(), 4u);  // the rows stay

  // Nothing left to delete: no question.
  BoxWatcher watcher(::GetCurrentProcessId(), IDYES);
  ::SendMessageA(main_, WM_COMMAND, 704, 0);
  EXPECT_TRUE(watcher.Seen().empty());
}

// A name that leads out of the list's folder is named in the question, by
// its full path, and goes only with the answer.
TEST_F(ResultsWindow, DeleteMarkedNamesFilesOutsideTheListsFolder) {
  const std::string list = folder_ + "list\\";
  ASSERT_TRUE(CreateFolderUtf8(list.c_str()));
  ASSERT_TRUE(CreateFolderUtf8((list + "sub").c_str()));
  std::snprintf(g_verifier.ListPath, sizeof g_verifier.ListPath, "%sdisc.sfv", list.c_str());
  ::SetCurrentDirectoryA(list.c_str());
  const std::string in = Unique("in.bin"), below = Unique("below.bin"), out = Unique("out.bin");
  Touch(list + in);
  Touch(list + "sub\\" + below);
  Touch(folder_ + out);
  Open();
  ReportLine(Good, "%s: 00000001:  OK", in.c_str());
  ReportLine(Bad, "sub/%s: 00000002:  FAILED.  CRC mismatch", below.c_str());
  ReportLine(Bad, "..\\%s: 00000003:  FAILED.  CRC mismatch", out.c_str());
  Select({0, 1, 2});
  std::vector<SeenBox> boxes;
  {
    BoxWatcher watcher(::GetCurrentProcessId(), IDYES);
    ::SendMessageA(main_, WM_COMMAND, 704, 0);
    boxes = watcher.Seen();
  }
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(
      boxes[0].text,
      "Move 3 file(s) to the Recycle Bin?\r\n\r\nOutside the list's folder:\r\n" + folder_ + out);
  EXPECT_FALSE(Exists(list + in));
  EXPECT_FALSE(Exists(list + "sub\\" + below));
  EXPECT_FALSE(Exists(folder_ + out));
  EXPECT_TRUE(InRecycleBin(out));
  ::SetCurrentDirectoryA(folder_.c_str());
}

class MoveCommand : public ResultsWindow {
 protected:
  std::vector<SeenBox> Move() {
    BoxWatcher watcher(::GetCurrentProcessId());
    ::SendMessageA(main_, WM_COMMAND, 706, 0);
    return watcher.Seen();
  }
  void Fill() {
    std::snprintf(g_verifier.ListPath, sizeof g_verifier.ListPath, "%sholiday.sfv",
                  folder_.c_str());
    for (const char* f : {"holiday.sfv", "a.bin", "b.bin", "c.bin"}) Touch(folder_ + f);
    Open();
    ReportLine(Info, "Corvana v2.33");
    ReportLine(Good, "a.bin: 00000001:  OK");
    ReportLine(Good, "b.bin: 00000002:  OK (Previously verified)");
    ReportLine(Bad, "c.bin: 00000003:  FAILED.  CRC mismatch");
  }
};

TEST_F(MoveCommand, MovesGoodFilesAndTheListIntoAChildFolder) {
  Fill();
  std::vector<SeenBox> boxes = Move();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "All good files successfully moved");
  EXPECT_EQ(boxes[0].caption, "Completed");
  EXPECT_FALSE(boxes[0].anyIcon);
  EXPECT_TRUE(boxes[0].owned);
  EXPECT_TRUE(Exists(folder_ + "holiday\\a.bin"));
  EXPECT_TRUE(Exists(folder_ + "holiday\\b.bin"));
  EXPECT_TRUE(Exists(folder_ + "holiday\\holiday.sfv"));
  EXPECT_TRUE(Exists(folder_ + "c.bin"));
  EXPECT_FALSE(Exists(folder_ + "holiday.sfv"));

  // The list is gone from its old place: clearing its database fails.
  boxes.clear();
  {
    BoxWatcher watcher(::GetCurrentProcessId());
    ::SendMessageA(main_, WM_COMMAND, 703, 0);
    boxes = watcher.Seen();
  }
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Could not update DB");
  EXPECT_EQ(boxes[0].caption, "Notice");
  EXPECT_TRUE(boxes[0].exclamation);
}

TEST_F(MoveCommand, ReportsEachFailure) {
  Fill();
  ::CreateDirectoryA((folder_ + "holiday").c_str(), nullptr);
  std::vector<SeenBox> boxes = Move();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Could not create directory");
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_TRUE(boxes[0].exclamation);
  EXPECT_TRUE(Exists(folder_ + "a.bin"));
  ::RemoveDirectoryA((folder_ + "holiday").c_str());

  // A good file that is not there any more stops the move.
  ::DeleteFileA((folder_ + "b.bin").c_str());
  boxes = Move();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Could not move file");
  EXPECT_TRUE(boxes[0].exclamation);
  EXPECT_TRUE(Exists(folder_ + "holiday\\a.bin"));  // moved before stays moved
  EXPECT_TRUE(Exists(folder_ + "holiday.sfv"));
}

// A good file outside the list's folder stays where it is, and the message
// names it.
TEST_F(MoveCommand, GoodFilesOutsideTheListsFolderStayAndAreNamed) {
  Fill();
  const std::string outFolder = MakeTempFolder("outside");
  const std::string out = outFolder + "out.bin";
  Touch(out);
  ReportLine(Good, "%s: 00000004:  OK", out.c_str());
  std::vector<SeenBox> boxes = Move();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text,
            "All good files successfully moved\r\n\r\n"
            "Outside the list's folder, not moved:\r\n" +
                out);
  EXPECT_EQ(boxes[0].caption, "Completed");
  EXPECT_TRUE(Exists(folder_ + "holiday\\a.bin"));
  EXPECT_TRUE(Exists(folder_ + "holiday\\holiday.sfv"));
  EXPECT_TRUE(Exists(out));
  RemoveTree(outFolder);
}

TEST_F(MoveCommand, ListThatCannotMoveAndListWithoutExtension) {
  Fill();
  ::DeleteFileA((folder_ + "holiday.sfv").c_str());
  std::vector<SeenBox> boxes = Move();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Could not move db file");
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_TRUE(Exists(folder_ + "holiday\\a.bin"));
  EndRunWindow();

  // Without an extension the folder would take the list's own name.
  std::snprintf(g_verifier.ListPath, sizeof g_verifier.ListPath, "%sdisc", folder_.c_str());
  Touch(folder_ + "disc");
  Open();
  boxes = Move();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Could not create directory");
}

TEST_F(ResultsWindow, EveryNameShowsAndCopiesAsItIs) {
  Open();
  std::vector<std::string> names = TestNames();
  names.push_back(kDeepName);
  for (size_t i = 0; i < names.size(); ++i) {
    ReportLine(i % 2 ? Bad : Good, "%s: %08X:  %s", names[i].c_str(), static_cast<unsigned>(i),
               i % 2 ? "FAILED.  CRC mismatch" : "OK");
  }
  std::vector<ListRow> rows = Rows();
  ASSERT_EQ(rows.size(), names.size());
  std::wstring expected;
  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(rows[i].wideName, SystemWide(names[i])) << names[i];
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08X", static_cast<unsigned>(i));
    EXPECT_EQ(rows[i].crc, crc);
    expected += SystemWide(names[i]) + L"\r\n";
  }
  ListViewReader reader(list_, ::GetCurrentProcess());
  for (size_t i = 0; i < names.size(); ++i) reader.Select(static_cast<int>(i), true);
  ::SendMessageW(list_, WM_CHAR, 3, 0);
  EXPECT_EQ(ClipboardUnicode(), expected);
}

// Names sort by the system's case rules: ASCII as before ("_" before the
// letters, equal keys in order of arrival), accented and other letters with
// their capitals.
TEST_F(ResultsWindow, NamesSortWithoutRegardToCaseInEveryScript) {
  Open();
  // Я.txt, b.bin, Émile.txt, éclair.txt, а.txt, B.bin, _x.bin
  const char* arrival[] = {
      "\xD0\xAF.txt", "b.bin", "\xC3\x89mile.txt", "\xC3\xA9\x63lair.txt", "\xD0\xB0.txt",
      "B.bin",        "_x.bin"};
  for (const char* name : arrival) ReportLine(Good, "%s: 00000001:  OK", name);
  g_verifier.Counters.RunFinished = true;
  ClickHeader(0);
  EXPECT_EQ(Names(), (std::vector<std::string>{"_x.bin", "b.bin", "B.bin", arrival[3], arrival[2],
                                               arrival[4], arrival[0]}));
}

TEST_F(ResultsWindow, DeleteMarkedTakesUnicodeAndLongNames) {
  std::vector<std::string> names = TestNames();
  names.push_back(kDeepName);
  ASSERT_TRUE(CreateFolderUtf8((folder_ + Repeat("x", 200)).c_str()));
  ASSERT_TRUE(CreateFolderUtf8((folder_ + kLongFolders).c_str()));
  for (const std::string& name : names) TouchUtf8(folder_ + name);
  TouchUtf8(folder_ + "kept.bin");
  Open();
  for (const std::string& name : names) ReportLine(Bad, "%s: :   FAILED.  x", name.c_str());
  ReportLine(Good, "kept.bin: 00000001:  OK");
  ListViewReader reader(list_, ::GetCurrentProcess());
  for (size_t i = 0; i < names.size(); ++i) reader.Select(static_cast<int>(i), true);
  std::vector<SeenBox> boxes;
  {
    BoxWatcher watcher(::GetCurrentProcessId(), IDYES);
    ::SendMessageW(main_, WM_COMMAND, 704, 0);
    boxes = watcher.Seen();
  }
  // A Recycle Bin takes only paths its plain form reaches: the two long
  // ones and the name that ends in a dot go for good, and the question says so.
  ASSERT_EQ(boxes.size(), 1u);
  const std::string recycled = "Move " + std::to_string(names.size() - 3) +
                               " file(s) to the Recycle Bin?\r\n\r\n"
                               "3 file(s) cannot go to a Recycle Bin and will be deleted for good:";
  EXPECT_EQ(boxes[0].text.substr(0, recycled.size()), recycled);
  EXPECT_TRUE(boxes[0].exclamation);
  for (const std::string& name : names) EXPECT_FALSE(Exists(folder_ + name)) << name;
  EXPECT_TRUE(Exists(folder_ + "kept.bin"));
  RemoveFolderUtf8((folder_ + kLongFolders).c_str());
}

TEST_F(MoveCommand, MovesUnicodeAndLongNamesWithAUnicodeList) {
  // Ελλάδα.sfv: the child folder takes the list's name.
  const std::string list = "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1";
  std::snprintf(g_verifier.ListPath, sizeof g_verifier.ListPath, "%s%s.sfv", folder_.c_str(),
                list.c_str());
  std::vector<std::string> names = TestNames();
  TouchUtf8(folder_ + list + ".sfv");
  for (const std::string& name : names) TouchUtf8(folder_ + name);
  Open();
  for (const std::string& name : names) ReportLine(Good, "%s: 00000001:  OK", name.c_str());
  std::vector<SeenBox> boxes = Move();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "All good files successfully moved");
  for (const std::string& name : names) {
    EXPECT_TRUE(Exists(folder_ + list + "\\" + name)) << name;
    EXPECT_FALSE(Exists(folder_ + name)) << name;
  }
  EXPECT_TRUE(Exists(folder_ + list + "\\" + list + ".sfv"));
  for (const std::string& name : names) DeleteFileUtf8((folder_ + list + "\\" + name).c_str());
  DeleteFileUtf8((folder_ + list + "\\" + list + ".sfv").c_str());
  RemoveFolderUtf8((folder_ + list).c_str());
}

TEST_F(ResultsWindow, AboutBoxShowsTitleAndLinks) {
  Open();
  struct Found {
    bool bold = false, links = false;
    std::string title;
    int linkCount = 0;
  } found;
  WithAboutBox(main_, [&found](HWND box) {
    for (HWND c = ::GetWindow(box, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
      char cls[64] = {};
      ::GetClassNameA(c, cls, sizeof cls);
      if (lstrcmpA(cls, "CvBoldTextClass") == 0) found.bold = ::IsWindowVisible(c);
      if (lstrcmpA(cls, "CvWeblinkClass") == 0 && ::IsWindowVisible(c)) ++found.linkCount;
    }
    bool placeholdersHidden = true;
    for (int id : {1000, 1001, 1002}) {
      if (::IsWindowVisible(::GetDlgItem(box, id))) placeholdersHidden = false;
    }
    found.links = found.linkCount == 2 && placeholdersHidden;
  });
  EXPECT_TRUE(found.bold);
  EXPECT_TRUE(found.links);
  // The classes are gone again with the box.
  WNDCLASSA wc;
  EXPECT_FALSE(::GetClassInfoA(::GetModuleHandleA(nullptr), "CvWeblinkClass", &wc));
  EXPECT_FALSE(::GetClassInfoA(::GetModuleHandleA(nullptr), "CvBoldTextClass", &wc));
}

// The About box's bold title and first link, measured while it is open.
void MeasureAboutBox(HWND main, WindowMeasures* m) {
  WithAboutBox(main, [m](HWND box) {
    for (HWND c = ::GetWindow(box, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
      char cls[64] = {};
      ::GetClassNameA(c, cls, sizeof cls);
      RECT r{};
      ::GetWindowRect(c, &r);
      if (lstrcmpA(cls, "CvBoldTextClass") == 0) m->TitleHeight = r.bottom - r.top;
      if (lstrcmpA(cls, "CvWeblinkClass") == 0 && !m->LinkHeight) m->LinkHeight = r.bottom - r.top;
    }
  });
}

// Sizes stored in the settings file are 96-DPI values at any scale: those of
// earlier versions (which the system gave 96-DPI values) come back scaled,
// and the window writes back what it read. At the system DPI of the process;
// started by ResultsWindowDpi at each DPI, it also hands over its measures.
TEST_F(ResultsWindow, StoredSizesAre96DpiValuesAndTheWindowScales) {
  const int dpi = DpiForWindowOrSystem();
  int32_t placement[11] = {44, 0, SW_SHOWNORMAL, -1, -1, -1, -1, 40, 50, 460, 350};
  char text[80];
  Base64Encode(reinterpret_cast<unsigned char*>(placement), sizeof placement, text, sizeof text);
  ::WritePrivateProfileStringA("Corvana", "WindowInfo", text, g_verifier.IniPath);
  ::WritePrivateProfileStringA("Corvana", "LVWindowInfo", "cgAAAHIAAAClAAAA", g_verifier.IniPath);
  Open();
  RECT r;
  ::GetWindowRect(main_, &r);
  EXPECT_EQ(r.left, ScaleForDpi(40, dpi));
  EXPECT_EQ(r.top, ScaleForDpi(50, dpi));
  EXPECT_EQ(r.right - r.left, ScaleForDpi(420, dpi));
  EXPECT_EQ(r.bottom - r.top, ScaleForDpi(300, dpi));
  EXPECT_EQ(::SendMessageA(list_, LVM_GETCOLUMNWIDTH, 0, 0), ScaleForDpi(114, dpi));
  EXPECT_EQ(::SendMessageA(list_, LVM_GETCOLUMNWIDTH, 2, 0), ScaleForDpi(165, dpi));
  EndRunWindow();
  int32_t v[11] = {};
  ASSERT_EQ(
      Base64Decode(Setting("WindowInfo").c_str(), reinterpret_cast<unsigned char*>(v), sizeof v),
      44u);
  EXPECT_EQ(v[7], 40);
  EXPECT_EQ(v[8], 50);
  EXPECT_EQ(v[9], 460);
  EXPECT_EQ(v[10], 350);
  EXPECT_EQ(Setting("LVWindowInfo"), "AwAAAHIAAAByAAAApQAAAA==");

  // A window at the default place and size, with rows and the menu bar.
  ::WritePrivateProfileStringA("Corvana", "WindowInfo", nullptr, g_verifier.IniPath);
  ::WritePrivateProfileStringA("Corvana", "LVWindowInfo", nullptr, g_verifier.IniPath);
  g_verifier.Settings.ShowMenu = true;
  g_verifier.Counters.TotalEntries = -1;
  Open();
  ReportLine(Info, "%s", "Corvana v2.33");
  ReportLine(Good, "%s: %08X:  %s", "a.bin", 0x1234ABCDu, "OK");
  ReportLine(Bad, "%s: :   %s.  %s", "gone.bin", "FAILED", "File does not exist");
  PumpUntil([] { return false; }, 400);  // the rows shown
  WindowMeasures m = MeasureResultsWindow(main_, list_);
  MeasureAboutBox(main_, &m);
  EXPECT_EQ(m.Dpi, dpi);
  EXPECT_EQ(m.ImageSize, NearestImageSize(16, dpi));
  // The band's two lines, each a font height below the one before, both
  // above the list.
  EXPECT_EQ(BandLineProblems(m), std::vector<std::string>{}) << FormatMeasures(m);
  EXPECT_TRUE(HandOverMeasures(m));
}

// The window in proportion at 96, 120, 144 and 192 DPI: each size at least
// 0.95 times its 96-DPI size scaled by the exact ratio.
TEST(ResultsWindowDpi, InProportionAtEveryScale) {
  if (!OwnsWinePrefix()) GTEST_SKIP() << "needs a Wine prefix of its own";
  std::vector<std::string> problems;
  const std::vector<WindowMeasures> at =
      MeasureAtEachDpi("ResultsWindow.StoredSizesAre96DpiValuesAndTheWindowScales", &problems);
  EXPECT_EQ(problems, std::vector<std::string>{});
  ASSERT_EQ(at.size(), 4u);
  EXPECT_GT(at[0].TitleHeight, 0);
  EXPECT_GT(at[0].LinkHeight, 0);
  for (const WindowMeasures& m : at) {
    EXPECT_EQ(OutOfProportion(at[0], m), std::vector<std::string>{});
  }
}

// Dragged to a monitor of 144 DPI: the suggested rectangle taken, fonts,
// images, band and columns for the new DPI, and the stored values still at
// 96 DPI.
TEST_F(ResultsWindow, FollowsAChangeOfDpi) {
  Open();
  ReportLine(Good, "%s: %08X:  %s", "a.bin", 0x1234ABCDu, "OK");
  PumpUntil([] { return false; }, 400);
  const int before = DpiForWindowOrSystem();
  if (before != 96) GTEST_SKIP() << "measured from 96 DPI";
  const WindowMeasures old = MeasureResultsWindow(main_, list_);
  RECT suggested{30, 40, 30 + 600, 40 + 375};
  ::SendMessageA(main_, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  PumpUntil([] { return false; }, 100);
  RECT r;
  ::GetWindowRect(main_, &r);
  EXPECT_EQ(r.left, 30);
  EXPECT_EQ(r.top, 40);
  EXPECT_EQ(r.right - r.left, 600);
  EXPECT_EQ(r.bottom - r.top, 375);
  WindowMeasures m = MeasureResultsWindow(main_, list_);
  EXPECT_EQ(m.ImageSize, 24);
  EXPECT_EQ(m.Columns[0], 171);
  EXPECT_EQ(m.Columns[2], 248);
  EXPECT_GE(m.ListTop, 48);
  RECT client;
  ::GetClientRect(main_, &client);
  EXPECT_EQ(m.ListHeight, client.bottom - m.ListTop);
  EXPECT_GE(m.RowHeight, old.RowHeight * 1.4);
  EndRunWindow();
  // Stored at 96 DPI: the widths as they were, the size as 400 x 250.
  EXPECT_EQ(Setting("LVWindowInfo"), "AwAAAHIAAAByAAAApQAAAA==");
  int32_t v[11] = {};
  ASSERT_EQ(
      Base64Decode(Setting("WindowInfo").c_str(), reinterpret_cast<unsigned char*>(v), sizeof v),
      44u);
  EXPECT_EQ(v[9] - v[7], 400);
  EXPECT_EQ(v[10] - v[8], 250);
}

}  // namespace
