// Writing the carried files out of the installer's own resources.
#pragma once

#include <windows.h>

#include <string>

#include "installer/install_plan.h"

// The product version of a file's version resource; false when it has none.
bool ReadProductVersion(const std::string& path, ProductVersion* version);

// Writes the carried files into `folder` (ending with '\'), in order, from
// the shell extension on or from the verifier on. A file whose installed
// copy is newer is kept when the user says so. False on the first file that
// could not be written.
bool CopyCarriedFiles(HMODULE module, const std::string& folder, bool withShellExtension);

// Deletes every carried file name (and the temporary copy) from `folder`.
void DeleteCarriedFiles(const std::string& folder);
