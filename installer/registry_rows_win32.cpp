#include "installer/registry_rows_win32.h"

#include <algorithm>

#include "installer/registry_tree_win32.h"
#include "platform/handles_win32.h"
#include "platform/registry_win32.h"
#include "platform/text_win32.h"

namespace {

bool SetRow(const RegistryRow& row) {
  HKEY created = nullptr;
  if (RegCreateKeyUtf8(HKEY_LOCAL_MACHINE, row.key.c_str(), KEY_ALL_ACCESS, &created) !=
      ERROR_SUCCESS)
    return false;
  UniqueRegKey k(created);
  const char* name = row.valueName.empty() ? nullptr : row.valueName.c_str();
  if (row.type != RowType::Number)
    return WriteRegText(k.Get(), name, {row.data, row.type == RowType::ExpandString});
  const DWORD number = row.number;
  const std::wstring wide = name ? Wide(name) : std::wstring();
  return ::RegSetValueExW(k.Get(), name ? wide.c_str() : nullptr, 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&number), sizeof number) == ERROR_SUCCESS;
}

bool KeyExists(HKEY root, const std::string& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyUtf8(root, key.c_str(), KEY_READ, &opened) != ERROR_SUCCESS) return false;
  ::RegCloseKey(opened);
  return true;
}

}  // namespace

bool WriteRegistryRows(const std::vector<RegistryRow>& rows) {
  for (const RegistryRow& row : rows) {
    if (!SetRow(row) && !row.mayFail) return false;
  }
  return true;
}

RegistryState SaveRegistryState(const std::vector<RegistryRow>& rows) {
  RegistryState state;
  for (const RegistryRow& row : rows) {
    SavedValue saved;
    saved.root = HKEY_LOCAL_MACHINE;
    saved.key = row.key;
    saved.name = row.valueName;
    HKEY opened = nullptr;
    if (RegOpenKeyUtf8(saved.root, row.key.c_str(), KEY_READ, &opened) == ERROR_SUCCESS) {
      UniqueRegKey key(opened);
      const std::wstring name = Wide(row.valueName);
      const wchar_t* n = row.valueName.empty() ? nullptr : name.c_str();
      DWORD size = 0;
      if (::RegQueryValueExW(key.Get(), n, nullptr, &saved.type, nullptr, &size) == ERROR_SUCCESS) {
        saved.data.resize(size);
        saved.present = ::RegQueryValueExW(key.Get(), n, nullptr, &saved.type, saved.data.data(),
                                           &size) == ERROR_SUCCESS;
        saved.data.resize(size);
      }
    } else {
      // This key and those above it up to the first that exists.
      for (std::string key = row.key; !key.empty() && !KeyExists(saved.root, key);) {
        const std::pair<HKEY, std::string> missing{saved.root, key};
        if (std::find(state.missingKeys.begin(), state.missingKeys.end(), missing) ==
            state.missingKeys.end())
          state.missingKeys.push_back(missing);
        const size_t cut = key.rfind('\\');
        key = cut == std::string::npos ? std::string() : key.substr(0, cut);
      }
    }
    state.values.push_back(std::move(saved));
  }
  return state;
}

void RestoreRegistryState(const RegistryState& state) {
  for (auto v = state.values.rbegin(); v != state.values.rend(); ++v) {
    HKEY opened = nullptr;
    if (RegOpenKeyUtf8(v->root, v->key.c_str(), KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS) continue;
    UniqueRegKey key(opened);
    const std::wstring name = Wide(v->name);
    const wchar_t* n = v->name.empty() ? nullptr : name.c_str();
    if (v->present)
      ::RegSetValueExW(key.Get(), n, 0, v->type, v->data.data(),
                       static_cast<DWORD>(v->data.size()));
    else
      ::RegDeleteValueW(key.Get(), n);
  }
  std::vector<std::pair<HKEY, std::string>> keys = state.missingKeys;
  std::sort(keys.begin(), keys.end(),
            [](const auto& a, const auto& b) { return a.second.size() > b.second.size(); });
  for (const auto& [root, key] : keys) DeleteKeyIfEmpty(root, key);
}
