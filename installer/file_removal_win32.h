// Removing a file that may be in use: a loaded DLL or a running program
// cannot be deleted, but it can be renamed aside, and the system deletes the
// renamed copy at the next start of Windows.
#pragma once

#include <string>

// `path` + ".old" (or ".1.old", ".2.old", ...; `suffix` instead of ".old"):
// the first name beside the file that nothing holds, so that a copy still
// waiting for a restart is never taken.
std::string FreeAsideName(const std::string& path, const char* suffix = ".old");

// Clears the read-only attribute and deletes the file; when that fails,
// renames it aside and leaves the renamed copy to the next restart, or
// leaves the file itself to it when it cannot be renamed. False only when
// the file is still there and no removal could be arranged. A missing file
// is removed.
bool RemoveOrScheduleFile(const std::string& path);
