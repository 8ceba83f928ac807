#include "desktop_win32.h"

#include <commctrl.h>

#include <cstring>
#include <cwchar>

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  DWORD start = ::GetTickCount();
  for (;;) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    if (done()) return true;
    if (::GetTickCount() - start > timeoutMs) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

std::string WindowText(HWND window) {
  wchar_t text[1024] = {};
  ::GetWindowTextW(window, text, 1024);
  return SystemUtf8(text);
}

std::wstring SystemWide(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
  return w;
}

std::string SystemUtf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), s.data(), n,
                        nullptr, nullptr);
  return s;
}

std::wstring ClipboardUnicode() {
  std::wstring text = L"<no clipboard>";
  if (!::OpenClipboard(nullptr)) return text;
  text = L"<empty>";
  if (HANDLE h = ::GetClipboardData(CF_UNICODETEXT)) {
    if (auto* p = static_cast<const wchar_t*>(::GlobalLock(h))) {
      text = p;
      ::GlobalUnlock(h);
    }
  }
  ::CloseClipboard();
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

BoxWatcher::BoxWatcher(DWORD pid, int answer)
    : pid_(pid), answer_(answer), thread_([this] { Run(); }) {}

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
      b.text = WindowText(::GetDlgItem(box, 0xFFFF));
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
      const int press = ::GetDlgItem(box, answer_) ? answer_
                        : ::GetDlgItem(box, IDOK)  ? IDOK
                                                   : IDCANCEL;
      ::PostMessageA(box, WM_COMMAND, press, 0);
    } else if (!box) {
      last = nullptr;
    }
    ::Sleep(20);
  }
}

namespace {

// The remote block: the item record, then the text.
constexpr size_t kTextOffset = 512;
constexpr int kTextChars = 16000;
constexpr size_t kRemoteSize = kTextOffset + (kTextChars + 1) * sizeof(wchar_t);

}  // namespace

ListViewReader::ListViewReader(HWND list, HANDLE process) : list_(list), process_(process) {
  remote_ = static_cast<char*>(
      ::VirtualAllocEx(process_, nullptr, kRemoteSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
}

ListViewReader::~ListViewReader() {
  if (remote_) ::VirtualFreeEx(process_, remote_, 0, MEM_RELEASE);
}

int ListViewReader::Count() const {
  return static_cast<int>(::SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0));
}

std::wstring ListViewReader::Text(int item, int sub) {
  LVITEMW it{};
  it.iSubItem = sub;
  it.pszText = reinterpret_cast<wchar_t*>(remote_ + kTextOffset);
  it.cchTextMax = kTextChars;
  SIZE_T n = 0;
  ::WriteProcessMemory(process_, remote_, &it, sizeof it, &n);
  wchar_t zero = 0;
  ::WriteProcessMemory(process_, remote_ + kTextOffset, &zero, sizeof zero, &n);
  ::SendMessageW(list_, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(remote_));
  std::wstring text(kTextChars + 1, L'\0');
  ::ReadProcessMemory(process_, remote_ + kTextOffset, text.data(), kTextChars * sizeof(wchar_t),
                      &n);
  text.resize(std::wcslen(text.c_str()));
  return text;
}

ListRow ListViewReader::Row(int item) {
  ListRow r;
  LVITEMW it{};
  it.mask = LVIF_IMAGE;
  it.iItem = item;
  SIZE_T n = 0;
  ::WriteProcessMemory(process_, remote_, &it, sizeof it, &n);
  if (::SendMessageW(list_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote_))) {
    ::ReadProcessMemory(process_, remote_, &it, sizeof it, &n);
    r.image = it.iImage;
  }
  r.wideName = Text(item, 0);
  r.name = SystemUtf8(r.wideName);
  r.crc = SystemUtf8(Text(item, 1));
  r.status = SystemUtf8(Text(item, 2));
  return r;
}

std::vector<ListRow> ListViewReader::Rows() {
  std::vector<ListRow> rows;
  int n = Count();
  for (int i = 0; i < n; ++i) rows.push_back(Row(i));
  return rows;
}

void ListViewReader::Select(int item, bool on) {
  LVITEMW it{};
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
