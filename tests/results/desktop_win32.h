// Helpers of the window tests: waiting on conditions while this thread's
// messages are dispatched, answering message boxes from a watcher thread,
// and reading the rows of a list view in this or another process.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Dispatches this thread's messages until `done` holds or `timeoutMs` has
// passed; true when it held.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 20000);

// One message box as it was seen before it was answered.
struct SeenBox {
  std::string caption;
  std::string text;
  bool exclamation = false;  // the exclamation icon was shown
  bool anyIcon = false;      // some icon was shown
  bool owned = false;        // it has an owner window
};

// Watches the desktop for dialog boxes ("#32770") of process `pid`, reads
// each one's caption, message and icon, and presses its `answer` button
// (IDYES, IDNO...) where it has one, else its OK (or Cancel) button. Runs on
// its own thread until destroyed.
class BoxWatcher {
 public:
  explicit BoxWatcher(DWORD pid, int answer = IDOK);
  ~BoxWatcher();
  BoxWatcher(const BoxWatcher&) = delete;
  BoxWatcher& operator=(const BoxWatcher&) = delete;
  std::vector<SeenBox> Seen();
  void Clear();

 private:
  void Run();
  DWORD pid_;
  int answer_;
  bool stop_ = false;
  std::mutex mutex_;
  std::vector<SeenBox> seen_;
  std::thread thread_;
};

// The first visible top-level window of class `cls` that belongs to `pid`.
HWND FindProcessWindow(DWORD pid, const char* cls);

// A row of a list view: image and the three cells, in UTF-8, and the name
// as the list view holds it (UTF-16).
struct ListRow {
  int image = -1;
  std::string name, crc, status;
  std::wstring wideName;
};

// Reads and changes a report-mode list view through memory in its own
// process (the same process works too). Texts are read with LVM_GETITEMTEXTW,
// up to 16,000 characters.
class ListViewReader {
 public:
  ListViewReader(HWND list, HANDLE process);
  ~ListViewReader();
  ListViewReader(const ListViewReader&) = delete;
  ListViewReader& operator=(const ListViewReader&) = delete;
  int Count() const;
  ListRow Row(int item);
  std::vector<ListRow> Rows();
  void Select(int item, bool on);
  std::vector<int> Selected() const;

 private:
  std::wstring Text(int item, int sub);
  HWND list_;
  HANDLE process_;
  char* remote_ = nullptr;  // one page in the list's process
};

// Window texts in UTF-8.
std::string WindowText(HWND window);

// The UTF-16 form of UTF-8 text, converted by the system (not by the code
// under test).
std::wstring SystemWide(const std::string& utf8);
std::string SystemUtf8(const std::wstring& text);

// The clipboard's Unicode text, or "<empty>" when it holds none.
std::wstring ClipboardUnicode();

// ---- Display scale ----
//
// Under Wine the system DPI is a setting of the prefix (HKCU\Control
// Panel\Desktop, LogPixels) that each process reads as it starts: a test sets
// it and measures its windows in a child process. Every process of the prefix
// would see the change, so such tests run only in a prefix of their own (their
// registration sets WINEPREFIX and CORVANA_OWN_PREFIX) and are skipped
// elsewhere.

// What scales with the display in a results window (the verifier's or the
// shell extension's), in pixels.
struct WindowMeasures {
  int Dpi = 0;  // the window's
  int WindowWidth = 0, WindowHeight = 0;
  int ListWidth = 0, ListHeight = 0;
  int Columns[3] = {};
  int RowHeight = 0;  // item 0's bounds
  int HeaderHeight = 0;
  int ImageSize = 0;  // the rows' image list
  int ListTop = 0;    // the status band's height
  // The band as drawn: the system's GUI font height at this DPI, and the top
  // and bottom of the ink of each text line (left half, below any separator).
  int FontHeight = 0;
  int LineCount = 0;
  int LineTop[4] = {}, LineBottom[4] = {};
  // The verifier's About box: the bold title's and the first link's heights.
  int TitleHeight = 0, LinkHeight = 0;
  // The shell extension's progress window ("Status"): its size, the
  // per-file bar's height and the Cancel button's.
  int ProgressWidth = 0, ProgressHeight = 0, ProgressBarHeight = 0, CancelHeight = 0;
};
// Measures `main` and its list view `list`; the window is painted first.
WindowMeasures MeasureResultsWindow(HWND main, HWND list);
// One line of text and back, to hand measures from a child process.
std::string FormatMeasures(const WindowMeasures& m);
bool ParseMeasures(const std::string& text, WindowMeasures* m);

// The registration gave this program a Wine prefix of its own.
bool OwnsWinePrefix();
// The prefix's system DPI for processes started from now on.
bool SetSystemDpi(int dpi);
// Runs this program again with --gtest_filter=`filter` and the environment
// variable CORVANA_MEASURE_OUT naming a file, which the child fills; returns
// the child's exit code (-1 when it could not run) and the file's text.
int RunSelfMeasuring(const std::string& filter, std::string* measured);
// The measures of `filter` at 96, 120, 144 and 192 DPI, each from a child
// started after the system DPI was set (96 again at the end). What went
// wrong (a child that failed, measures missing or of another DPI) is added
// to `problems`.
std::vector<WindowMeasures> MeasureAtEachDpi(const std::string& filter,
                                             std::vector<std::string>* problems);
// Each size of `m` below 0.95 times its size in `base` scaled by the exact
// ratio of their DPIs, as "NAME at DPI: got X, wanted at least Y"; a size
// that `base` does not have (0) is not compared.
std::vector<std::string> OutOfProportion(const WindowMeasures& base, const WindowMeasures& m);
// In a child started by RunSelfMeasuring: writes the measures to its file
// (and the test's log). False when the file cannot be written; true when
// this is no such child.
bool HandOverMeasures(const WindowMeasures& m);
// What is wrong with the band as drawn: not exactly two lines, a line less
// than one font height below the one before, or one reaching the list.
std::vector<std::string> BandLineProblems(const WindowMeasures& m);
