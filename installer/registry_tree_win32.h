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

// Removes the program's keys (ProgramKeys()) in order, the extension keys
// `extensions` (under HKEY_CLASSES_ROOT) after the uninstall entry, then the
// class's shell-extension approval value.
void RemoveProgramKeys(const std::vector<std::string>& extensions);
