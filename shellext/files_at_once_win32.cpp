#include "shellext/files_at_once_win32.h"

#include <windows.h>

#include <string>

#include "hashing/files_at_once.h"
#include "hashing/seek_penalty_win32.h"
#include "hashing/threads_setting.h"
#include "platform/profile_win32.h"

uint32_t ShellFilesAtOnce(const char* path, const char* settingsPath) {
  if (!settingsPath) settingsPath = "Corvana.ini";
  const std::string threads = ReadProfileStringUtf8("Corvana", "Threads", "", settingsPath);
  const uint32_t setting = ParseThreadsSetting(threads.c_str());
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  // The storage is asked only when the setting leaves it the decision.
  const SeekPenalty penalty = setting == 0 ? QuerySeekPenalty(path) : SeekPenalty::Unknown;
  return FilesAtOnce(penalty, setting, system.dwNumberOfProcessors);
}
