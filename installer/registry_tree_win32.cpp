#include "installer/registry_tree_win32.h"

#include "platform/handles_win32.h"

HKEY RootKey(RegRoot root) {
  return root == RegRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CLASSES_ROOT;
}

std::string ReadRegString(HKEY root, const char* key, const char* name, DWORD capacity) {
  UniqueRegKey k;
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return {};
  k.Reset(opened);
  std::string value(capacity, '\0');
  DWORD type = 0;
  DWORD size = capacity;
  LONG rc = ::RegQueryValueExA(k.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                               &size);
  if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
  value.resize(size < capacity ? size : capacity);
  // The stored text may or may not carry its terminating zero.
  size_t end = value.find('\0');
  if (end != std::string::npos) value.resize(end);
  return value;
}

namespace {

// Removes every subkey of `key` (enumerating subkey 0 until none is left),
// then `name` itself from `parent`.
void DeleteBelow(HKEY parent, const char* name) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(parent, name, 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS) return;
  UniqueRegKey key(opened);
  char sub[256];
  DWORD index = 0;
  for (;;) {
    DWORD length = sizeof sub;
    if (::RegEnumKeyExA(key.Get(), index, sub, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    DeleteBelow(key.Get(), sub);
    // A subkey that will not go is stepped over, so that the loop ends.
    HKEY still = nullptr;
    if (::RegOpenKeyExA(key.Get(), sub, 0, KEY_READ, &still) == ERROR_SUCCESS) {
      ::RegCloseKey(still);
      ++index;
    }
  }
  key.Reset();
  ::RegDeleteKeyA(parent, name);
}

}  // namespace

void DeleteKeyTree(HKEY root, const std::string& parent, const std::string& name) {
  if (parent.empty()) {
    DeleteBelow(root, name.c_str());
    return;
  }
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(root, parent.c_str(), 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS) return;
  UniqueRegKey key(opened);
  DeleteBelow(key.Get(), name.c_str());
}

void RemoveProgramKeys(const std::vector<std::string>& extensions) {
  const std::vector<KeyRemoval> keys = ProgramKeys();
  for (size_t i = 0; i < keys.size(); ++i) {
    if (i == 2) {
      for (const std::string& e : extensions) DeleteKeyTree(HKEY_CLASSES_ROOT, "", e);
    }
    DeleteKeyTree(RootKey(keys[i].root), keys[i].parent, keys[i].name);
  }
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kApprovedKey, 0, KEY_ALL_ACCESS, &opened) ==
      ERROR_SUCCESS) {
    UniqueRegKey approved(opened);
    ::RegDeleteValueA(approved.Get(), kClassId);
  }
}
