#include "shellext/verify_window_win32.h"

namespace {

constexpr int kIconId = 140;
constexpr UINT kSysUpdateDb = 503;

HICON LoadIconSized(HINSTANCE instance, int cx, int cy) {
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON,
                                       GetSystemMetrics(cx), GetSystemMetrics(cy), LR_SHARED));
}

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
  // Shared icons: the system frees them with the module.
  if (HICON big = LoadIconSized(instance, SM_CXICON, SM_CYICON)) {
    SendMessageW(main, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  }
  if (HICON small = LoadIconSized(instance, SM_CXSMICON, SM_CYSMICON)) {
    SendMessageW(main, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  }
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
