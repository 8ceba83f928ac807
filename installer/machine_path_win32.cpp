#include "installer/machine_path_win32.h"

#include <windows.h>

#include "installer/install_plan.h"
#include "installer/registry_tree_win32.h"
#include "platform/handles_win32.h"
#include "platform/registry_win32.h"

bool ReadMachinePath(std::string* path) {
  RegText value;
  const bool present = ReadRegText(HKEY_LOCAL_MACHINE, kEnvironmentKey, kPathValue, &value);
  *path = value.text;
  return present;
}

bool RemoveMachinePathEntry(const std::string& entry) {
  std::string path;
  if (!ReadMachinePath(&path)) return true;
  const std::string without = PathWithout(path, entry);
  if (without == path) return true;
  HKEY opened = nullptr;
  if (RegOpenKeyUtf8(HKEY_LOCAL_MACHINE, kEnvironmentKey, KEY_SET_VALUE, &opened) != ERROR_SUCCESS)
    return false;
  UniqueRegKey key(opened);
  return WriteRegText(key.Get(), kPathValue, {without, true});
}

void AnnounceEnvironmentChange() {
  // A program that does not answer within the bound is passed over.
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                        reinterpret_cast<LPARAM>(L"Environment"), SMTO_ABORTIFHUNG, 5000, &ignored);
}
