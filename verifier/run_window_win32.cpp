// The window half of a verification run: the hand-off to a new results
// window, the captions and status-band refreshes while entries are checked,
// and the "Finished" wait until the user closes the window or asks for
// another run.
#include "verifier/run_window_win32.h"

#include <cstdio>

#include "results/results_window_win32.h"
#include "results/window_settings.h"
#include "verifier/run_state.h"

namespace {

constexpr int kIconId = 101;
constexpr UINT kSysUpdateDb = 503;
constexpr UINT kSysAbout = 504;
constexpr UINT kMenuUpdateDb = 40004;

RECT g_statusBand{};

// The screen area chosen at start-up; when start-up left none, the virtual
// screen where the system has one (Windows 98 and 2000 on), else the
// primary screen.
FitArea PlacementArea() {
  const ScreenArea& chosen = g_verifier.Screen;
  if (chosen.Width > 0 && chosen.Height > 0) {
    return {chosen.Left, chosen.Top, chosen.Width, chosen.Height};
  }
  OSVERSIONINFOA v{};
  v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  bool known = GetVersionExA(&v) != 0;
#pragma GCC diagnostic pop
  bool virtualScreen =
      known && ((v.dwPlatformId == 1 &&
                 (v.dwMajorVersion > 4 || (v.dwMajorVersion == 4 && v.dwMinorVersion > 0))) ||
                (v.dwPlatformId == 2 && v.dwMajorVersion >= 5));
  if (virtualScreen) {
    return {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
            GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  }
  return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

bool StoredPlacementFor(WINDOWPLACEMENT* wp) {
  char text[512] = {};
  GetPrivateProfileStringA("Corvana", "WindowInfo", "", text, sizeof text, g_verifier.IniPath);
  StoredPlacement p;
  if (!text[0] || !DecodePlacement(text, &p)) return false;
  FitPlacementToArea(&p, PlacementArea());
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

}  // namespace

bool BeginRunWindow(HINSTANCE instance, HashJob* job) {
  WINDOWPLACEMENT wp;
  bool stored = StoredPlacementFor(&wp);
  HWND main = CreateResultsWindow(instance, stored ? &wp : nullptr);
  if (!main) return false;
  int32_t total = g_verifier.Counters.TotalEntries;
  if (total >= 0) ReserveRows(2u * static_cast<uint32_t>(total));
  SetWindowLongPtrA(main, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(job));
  GetClientRect(main, &g_statusBand);
  g_statusBand.bottom = 32;

  bool on = g_verifier.Settings.UpdateDb;
  if (!g_verifier.Settings.ShowMenu) {
    HMENU sys = GetSystemMenu(main, FALSE);
    AppendMenuA(sys, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(sys, MF_STRING | (on ? MF_CHECKED : MF_UNCHECKED), kSysUpdateDb, "&Update DB");
    AppendMenuA(sys, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(sys, MF_STRING, kSysAbout, "&About Corvana");
  } else {
    CheckMenuItem(GetMenu(main), kMenuUpdateDb, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
  }
  HICON big = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(kIconId), IMAGE_ICON,
                                            GetSystemMetrics(SM_CXICON),
                                            GetSystemMetrics(SM_CYICON), LR_SHARED));
  HICON small = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(kIconId), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  if (big) SendMessageA(main, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  if (small) SendMessageA(main, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  return true;
}

void RunWindowFileStarted(const char* name) {
  HWND main = ResultsWindowHandle();
  if (!main) return;
  char caption[600];
  std::snprintf(caption, sizeof caption, "Checking %s...", name);
  SetWindowTextA(main, caption);
  InvalidateRect(main, &g_statusBand, TRUE);
}

void RunWindowInvalidateBand(bool erase) {
  if (HWND main = ResultsWindowHandle()) InvalidateRect(main, &g_statusBand, erase);
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void RunWindowFinish() {
  HWND main = ResultsWindowHandle();
  if (main) {
    MessageBeep(MB_OK);
    SetWindowTextA(main, "Finished");
  }
  while (ResultsWindowHandle() && !g_verifier.StopRequested && !g_verifier.RerunRequested) {
    PumpMessages();
    // Wakes at once for input; otherwise looks at the flags every 10 ms.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  DestroyResultsWindow();
}
