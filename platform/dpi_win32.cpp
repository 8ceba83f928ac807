#include "platform/dpi_win32.h"

namespace {

// The calls are looked up once: user32 and shcore stay loaded for the life of
// any process that has windows.
template <typename F>
F Lookup(const wchar_t* module, const char* name) {
  HMODULE m = GetModuleHandleW(module);
  if (!m) m = LoadLibraryW(module);
  if (!m) return nullptr;
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForSystemFn = UINT(WINAPI*)();
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

struct DpiCalls {
  GetDpiForWindowFn ForWindow;
  GetDpiForSystemFn ForSystem;
  GetSystemMetricsForDpiFn MetricsForDpi;
  GetDpiForMonitorFn ForMonitor;
};

const DpiCalls& Calls() {
  static const DpiCalls calls = {
      Lookup<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow"),
      Lookup<GetDpiForSystemFn>(L"user32.dll", "GetDpiForSystem"),
      Lookup<GetSystemMetricsForDpiFn>(L"user32.dll", "GetSystemMetricsForDpi"),
      Lookup<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor"),
  };
  return calls;
}

HFONT ScaledFont(LOGFONTW font, int dpi) {
  font.lfHeight = MulDiv(font.lfHeight, dpi, SystemDpi());
  font.lfWidth = MulDiv(font.lfWidth, dpi, SystemDpi());
  return CreateFontIndirectW(&font);
}

}  // namespace

int SystemDpi() {
  if (Calls().ForSystem) {
    const UINT dpi = Calls().ForSystem();
    if (dpi > 0) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kBaseDpi;
}

int DpiForWindow(HWND window) {
  if (window && Calls().ForWindow) {
    const UINT dpi = Calls().ForWindow(window);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  return SystemDpi();
}

int DpiForPoint(POINT screen) {
  if (Calls().ForMonitor) {
    UINT x = 0, y = 0;
    HMONITOR monitor = MonitorFromPoint(screen, MONITOR_DEFAULTTONEAREST);
    // 0: MDT_EFFECTIVE_DPI, the DPI windows there are drawn for.
    if (monitor && SUCCEEDED(Calls().ForMonitor(monitor, 0, &x, &y)) && y > 0) {
      return static_cast<int>(y);
    }
  }
  return SystemDpi();
}

int SystemMetricForDpi(int index, int dpi) {
  if (Calls().MetricsForDpi) return Calls().MetricsForDpi(index, static_cast<UINT>(dpi));
  return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

HFONT CreateGuiFontForDpi(int dpi) {
  LOGFONTW font{};
  if (!GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font)) return nullptr;
  return ScaledFont(font, dpi);
}

HFONT CreateListFontForDpi(int dpi) {
  LOGFONTW font{};
  if (!SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0)) return nullptr;
  return ScaledFont(font, dpi);
}

namespace {

// The dialog manager's units of `font` (its average letter width, rounded,
// and its height) on the screen.
SIZE DialogUnitsOf(HFONT font) {
  SIZE units{0, 0};
  HDC dc = GetDC(nullptr);
  if (!dc) return units;
  HGDIOBJ old = SelectObject(dc, font);
  static const wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE extent{0, 0};
  TEXTMETRICW tm{};
  if (GetTextExtentPoint32W(dc, kLetters, 52, &extent) && GetTextMetricsW(dc, &tm)) {
    units.cx = (extent.cx / 26 + 1) / 2;
    units.cy = tm.tmHeight;
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return units;
}

}  // namespace

void FitDialogToDpi(HWND dialog) {
  const int dpi = DpiForWindow(dialog);
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  LOGFONTW at{};
  if (dpi == kBaseDpi || !font || !GetObjectW(font, sizeof at, &at) || at.lfHeight >= 0) return;
  // The template's point size, and the same face at that size at 96 DPI.
  const int points = MulDiv(-at.lfHeight, 72, dpi);
  LOGFONTW base = at;
  base.lfHeight = -MulDiv(points, kBaseDpi, 72);
  base.lfWidth = 0;
  HFONT baseFont = CreateFontIndirectW(&base);
  if (!baseFont) return;
  const SIZE was = DialogUnitsOf(baseFont);
  DeleteObject(baseFont);
  RECT units{0, 0, 4, 8};
  if (!MapDialogRect(dialog, &units) || was.cx <= 0 || was.cy <= 0) return;
  // Pixels now per pixel the dialog manager gave: wanted ÷ given.
  const int wantX = was.cx * dpi, gotX = units.right * kBaseDpi;
  const int wantY = was.cy * dpi, gotY = units.bottom * kBaseDpi;
  if (wantX == gotX && wantY == gotY) return;
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    // A drop-down list's height is that of its open list.
    RECT dropped;
    wchar_t cls[16] = {};
    GetClassNameW(c, cls, 16);
    if (lstrcmpiW(cls, L"ComboBox") == 0 &&
        SendMessageW(c, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped))) {
      r.bottom = r.top + (dropped.bottom - dropped.top);
    }
    const int left = MulDiv(r.left, wantX, gotX), top = MulDiv(r.top, wantY, gotY);
    SetWindowPos(c, nullptr, left, top, MulDiv(r.right, wantX, gotX) - left,
                 MulDiv(r.bottom, wantY, gotY) - top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RECT frame, client;
  GetWindowRect(dialog, &frame);
  GetClientRect(dialog, &client);
  const int growX = MulDiv(client.right, wantX, gotX) - client.right;
  const int growY = MulDiv(client.bottom, wantY, gotY) - client.bottom;
  SetWindowPos(dialog, nullptr, frame.left - growX / 2, frame.top - growY / 2,
               frame.right - frame.left + growX, frame.bottom - frame.top + growY,
               SWP_NOZORDER | SWP_NOACTIVATE);
}
