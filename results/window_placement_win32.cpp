// The stored window placement, read back for a new results window and
// fitted to the screen area placements are checked against.
#include <windows.h>

#include <string>

#include "platform/dpi_win32.h"
#include "platform/profile_win32.h"
#include "results/results_window_win32.h"
#include "results/window_settings.h"

FitArea PlacementScreenArea() {
  OSVERSIONINFOW v{};
  v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  bool known = GetVersionExW(&v) != 0;
#pragma GCC diagnostic pop
  bool virtualScreen =
      known && ((v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS &&
                 (v.dwMajorVersion > 4 || (v.dwMajorVersion == 4 && v.dwMinorVersion > 0))) ||
                (v.dwPlatformId == VER_PLATFORM_WIN32_NT && v.dwMajorVersion >= 5));
  if (virtualScreen) {
    return {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
            GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  }
  return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

bool LoadStoredPlacement(const char* settingsPath, const FitArea& area, WINDOWPLACEMENT* wp) {
  if (!settingsPath) return false;
  const std::string text = ReadProfileStringUtf8("Corvana", "WindowInfo", "", settingsPath);
  StoredPlacement p;
  if (text.empty() || !DecodePlacement(text.c_str(), &p)) return false;
  // Positions at the system DPI; the size at the DPI of the monitor the
  // window comes back to.
  const int positionDpi = SystemDpi();
  const int sizeDpi = DpiForPoint(
      POINT{ScaleForDpi(p.Values[kLeft], positionDpi), ScaleForDpi(p.Values[kTop], positionDpi)});
  PlacementFrom96(&p, positionDpi, sizeDpi);
  FitPlacementToArea(&p, area, sizeDpi);
  const int32_t* v = p.Values;
  *wp = WINDOWPLACEMENT{};
  wp->length = sizeof *wp;
  wp->flags = static_cast<UINT>(v[kFlags]);
  wp->showCmd = static_cast<UINT>(v[kShow]);
  wp->ptMinPosition = {v[kMinX], v[kMinY]};
  wp->ptMaxPosition = {v[kMaxX], v[kMaxY]};
  wp->rcNormalPosition = {v[kLeft], v[kTop], v[kRight], v[kBottom]};
  return true;
}
