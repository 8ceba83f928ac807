#include "hashing/files_at_once_win32.h"

#include <windows.h>

#include "hashing/files_at_once.h"
#include "hashing/seek_penalty_win32.h"

FileHasherOptions HasherOptionsFor(const char* path, uint32_t threadsSetting) {
  SYSTEM_INFO info;
  ::GetSystemInfo(&info);
  const SeekPenalty penalty =
      threadsSetting == 0 ? QuerySeekPenalty(path && *path ? path : ".") : SeekPenalty::Unknown;
  FileHasherOptions options;
  options.Workers = FilesAtOnce(penalty, threadsSetting, info.dwNumberOfProcessors);
  options.SplitBlake3Blocks = info.dwNumberOfProcessors >= 2;
  return options;
}
