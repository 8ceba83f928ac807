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
