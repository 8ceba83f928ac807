// The "Checksums" page of Explorer's Properties: every digest of the
// selected files, hashed on a worker thread from the page's first showing,
// and a box that checks a published digest against them.
#pragma once

#include <windows.h>

#include <prsht.h>

#include <string>
#include <vector>

// The page's dialog and controls (resources of CRVNShll.dll).
enum : int {
  kChecksumPageDialogId = 142,
  kChecksumList = 1101,
  kChecksumProgress = 1102,
  kChecksumStatus = 1103,
  kCheckAgainstLabel = 1104,
  kCheckAgainstEdit = 1105,
  kCheckResultIcon = 1106,
  kCheckResultText = 1107,
  kChecksumCopy = 1108,
  kChecksumSave = 1109,
};

// Selections of more files than this get no page.
constexpr size_t kMaxChecksumPageFiles = 1000;

// A page for `items` (full paths, UTF-8; 1 to kMaxChecksumPageFiles), not
// yet added to a sheet; null when it cannot be made. The page counts in the
// module's live objects until the sheet releases it. Nothing is read here:
// when the page is created it reads the settings and leaves the folders
// among the items out, and it reads the files once it is first shown.
HPROPSHEETPAGE CreateChecksumPage(std::vector<std::string> items);
