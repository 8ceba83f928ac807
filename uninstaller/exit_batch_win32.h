// Leaving the deletion of the installed files to a batch file that runs
// after the uninstaller has ended.
#pragma once

#include <string>

// Writes "CRVNExit.bat" into `windowsFolder` (ending with '\'); false when
// it could not be written.
bool WriteExitBatch(const std::string& windowsFolder);

// Starts the system's command interpreter on the batch file, hidden, at idle
// priority and suspended, with `installFolder` (ending with '\') handed over
// in its environment; lowers its thread to idle, raises this process and
// only then lets it run. False when it could not be started.
bool StartExitBatch(const std::string& installFolder, const std::string& windowsFolder);
