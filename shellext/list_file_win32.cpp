#include "shellext/list_file_win32.h"

#include <cstdio>
#include <cstring>

#include "platform/files_win32.h"
#include "shellext/list_text.h"

namespace {

ListTime ToListTime(const SYSTEMTIME& t) {
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

}  // namespace

bool WriteListLine(HANDLE file, ListType type, char* line, size_t capacity, int length) {
  const char* end = ListTypeLineEnd(type);
  const size_t endLength = std::strlen(end);
  if (length < 0 || static_cast<size_t>(length) + endLength > capacity) return false;
  std::memcpy(line + length, end, endLength);
  const DWORD size = static_cast<DWORD>(static_cast<size_t>(length) + endLength);
  DWORD written = 0;
  return ::WriteFile(file, line, size, &written, nullptr) && written == size;
}

bool WriteListHeader(HANDLE file, ListType type, bool compatible, char* line, size_t capacity) {
  if (!ListTypeHasComments(type)) return true;
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  bool ok = WriteListLine(file, type, line, capacity,
                          FormatGeneratorLine(line, capacity, compatible, ToListTime(now)));
  ok = WriteListLine(file, type, line, capacity,
                     std::snprintf(line, capacity, "%s", kWebAddressLine)) &&
       ok;
  return WriteListLine(file, type, line, capacity, std::snprintf(line, capacity, ";")) && ok;
}

int FormatFileCommentFromData(char* line, size_t capacity, const WIN32_FILE_ATTRIBUTE_DATA& data,
                              const char* name) {
  FILETIME local;
  SYSTEMTIME written{};
  ::FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
  ::FileTimeToSystemTime(&local, &written);
  const uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return FormatFileCommentLine(line, capacity, size, ToListTime(written), name);
}

HANDLE CreateFileBeside(const std::string& path, std::string* created) {
  std::string folder = FolderOf(path);
  if (folder.empty() && path.find('\\') == std::string::npos) folder.push_back('.');
  const DWORD seed = ::GetTickCount() ^ ::GetCurrentThreadId();
  for (DWORD i = 0; i < 0x10000; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "\\crv%04lX.tmp",
                  static_cast<unsigned long>((seed + i) & 0xFFFF));
    *created = folder;
    *created += name;
    HANDLE h =
        CreateFileUtf8(created->c_str(), GENERIC_WRITE, 0, CREATE_NEW, FILE_FLAG_SEQUENTIAL_SCAN);
    if (h != INVALID_HANDLE_VALUE) return h;
    if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return INVALID_HANDLE_VALUE;
}
