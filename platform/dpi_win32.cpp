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
