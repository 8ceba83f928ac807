#include "shellext/module_state_win32.h"

#include <cwchar>

#include "platform/dpi_win32.h"

namespace {

constexpr int kMenuBitmapId = 138;

}  // namespace

ShellModuleState& ShellModule() {
  static ShellModuleState state;
  return state;
}

HBITMAP MenuBitmap() {
  ShellModuleState& module = ShellModule();
  if (HBITMAP bitmap = module.MenuBitmap) return bitmap;
  // The picture drawn nearest the menu's check-mark size at the system DPI
  // (Explorer's menus are drawn for it): bitmap 138 is the 16-pixel one,
  // "MENUBITMAP20" and so on the larger ones.
  const int size = NearestImageSize(SystemMetricForDpi(SM_CXMENUCHECK, SystemDpi()), kBaseDpi);
  wchar_t name[16];
  std::swprintf(name, 16, L"MENUBITMAP%d", size);
  HBITMAP loaded =
      LoadBitmapW(module.Instance, size == 16 ? MAKEINTRESOURCEW(kMenuBitmapId) : name);
  if (!loaded) return nullptr;
  // Two threads may load it at once: the first to store it wins.
  void* before = InterlockedCompareExchangePointer(
      reinterpret_cast<void* volatile*>(&module.MenuBitmap), loaded, nullptr);
  if (!before) return loaded;
  DeleteObject(loaded);
  return static_cast<HBITMAP>(before);
}

bool ModuleCanUnload() {
  ShellModuleState& module = ShellModule();
  if (InterlockedCompareExchange(&module.LiveObjects, 0, 0) != 0 ||
      InterlockedCompareExchange(&module.Locks, 0, 0) != 0 ||
      InterlockedCompareExchange(&module.RunningCommands, 0, 0) != 0)
    return false;
  void* bitmap =
      InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&module.MenuBitmap), nullptr);
  if (bitmap) DeleteObject(static_cast<HBITMAP>(bitmap));
  return true;
}
