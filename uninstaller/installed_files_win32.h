// Removing the installed files while the uninstaller still runs: all but
// its own program file go at once, or are left to the next restart when
// something holds them.
#pragma once

#include <string>

// Deletes the installed files of `folder` (ending with '\') other than the
// uninstaller; one that is held is renamed aside and left to the next
// restart, and the folder with it. Then renames the running uninstaller
// `ownPath` aside, so that an installation into the folder before the batch
// file has run is never touched, and returns where it now is in `*program`.
// False when a file could neither be removed nor left to the restart.
bool RemoveInstalledFiles(const std::string& folder, const std::string& ownPath,
                          std::string* program);

// Leaves `program` and then its folder to the next restart; false when the
// system refused.
bool RemoveAtRestart(const std::string& program);
