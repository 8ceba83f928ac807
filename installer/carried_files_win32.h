// Writing the carried files out of the installer's own resources without
// ever leaving an earlier installation half replaced: each file is written
// beside its target first, and the targets change only once every file has
// been written.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "installer/install_plan.h"

// The product version of a file's version resource; false when it has none.
bool ReadProductVersion(const std::string& path, ProductVersion* version);

// The size of the files an installation carries, in KiB rounded up.
uint32_t CarriedSizeKiB(HMODULE module, bool withShellExtension);

// What this run did to each carried file (in table order), so that a
// rollback removes only what this run created and puts back exactly what
// was there.
struct CarriedState {
  std::string staged;   // the new copy this run created beside the target, until placed
  bool placed = false;  // the new copy has been put in place
  std::string aside;    // where the earlier copy went (empty: there was none)
};
struct CarriedFiles {
  std::string folder;  // ends with '\'
  CarriedState files[kCarriedFileCount];
};

// Writes each carried file beside its target (into a name that did not
// exist, created with CREATE_NEW), from the shell extension on or from the
// verifier on; an optional file this build does not carry is skipped. A file whose installed copy
// is newer is kept when `keepNewer` (asked when `ask`, else the recommended Yes) says so. False on
// the first file that could not be written; every copy written beside is
// deleted again then.
bool StageCarriedFiles(HMODULE module, bool withShellExtension, bool ask, CarriedFiles* files);

// Puts the written copies in place: each earlier copy is renamed aside (which
// works for a DLL that Explorer holds), then the new one takes its name.
// False when one could not be put in place; RestoreCarriedFiles then.
bool PlaceCarriedFiles(CarriedFiles* files);

// Takes back what Stage and Place did: the new copies go and the earlier
// ones get their names back.
void RestoreCarriedFiles(CarriedFiles* files);

// After a successful installation: deletes the earlier copies, or leaves
// those still in use to the next restart. False when one could be neither.
bool FinishCarriedFiles(const CarriedFiles& files);
