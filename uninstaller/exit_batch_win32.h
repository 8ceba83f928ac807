// Leaving the deletion of the uninstaller's own program file to a batch file
// that runs after the uninstaller has ended.
#pragma once

#include <string>

#include "platform/handles_win32.h"

// Writes "CRVNExit.bat" into `windowsFolder` (ending with '\'); false when
// it could not be written.
bool WriteExitBatch(const std::string& windowsFolder);

// The command interpreter on the batch file, created hidden, at idle
// priority and suspended, with `program` (the uninstaller's file) and
// `installFolder` (ending with '\') handed over in its environment.
class ExitBatch {
 public:
  ExitBatch() = default;
  ~ExitBatch();
  ExitBatch(const ExitBatch&) = delete;
  ExitBatch& operator=(const ExitBatch&) = delete;
  // False when it could not be created.
  bool Create(const std::string& program, const std::string& installFolder,
              const std::string& windowsFolder);
  // Lowers its thread to idle, raises this process and only then lets it
  // run; false when it could not be resumed.
  bool Start();

 private:
  UniqueKernelHandle process_;
  UniqueKernelHandle thread_;
};
