// The results window with 100,000 rows under Wine: filling it through
// ReportLine as a run of previously verified entries does (messages pumped
// every 32 rows), then one click on each column header and the click back to
// the order of arrival. Beside it, in the same run, a plain list view filled
// with the same texts by LVM_INSERTITEM and sorted by LVM_SORTITEMSEX with a
// case-insensitive text comparison, the usual way to sort a list view (drawing
// off while it is filled). Then the same window again with names outside
// ASCII (accented folder, Japanese file name), filled and sorted by Name.
// Each figure is the wall time and, in brackets, the processor time of this
// process (its threads: the list view works in them), which a machine shared
// with other work disturbs far less.
//
//   results_bench.exe [ROWS] [window]   ("window": without the plain list view)
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "results/results_window_win32.h"
#include "verifier/report_win32.h"
#include "verifier/run_state.h"
#include "verifier/run_window_win32.h"

namespace {

double Seconds(const LARGE_INTEGER& from) {
  LARGE_INTEGER now, freq;
  ::QueryPerformanceCounter(&now);
  ::QueryPerformanceFrequency(&freq);
  return static_cast<double>(now.QuadPart - from.QuadPart) / static_cast<double>(freq.QuadPart);
}

LARGE_INTEGER Now() {
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return t;
}

// User and kernel time of this process, in seconds.
double ProcessorSeconds() {
  FILETIME created, ended, kernel, user;
  ::GetProcessTimes(::GetCurrentProcess(), &created, &ended, &kernel, &user);
  auto value = [](const FILETIME& t) {
    return static_cast<double>(uint64_t{t.dwHighDateTime} << 32 | t.dwLowDateTime) / 1e7;
  };
  return value(kernel) + value(user);
}

// A measurement: wall time and processor time since it began.
struct Span {
  LARGE_INTEGER Wall = Now();
  double Cpu = ProcessorSeconds();
  void Print(const char* what) const {
    std::printf("  %s: %.2f s (cpu %.2f s)\n", what, Seconds(Wall), ProcessorSeconds() - Cpu);
  }
};

// Names in a scrambled order, so that no column arrives sorted.
struct Entry {
  char name[48];
  unsigned crc;
};

// "Müsik" and "ファイル" in UTF-8.
constexpr char kUnicodeFolder[] = "M\xC3\xBCsik";
constexpr char kUnicodeFile[] = "\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB";

std::vector<Entry> MakeEntries(int rows, bool unicode) {
  std::vector<Entry> entries(static_cast<size_t>(rows));
  unsigned x = 12345;
  for (int i = 0; i < rows; ++i) {
    x = x * 1103515245u + 12345u;
    std::snprintf(entries[i].name, sizeof entries[i].name, "%s%02u\\%s%06u.bin",
                  unicode ? kUnicodeFolder : "disc", (x >> 8) % 40, unicode ? kUnicodeFile : "file",
                  (x >> 4) % 1000000);
    entries[i].crc = x ^ (x >> 13);
  }
  return entries;
}

void Click(HWND main, HWND list, int column) {
  NMLISTVIEW nm{};
  nm.hdr.hwndFrom = list;
  nm.hdr.idFrom = 501;
  nm.hdr.code = LVN_COLUMNCLICK;
  nm.iItem = -1;
  nm.iSubItem = column;
  ::SendMessageA(main, WM_NOTIFY, 501, reinterpret_cast<LPARAM>(&nm));
}

HWND g_plain = nullptr;

int CALLBACK CompareText(LPARAM a, LPARAM b, LPARAM column) {
  char ta[512], tb[512];
  LVITEMA it{};
  it.iSubItem = static_cast<int>(column);
  it.cchTextMax = sizeof ta;
  it.pszText = ta;
  ::SendMessageA(g_plain, LVM_GETITEMTEXTA, a, reinterpret_cast<LPARAM>(&it));
  it.pszText = tb;
  ::SendMessageA(g_plain, LVM_GETITEMTEXTA, b, reinterpret_cast<LPARAM>(&it));
  return lstrcmpiA(ta, tb);
}

void PlainListView(const std::vector<Entry>& entries) {
  HWND frame = ::CreateWindowExA(0, "STATIC", "plain", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 420, 10,
                                 400, 250, nullptr, nullptr, nullptr, nullptr);
  g_plain = ::CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 32, 390,
                              200, frame, nullptr, nullptr, nullptr);
  const char* titles[3] = {"Name", "CRC", "Status"};
  for (int i = 0; i < 3; ++i) {
    LVCOLUMNA col{};
    col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    col.cx = 114;
    col.pszText = const_cast<char*>(titles[i]);
    ::SendMessageA(g_plain, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
  }
  ::SendMessageA(g_plain, LVM_SETITEMCOUNT, entries.size(), 0);
  LARGE_INTEGER start = Now();
  // Drawing off while filling, the usual way to fill a list view quickly.
  ::SendMessageA(g_plain, WM_SETREDRAW, FALSE, 0);
  char crc[16];
  for (size_t i = 0; i < entries.size(); ++i) {
    LVITEMA it{};
    it.mask = LVIF_TEXT;
    it.iItem = static_cast<int>(i);
    it.pszText = const_cast<char*>(entries[i].name);
    int at = static_cast<int>(
        ::SendMessageA(g_plain, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it)));
    std::snprintf(crc, sizeof crc, "%08x", entries[i].crc);
    LVITEMA sub{};
    sub.iSubItem = 1;
    sub.pszText = crc;
    ::SendMessageA(g_plain, LVM_SETITEMTEXTA, at, reinterpret_cast<LPARAM>(&sub));
    sub.iSubItem = 2;
    sub.pszText = const_cast<char*>("OK (Previously verified)");
    ::SendMessageA(g_plain, LVM_SETITEMTEXTA, at, reinterpret_cast<LPARAM>(&sub));
    if (i % 32 == 0) PumpMessages();
  }
  ::SendMessageA(g_plain, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(g_plain, nullptr, TRUE);
  PumpMessages();
  std::printf("  plain list view, LVM_INSERTITEM with drawing off: %.2f s\n", Seconds(start));
  for (int column = 0; column < 2; ++column) {
    start = Now();
    ::SendMessageA(g_plain, LVM_SORTITEMSEX, column, reinterpret_cast<LPARAM>(CompareText));
    std::printf("  plain list view, LVM_SORTITEMSEX by %s: %.2f s\n", titles[column],
                Seconds(start));
  }
  ::DestroyWindow(frame);
}

// The window filled through ReportLine; true when it could be created.
bool Fill(const std::vector<Entry>& entries, HWND* main, HWND* list) {
  Span created;
  if (!BeginRunWindow(::GetModuleHandleA(nullptr))) {
    std::printf("no window\n");
    return false;
  }
  *main = RunWindowHandle();
  *list = ::GetDlgItem(*main, 501);
  created.Print("window created");
  Span fill;
  for (const Entry& e : entries) {
    ReportLine(Good, "%s: %08x:  %s (Previously verified)", e.name, e.crc, "OK");
    ++g_verifier.Counters.CheckedCount;
    if (g_verifier.Counters.CheckedCount % 32 == 0) PumpMessages();
  }
  PumpMessages();
  fill.Print("fill through ReportLine");
  return true;
}

void ClickAndShow(HWND main, HWND list, int column, const char* what) {
  Span span;
  Click(main, list, column);
  PumpMessages();
  span.Print(what);
}

void UnicodeWindow(int rows) {
  std::vector<Entry> entries = MakeEntries(rows, true);
  std::printf("results window, %d rows named in UTF-8:\n", rows);
  g_verifier.Counters = RunCounters{};
  g_verifier.Counters.TotalEntries = rows;
  HWND main = nullptr, list = nullptr;
  if (!Fill(entries, &main, &list)) return;
  g_verifier.Counters.RunFinished = true;
  ClickAndShow(main, list, 0, "sort by Name (ascending)");
  EndRunWindow();
}

}  // namespace

int main(int argc, char** argv) {
  int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
  if (rows <= 0) rows = 100000;
  const bool windowOnly = argc > 2 && std::strcmp(argv[2], "window") == 0;
  std::vector<Entry> entries = MakeEntries(rows, false);
  char temp[MAX_PATH];
  ::GetTempPathA(sizeof temp, temp);
  std::snprintf(g_verifier.IniPath, sizeof g_verifier.IniPath, "%scorvana-bench.ini", temp);
  ::DeleteFileA(g_verifier.IniPath);
  g_verifier.Counters.TotalEntries = rows;

  std::printf("results window, %d rows:\n", rows);
  HWND main = nullptr, list = nullptr;
  if (!Fill(entries, &main, &list)) return 1;
  g_verifier.Counters.RunFinished = true;
  ClickAndShow(main, list, 0, "sort by Name (ascending)");
  ClickAndShow(main, list, 1, "sort by CRC (ascending)");
  ClickAndShow(main, list, 2, "sort by Status (ascending)");
  ClickAndShow(main, list, 2, "sort by Status (descending)");
  ClickAndShow(main, list, 2, "back to arrival order");
  Span destroyed;
  EndRunWindow();
  destroyed.Print("window destroyed");
  UnicodeWindow(rows);
  ::DeleteFileA(g_verifier.IniPath);

  if (!windowOnly) PlainListView(entries);
  return 0;
}
