#include "shellext/verify_window_win32.h"

namespace {

constexpr UINT kSysUpdateDb = 503;

}  // namespace

HWND CreateVerifyWindow(ResultsWindowState* window, HINSTANCE instance, ResultsWindowOwner owner) {
  owner.Variant = WindowVariant::ShellExtension;
  WINDOWPLACEMENT wp;
  bool stored =
      owner.SettingsPath && LoadStoredPlacement(owner.SettingsPath, PlacementScreenArea(), &wp);
  HWND main = CreateResultsWindow(window, instance, stored ? &wp : nullptr, owner);
  if (!main) return nullptr;
  const bool on = owner.UpdateDb && *owner.UpdateDb;
  HMENU sys = GetSystemMenu(main, FALSE);
  AppendMenuW(sys, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(sys, MF_STRING | (on ? MF_CHECKED : MF_UNCHECKED), kSysUpdateDb, L"&Update DB");
  // The window sets its own big and small icon (140), for its DPI.
  return main;
}

bool DispatchPending() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {  // the thread's own loop must still see it
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}
