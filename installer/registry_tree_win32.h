// Registry helpers shared by the installer and the uninstaller: reading one
// string value, and removing a key with everything below it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "installer/install_plan.h"

HKEY RootKey(RegRoot root);

// The string value `name` (null: the default value) of `key`; empty when
// missing or not a string.
std::string ReadRegString(HKEY root, const char* key, const char* name);

// Removes `parent`\`name` and all its subkeys, depth first; a key that
// cannot be opened is skipped.
void DeleteKeyTree(HKEY root, const std::string& parent, const std::string& name);

// Deletes `key` when it holds neither a value nor a subkey; true when it is
// gone.
bool DeleteKeyIfEmpty(HKEY root, const std::string& key);

// An extension whose default value names our type, and the value it had
// before the installer took it over (empty: none).
struct OwnedExtension {
  std::string extension;
  std::string previousOwner;
};
// Read before any key goes: the previous owners live under the uninstall
// entry.
std::vector<OwnedExtension> OwnedExtensions();

// Removes the program's keys (ProgramKeys()) in order; after the uninstall
// entry each extension of `extensions` gets its previous owner back (or
// loses its default value) and goes only when nothing else is left in it, so
// other programs' data under it stays; last the class's shell-extension
// approval value.
void RemoveProgramKeys(const std::vector<OwnedExtension>& extensions);
