#include "desktop_win32.h"

#include <commctrl.h>

#include <cstring>

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  DWORD start = ::GetTickCount();
  for (;;) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    if (done()) return true;
    if (::GetTickCount() - start > timeoutMs) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

std::string WindowText(HWND window) {
  char text[1024] = {};
  ::GetWindowTextA(window, text, sizeof text);
  return text;
}

namespace {

struct FindContext {
  DWORD pid;
  const char* cls;
  HWND found;
};

BOOL CALLBACK FindOne(HWND w, LPARAM lp) {
  auto* c = reinterpret_cast<FindContext*>(lp);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(w, &owner);
  if (owner != c->pid || !::IsWindowVisible(w)) return TRUE;
  char cls[64] = {};
  ::GetClassNameA(w, cls, sizeof cls);
  if (lstrcmpiA(cls, c->cls) != 0) return TRUE;
  c->found = w;
  return FALSE;
}

// The message box's static icon control.
constexpr int kBoxIconId = 0x0440;

}  // namespace

HWND FindProcessWindow(DWORD pid, const char* cls) {
  FindContext c{pid, cls, nullptr};
  ::EnumWindows(FindOne, reinterpret_cast<LPARAM>(&c));
  return c.found;
}

BoxWatcher::BoxWatcher(DWORD pid) : pid_(pid), thread_([this] { Run(); }) {}

BoxWatcher::~BoxWatcher() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  thread_.join();
}

std::vector<SeenBox> BoxWatcher::Seen() {
  std::lock_guard<std::mutex> lock(mutex_);
  return seen_;
}

void BoxWatcher::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  seen_.clear();
}

void BoxWatcher::Run() {
  HWND last = nullptr;
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stop_) return;
    }
    HWND box = FindProcessWindow(pid_, "#32770");
    if (box && box != last && ::GetDlgItem(box, 0xFFFF)) {
      SeenBox b;
      b.caption = WindowText(box);
      char text[1024] = {};
      ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
      b.text = text;
      HWND icon = ::GetDlgItem(box, kBoxIconId);
      HICON shown = icon && ::IsWindowVisible(icon)
                        ? reinterpret_cast<HICON>(::SendMessageA(icon, STM_GETICON, 0, 0))
                        : nullptr;
      b.anyIcon = shown != nullptr;
      b.exclamation = shown && shown == ::LoadIconA(nullptr, IDI_EXCLAMATION);
      b.owned = ::GetWindow(box, GW_OWNER) != nullptr;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        seen_.push_back(b);
      }
      last = box;
      HWND ok = ::GetDlgItem(box, IDOK);
      ::PostMessageA(box, WM_COMMAND, ok ? IDOK : IDCANCEL, 0);
    } else if (!box) {
      last = nullptr;
    }
    ::Sleep(20);
  }
}

ListViewReader::ListViewReader(HWND list, HANDLE process) : list_(list), process_(process) {
  remote_ = static_cast<char*>(
      ::VirtualAllocEx(process_, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
}

ListViewReader::~ListViewReader() {
  if (remote_) ::VirtualFreeEx(process_, remote_, 0, MEM_RELEASE);
}

int ListViewReader::Count() const {
  return static_cast<int>(::SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0));
}

std::string ListViewReader::Text(int item, int sub) {
  LVITEMA it{};
  it.iSubItem = sub;
  it.pszText = remote_ + 512;
  it.cchTextMax = 1024;
  SIZE_T n = 0;
  ::WriteProcessMemory(process_, remote_, &it, sizeof it, &n);
  char zero = 0;
  ::WriteProcessMemory(process_, remote_ + 512, &zero, 1, &n);
  ::SendMessageA(list_, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(remote_));
  char text[1025] = {};
  ::ReadProcessMemory(process_, remote_ + 512, text, 1024, &n);
  return text;
}

ListRow ListViewReader::Row(int item) {
  ListRow r;
  LVITEMA it{};
  it.mask = LVIF_IMAGE;
  it.iItem = item;
  SIZE_T n = 0;
  ::WriteProcessMemory(process_, remote_, &it, sizeof it, &n);
  if (::SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote_))) {
    ::ReadProcessMemory(process_, remote_, &it, sizeof it, &n);
    r.image = it.iImage;
  }
  r.name = Text(item, 0);
  r.crc = Text(item, 1);
  r.status = Text(item, 2);
  return r;
}

std::vector<ListRow> ListViewReader::Rows() {
  std::vector<ListRow> rows;
  int n = Count();
  for (int i = 0; i < n; ++i) rows.push_back(Row(i));
  return rows;
}

void ListViewReader::Select(int item, bool on) {
  LVITEMA it{};
  it.stateMask = LVIS_SELECTED;
  it.state = on ? LVIS_SELECTED : 0;
  SIZE_T n = 0;
  ::WriteProcessMemory(process_, remote_, &it, sizeof it, &n);
  ::SendMessageA(list_, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(remote_));
}

std::vector<int> ListViewReader::Selected() const {
  std::vector<int> items;
  int i = -1;
  while ((i = static_cast<int>(::SendMessageA(list_, LVM_GETNEXTITEM, i, LVNI_SELECTED))) >= 0) {
    items.push_back(i);
  }
  return items;
}
