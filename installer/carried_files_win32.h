// Writing the carried files out of the installer's own resources.
#pragma once

#include <windows.h>

#include <string>

#include "installer/install_plan.h"

// The product version of a file's version resource; false when it has none.
bool ReadProductVersion(const std::string& path, ProductVersion* version);

// Which carried files (in table order) this installation has replaced or
// created.
struct WrittenFiles {
  bool written[kCarriedFileCount] = {};
};

// Writes the carried files into `folder` (ending with '\'), in order, from
// the shell extension on or from the verifier on. A file whose installed
// copy is newer is kept when the user says so. False on the first file that
// could not be written.
bool CopyCarriedFiles(HMODULE module, const std::string& folder, bool withShellExtension,
                      WrittenFiles* written);

// Deletes the files this installation wrote (and the temporary copy) from
// `folder`. Files it never touched stay: a failed update leaves an earlier
// installation, or a newer file the user chose to keep, as it was.
void DeleteCarriedFiles(const std::string& folder, const WrittenFiles& written);
