// Registry helpers shared by the installer and the uninstaller: reading one
// string value, and removing a key with everything below it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "installer/install_plan.h"

// The string value `name` (null: the default value) of `key`; empty when
// missing or not a string.
std::string ReadRegString(HKEY root, const std::string& key, const char* name);
// Likewise with whether it is an expandable string; false when missing or
// not a string.
bool ReadRegText(HKEY root, const std::string& key, const char* name, RegText* value);
// Writes a REG_SZ or REG_EXPAND_SZ value; false when the system refused.
bool WriteRegText(HKEY key, const char* name, const RegText& value);

// Removes `parent`\`name` and all its subkeys, depth first; a key that
// cannot be opened is skipped.
void DeleteKeyTree(HKEY root, const std::string& parent, const std::string& name);

// Deletes `key` when it holds neither a value nor a subkey; true when it is
// gone.
bool DeleteKeyIfEmpty(HKEY root, const std::string& key);

// An extension of the machine's classes whose default value names our type,
// and the value it had before the installer took it over (empty: none).
struct OwnedExtension {
  std::string key;  // the extension's key, ClassKey(".SFV")
  RegText previousOwner;
};
// Read before any key goes: the previous owners live under the uninstall
// entry.
std::vector<OwnedExtension> OwnedExtensions();

// Removes the program's keys (ProgramKeys(), all of the machine) in order;
// after the uninstall entry each extension of `extensions` gets its previous
// owner back with its type (or loses its default value) and goes only when
// nothing else is left in it, so other programs' data under it stays; last
// the class's shell-extension approval value.
void RemoveProgramKeys(const std::vector<OwnedExtension>& extensions);
