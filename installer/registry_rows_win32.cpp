#include "installer/registry_rows_win32.h"

#include <windows.h>

#include "installer/registry_tree_win32.h"
#include "platform/handles_win32.h"
#include "platform/registry_win32.h"

namespace {

bool SetString(HKEY root, const std::string& key, const std::string& name,
               const std::string& data) {
  HKEY created = nullptr;
  if (RegCreateKeyUtf8(root, key.c_str(), KEY_ALL_ACCESS, &created) != ERROR_SUCCESS) return false;
  UniqueRegKey k(created);
  return RegWriteStringUtf8(k.Get(), name.empty() ? nullptr : name.c_str(), data.c_str()) ==
         ERROR_SUCCESS;
}

// The rollback's order of the extension keys.
constexpr ListType kRollbackOrder[kListTypeCount] = {kSfv, kCrc, kCkz, kCsv, kPar, kMd5};

}  // namespace

bool WriteRegistryRows(const std::vector<RegistryRow>& rows) {
  for (const RegistryRow& row : rows) {
    if (!SetString(RootKey(row.root), row.key, row.valueName, row.data) && !row.mayFail)
      return false;
  }
  return true;
}

void RollBackRegistry(const InstallChoices& choices, const std::string previous[kListTypeCount]) {
  std::vector<std::string> remove;
  for (ListType t : kRollbackOrder) {
    if (!choices.registerType[t]) continue;
    if (previous[t].empty())
      remove.push_back(kTypeExtensions[t]);
    else
      SetString(HKEY_CLASSES_ROOT, kTypeExtensions[t], "", previous[t]);
  }
  RemoveProgramKeys(remove);
}
