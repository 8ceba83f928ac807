// The rights of the installation folder: those of Program Files, so that
// only administrators can replace the shell extension that every user's
// Explorer loads.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A self-relative security descriptor whose access list, protected from the
// parent's, gives SYSTEM and the Administrators group full control and the
// Users group read and execute, each inherited by files and subfolders.
// False when the system could not build it.
bool BuildFolderSecurity(std::vector<BYTE>* descriptor);

// Gives `folder` that access list; false when the system refused it.
bool SecureFolder(const std::string& folder);
