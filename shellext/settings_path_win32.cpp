#include "shellext/settings_path_win32.h"

#include <windows.h>

#include <cstring>

#include "platform/handles_win32.h"
#include "shellext/class_id_win32.h"

namespace {

constexpr char kSettingsName[] = "Corvana.ini";

void SetBareName(char* out, size_t capacity) {
  lstrcpynA(out, kSettingsName, static_cast<int>(capacity));
}

}  // namespace

void LocateSettingsFile(char* out, size_t capacity) {
  SetBareName(out, capacity);
  char keyName[80] = "CLSID\\";
  std::strcat(keyName, kShellExtensionClassIdText);
  std::strcat(keyName, "\\InProcServer32");
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, keyName, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
    return;
  UniqueRegKey key(opened);
  char module[513] = {};
  DWORD size = 512, type = 0;
  if (RegQueryValueExA(key.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(module),
                       &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return;
  module[size < sizeof module ? size : sizeof module - 1] = 0;
  char* slash = std::strrchr(module, '\\');
  if (!slash) return;
  size_t folder = static_cast<size_t>(slash + 1 - module);
  if (folder + sizeof kSettingsName > capacity) return;
  std::memcpy(out, module, folder);
  std::memcpy(out + folder, kSettingsName, sizeof kSettingsName);
}
