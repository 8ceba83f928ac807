// Writing the installation's registry rows, and putting back exactly what
// was there before.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "installer/install_plan.h"

// Writes the rows in order; false at the first row that fails and may not.
bool WriteRegistryRows(const std::vector<RegistryRow>& rows);

// What the registry held where the rows go: each value as it was (or its
// absence) and the keys that did not exist.
struct SavedValue {
  HKEY root;
  std::string key, name;
  bool present = false;
  DWORD type = 0;
  std::vector<BYTE> data;
};
struct RegistryState {
  std::vector<SavedValue> values;
  std::vector<std::pair<HKEY, std::string>> missingKeys;
};
RegistryState SaveRegistryState(const std::vector<RegistryRow>& rows);

// Puts every saved value back (or deletes it when it was not there), then
// deletes the keys that did not exist, deepest first, where nothing else
// has come into them.
void RestoreRegistryState(const RegistryState& state);
