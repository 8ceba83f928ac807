#include "installer/file_removal_win32.h"

#include <windows.h>

#include "platform/files_win32.h"

std::string FreeAsideName(const std::string& path, const char* suffix) {
  std::string aside = path + suffix;
  for (int n = 1; GetFileAttributesUtf8(aside.c_str()) != INVALID_FILE_ATTRIBUTES; ++n)
    aside = path + "." + std::to_string(n) + suffix;
  return aside;
}

bool RemoveOrScheduleFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesUtf8(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if (attributes & FILE_ATTRIBUTE_READONLY)
    SetFileAttributesUtf8(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  if (DeleteFileUtf8(path.c_str())) return true;
  const std::string aside = FreeAsideName(path);
  if (MoveFileUtf8(path.c_str(), aside.c_str(), 0))
    return MoveFileUtf8(aside.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  return MoveFileUtf8(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}
