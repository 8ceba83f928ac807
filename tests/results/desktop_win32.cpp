#include "desktop_win32.h"

#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

WindowMeasures MeasureResultsWindow(HWND main, HWND list) {
  WindowMeasures m;
  ::RedrawWindow(main, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  auto forWindow = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  m.Dpi = forWindow ? static_cast<int>(forWindow(main)) : 96;
  RECT r{};
  ::GetWindowRect(main, &r);
  m.WindowWidth = r.right - r.left;
  m.WindowHeight = r.bottom - r.top;
  ::GetWindowRect(list, &r);
  m.ListWidth = r.right - r.left;
  m.ListHeight = r.bottom - r.top;
  POINT origin{r.left, r.top};
  ::ScreenToClient(main, &origin);
  m.ListTop = origin.y;
  for (int i = 0; i < 3; ++i) {
    m.Columns[i] = static_cast<int>(::SendMessageW(list, LVM_GETCOLUMNWIDTH, i, 0));
  }
  RECT item{};
  item.left = LVIR_BOUNDS;
  if (::SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item))) {
    m.RowHeight = item.bottom - item.top;
  }
  HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
  ::GetWindowRect(header, &r);
  m.HeaderHeight = r.bottom - r.top;
  HIMAGELIST images =
      reinterpret_cast<HIMAGELIST>(::SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
  // Looked up, so that the programs sharing these helpers need not link the
  // common controls.
  using GetIconSizeFn = BOOL(WINAPI*)(HIMAGELIST, int*, int*);
  auto getIconSize = reinterpret_cast<GetIconSizeFn>(reinterpret_cast<void*>(
      ::GetProcAddress(::LoadLibraryW(L"comctl32.dll"), "ImageList_GetIconSize")));
  int cx = 0, cy = 0;
  if (images && getIconSize && getIconSize(images, &cx, &cy)) m.ImageSize = cy;

  HDC screen = ::GetDC(nullptr);
  HGDIOBJ old = ::SelectObject(screen, ::GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW tm{};
  ::GetTextMetricsW(screen, &tm);
  ::SelectObject(screen, old);
  ::ReleaseDC(nullptr, screen);
  m.FontHeight = tm.tmHeight;

  // The band's pixels, read from the window: a row is ink when a pixel of
  // the left half is dark; rows dark across the whole width are the
  // separator line.
  RECT client{};
  ::GetClientRect(main, &client);
  const int w = client.right, h = m.ListTop;
  if (w <= 0 || h <= 0) return m;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC dc = ::GetDC(main);
  HDC mem = ::CreateCompatibleDC(dc);
  HBITMAP dib = ::CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ oldBitmap = ::SelectObject(mem, dib);
  ::BitBlt(mem, 0, 0, w, h, dc, 0, 0, SRCCOPY);
  ::GdiFlush();
  const auto* px = static_cast<const uint32_t*>(bits);
  auto dark = [&](int x, int y) {
    uint32_t p = px[y * w + x];
    return ((p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF)) < 3 * 128;
  };
  // A line's ink may have a blank row inside (a descender below a
  // letter's body): rows closer than three blank rows belong to one line.
  int blank = 3;
  for (int y = 0; y < h; ++y) {
    int across = 0;
    bool ink = false;
    for (int x = 0; x < w; ++x) {
      if (!dark(x, y)) continue;
      ++across;
      if (x < w / 2) ink = true;
    }
    if (across >= w * 9 / 10) ink = false;  // the separator
    if (!ink) {
      ++blank;
      continue;
    }
    if (blank >= 3 && m.LineCount < 4) m.LineTop[m.LineCount++] = y;
    if (m.LineCount > 0) m.LineBottom[m.LineCount - 1] = y;
    blank = 0;
  }
  ::SelectObject(mem, oldBitmap);
  ::DeleteObject(dib);
  ::DeleteDC(mem);
  ::ReleaseDC(main, dc);
  return m;
}

namespace {

// The measures as "name=value" words, in this order.
struct MeasureField {
  const char* Name;
  int WindowMeasures::*Field;
};
const MeasureField kMeasureFields[] = {
    {"dpi", &WindowMeasures::Dpi},
    {"window_width", &WindowMeasures::WindowWidth},
    {"window_height", &WindowMeasures::WindowHeight},
    {"list_width", &WindowMeasures::ListWidth},
    {"list_height", &WindowMeasures::ListHeight},
    {"row_height", &WindowMeasures::RowHeight},
    {"header_height", &WindowMeasures::HeaderHeight},
    {"image_size", &WindowMeasures::ImageSize},
    {"list_top", &WindowMeasures::ListTop},
    {"font_height", &WindowMeasures::FontHeight},
    {"lines", &WindowMeasures::LineCount},
    {"title_height", &WindowMeasures::TitleHeight},
    {"link_height", &WindowMeasures::LinkHeight},
    {"progress_width", &WindowMeasures::ProgressWidth},
    {"progress_height", &WindowMeasures::ProgressHeight},
    {"progress_bar_height", &WindowMeasures::ProgressBarHeight},
    {"cancel_height", &WindowMeasures::CancelHeight},
};

}  // namespace

std::string FormatMeasures(const WindowMeasures& m) {
  std::string text;
  char word[64];
  for (const MeasureField& f : kMeasureFields) {
    std::snprintf(word, sizeof word, "%s=%d ", f.Name, m.*f.Field);
    text += word;
  }
  for (int i = 0; i < 3; ++i) {
    std::snprintf(word, sizeof word, "column%d=%d ", i, m.Columns[i]);
    text += word;
  }
  for (int i = 0; i < 4; ++i) {
    std::snprintf(word, sizeof word, "line%d=%d,%d ", i, m.LineTop[i], m.LineBottom[i]);
    text += word;
  }
  return text;
}

bool ParseMeasures(const std::string& text, WindowMeasures* m) {
  *m = WindowMeasures{};
  int found = 0;
  for (const MeasureField& f : kMeasureFields) {
    const std::string key = std::string(f.Name) + "=";
    size_t at = text.find(key);
    if (at == std::string::npos) continue;
    m->*f.Field = std::atoi(text.c_str() + at + key.size());
    ++found;
  }
  for (int i = 0; i < 3; ++i) {
    const std::string key = "column" + std::to_string(i) + "=";
    size_t at = text.find(key);
    if (at != std::string::npos) m->Columns[i] = std::atoi(text.c_str() + at + key.size());
  }
  for (int i = 0; i < 4; ++i) {
    const std::string key = "line" + std::to_string(i) + "=";
    size_t at = text.find(key);
    if (at != std::string::npos) {
      std::sscanf(text.c_str() + at + key.size(), "%d,%d", &m->LineTop[i], &m->LineBottom[i]);
    }
  }
  return found == static_cast<int>(sizeof kMeasureFields / sizeof kMeasureFields[0]);
}

bool OwnsWinePrefix() {
  char value[8] = {};
  return ::GetEnvironmentVariableA("CORVANA_OWN_PREFIX", value, sizeof value) > 0;
}

bool SetSystemDpi(int dpi) {
  HKEY key;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  DWORD value = static_cast<DWORD>(dpi);
  bool ok = ::RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value),
                             sizeof value) == ERROR_SUCCESS;
  ::RegCloseKey(key);
  return ok;
}

bool HandOverMeasures(const WindowMeasures& m) {
  char path[MAX_PATH] = {};
  if (!::GetEnvironmentVariableA("CORVANA_MEASURE_OUT", path, sizeof path)) return true;
  FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  const std::string text = FormatMeasures(m);
  const bool written = std::fputs(text.c_str(), f) >= 0;
  std::fclose(f);
  std::printf("measures: %s\n", text.c_str());
  return written;
}

std::vector<std::string> BandLineProblems(const WindowMeasures& m) {
  std::vector<std::string> out;
  if (m.LineCount != 2) out.push_back("lines: " + std::to_string(m.LineCount));
  if (m.LineTop[1] - m.LineTop[0] < m.FontHeight) out.push_back("second line too close");
  if (m.LineBottom[0] >= m.LineTop[1]) out.push_back("the lines overlap");
  if (m.LineBottom[1] >= m.ListTop) out.push_back("the second line reaches the list");
  return out;
}

int RunSelfMeasuring(const std::string& filter, std::string* measured) {
  measured->clear();
  char self[MAX_PATH] = {}, temp[MAX_PATH] = {}, out[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, self, sizeof self);
  ::GetTempPathA(sizeof temp, temp);
  ::GetTempFileNameA(temp, "dpi", 0, out);
  ::SetEnvironmentVariableA("CORVANA_MEASURE_OUT", out);
  std::string command = std::string("\"") + self + "\" --gtest_filter=" + filter;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  int code = -1;
  if (::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                       &pi)) {
    ::WaitForSingleObject(pi.hProcess, 120000);
    DWORD exit = 0;
    if (::GetExitCodeProcess(pi.hProcess, &exit)) code = static_cast<int>(exit);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
  }
  ::SetEnvironmentVariableA("CORVANA_MEASURE_OUT", nullptr);
  if (FILE* f = std::fopen(out, "rb")) {
    char buffer[2048];
    size_t n = std::fread(buffer, 1, sizeof buffer, f);
    measured->assign(buffer, n);
    std::fclose(f);
  }
  ::DeleteFileA(out);
  return code;
}

std::vector<WindowMeasures> MeasureAtEachDpi(const std::string& filter,
                                             std::vector<std::string>* problems) {
  std::vector<WindowMeasures> at;
  for (int dpi : {96, 120, 144, 192}) {
    const std::string where = " at " + std::to_string(dpi) + " DPI";
    if (!SetSystemDpi(dpi)) problems->push_back("the DPI could not be set" + where);
    std::string text;
    const int code = RunSelfMeasuring(filter, &text);
    if (code != 0) problems->push_back("the child ended with " + std::to_string(code) + where);
    WindowMeasures m;
    if (!ParseMeasures(text, &m) || m.Dpi != dpi) {
      problems->push_back("no measures" + where + ": " + text);
      continue;
    }
    at.push_back(m);
  }
  SetSystemDpi(96);
  return at;
}

std::vector<std::string> OutOfProportion(const WindowMeasures& base, const WindowMeasures& m) {
  const struct {
    const char* Name;
    int Base, Now;
  } sizes[] = {
      {"window width", base.WindowWidth, m.WindowWidth},
      {"window height", base.WindowHeight, m.WindowHeight},
      {"list width", base.ListWidth, m.ListWidth},
      {"list height", base.ListHeight, m.ListHeight},
      {"column 0", base.Columns[0], m.Columns[0]},
      {"column 1", base.Columns[1], m.Columns[1]},
      {"column 2", base.Columns[2], m.Columns[2]},
      {"row height", base.RowHeight, m.RowHeight},
      {"header height", base.HeaderHeight, m.HeaderHeight},
      {"status band", base.ListTop, m.ListTop},
      {"About title", base.TitleHeight, m.TitleHeight},
      {"About link", base.LinkHeight, m.LinkHeight},
      {"progress width", base.ProgressWidth, m.ProgressWidth},
      {"progress height", base.ProgressHeight, m.ProgressHeight},
      {"progress bar", base.ProgressBarHeight, m.ProgressBarHeight},
      {"Cancel button", base.CancelHeight, m.CancelHeight},
  };
  std::vector<std::string> out;
  for (const auto& size : sizes) {
    if (size.Base <= 0 || base.Dpi <= 0) continue;
    const double wanted = 0.95 * size.Base * m.Dpi / base.Dpi;
    if (size.Now >= wanted) continue;
    char text[160];
    std::snprintf(text, sizeof text, "%s at %d DPI: got %d, wanted at least %.1f", size.Name, m.Dpi,
                  size.Now, wanted);
    out.push_back(text);
  }
  return out;
}
