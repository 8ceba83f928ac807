#include "installer/registry_tree_win32.h"

#include "platform/handles_win32.h"
#include "platform/registry_win32.h"
#include "platform/text_win32.h"

std::string ReadRegString(HKEY root, const std::string& key, const char* name) {
  RegText value;
  return ReadRegText(root, key, name, &value) ? value.text : std::string();
}

bool ReadRegText(HKEY root, const std::string& key, const char* name, RegText* value) {
  *value = RegText{};
  HKEY opened = nullptr;
  if (RegOpenKeyUtf8(root, key.c_str(), KEY_READ, &opened) != ERROR_SUCCESS) return false;
  UniqueRegKey k(opened);
  if (RegReadStringUtf8(k.Get(), name, &value->text) != ERROR_SUCCESS) return false;
  const std::wstring wide = name ? Wide(name) : std::wstring();
  DWORD type = 0;
  ::RegQueryValueExW(k.Get(), name ? wide.c_str() : nullptr, nullptr, &type, nullptr, nullptr);
  value->expands = type == REG_EXPAND_SZ;
  return true;
}

bool WriteRegText(HKEY key, const char* name, const RegText& value) {
  const std::wstring wide = name ? Wide(name) : std::wstring();
  const std::wstring data = Wide(value.text);
  return ::RegSetValueExW(key, name ? wide.c_str() : nullptr, 0,
                          value.expands ? REG_EXPAND_SZ : REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

namespace {

// Removes every subkey of `key` (enumerating subkey 0 until none is left),
// then `name` itself from `parent`.
void DeleteBelow(HKEY parent, const char* name) {
  HKEY opened = nullptr;
  if (RegOpenKeyUtf8(parent, name, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS) return;
  UniqueRegKey key(opened);
  std::string sub;
  DWORD index = 0;
  while (RegEnumKeyUtf8(key.Get(), index, &sub) == ERROR_SUCCESS) {
    DeleteBelow(key.Get(), sub.c_str());
    // A subkey that will not go is stepped over, so that the loop ends.
    HKEY still = nullptr;
    if (RegOpenKeyUtf8(key.Get(), sub.c_str(), KEY_READ, &still) == ERROR_SUCCESS) {
      ::RegCloseKey(still);
      ++index;
    }
  }
  key.Reset();
  RegDeleteKeyUtf8(parent, name);
}

}  // namespace

void DeleteKeyTree(HKEY root, const std::string& parent, const std::string& name) {
  if (parent.empty()) {
    DeleteBelow(root, name.c_str());
    return;
  }
  HKEY opened = nullptr;
  if (RegOpenKeyUtf8(root, parent.c_str(), KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS) return;
  UniqueRegKey key(opened);
  DeleteBelow(key.Get(), name.c_str());
}

bool DeleteKeyIfEmpty(HKEY root, const std::string& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyUtf8(root, key.c_str(), KEY_READ, &opened) != ERROR_SUCCESS) return true;
  UniqueRegKey k(opened);
  DWORD subkeys = 0, values = 0;
  if (::RegQueryInfoKeyW(k.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
      subkeys != 0 || values != 0)
    return false;
  k.Reset();
  return RegDeleteKeyUtf8(root, key.c_str()) == ERROR_SUCCESS;
}

std::vector<OwnedExtension> OwnedExtensions() {
  std::vector<OwnedExtension> ours;
  for (const TypeExtension& t : kTypeExtensions) {
    if (!EqualsIgnoringCase(ReadRegString(HKEY_LOCAL_MACHINE, ClassKey(t.extension), nullptr),
                            kTypeName))
      continue;
    OwnedExtension owned{ClassKey(t.extension), {}};
    ReadRegText(HKEY_LOCAL_MACHINE, kPreviousOwnersKey, t.extension, &owned.previousOwner);
    ours.push_back(owned);
  }
  return ours;
}

namespace {

void ReleaseExtension(const OwnedExtension& owned) {
  HKEY opened = nullptr;
  if (RegOpenKeyUtf8(HKEY_LOCAL_MACHINE, owned.key.c_str(), KEY_ALL_ACCESS, &opened) !=
      ERROR_SUCCESS)
    return;
  UniqueRegKey key(opened);
  if (owned.previousOwner.text.empty())
    RegDeleteValueUtf8(key.Get(), nullptr);
  else
    WriteRegText(key.Get(), nullptr, owned.previousOwner);
  key.Reset();
  DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, owned.key);
}

}  // namespace

void RemoveProgramKeys(const std::vector<OwnedExtension>& extensions) {
  const std::vector<KeyRemoval> keys = ProgramKeys();
  for (size_t i = 0; i < keys.size(); ++i) {
    if (i == 2) {
      for (const OwnedExtension& e : extensions) ReleaseExtension(e);
    }
    DeleteKeyTree(HKEY_LOCAL_MACHINE, keys[i].parent, keys[i].name);
  }
  HKEY opened = nullptr;
  if (RegOpenKeyUtf8(HKEY_LOCAL_MACHINE, kApprovedKey, KEY_ALL_ACCESS, &opened) == ERROR_SUCCESS) {
    UniqueRegKey approved(opened);
    RegDeleteValueUtf8(approved.Get(), kClassId);
  }
}
