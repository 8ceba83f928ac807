// The file-system calls of the deliverables, in UTF-8: each takes and gives
// UTF-8 text, hands paths to the wide call through SystemPath (long paths,
// names ending in a dot or blank) and otherwise behaves as the call it wraps,
// GetLastError included.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

HANDLE CreateFileUtf8(const char* path, DWORD access, DWORD share, DWORD disposition,
                      DWORD flags);
DWORD GetFileAttributesUtf8(const char* path);
bool GetFileAttributesExUtf8(const char* path, WIN32_FILE_ATTRIBUTE_DATA* data);
bool SetFileAttributesUtf8(const char* path, DWORD attributes);
bool DeleteFileUtf8(const char* path);
// `to` may be null with MOVEFILE_DELAY_UNTIL_REBOOT: the file goes at the next
// start of Windows.
bool MoveFileUtf8(const char* from, const char* to, DWORD flags);
bool CopyFileUtf8(const char* from, const char* to, bool failIfExists);
bool CreateFolderUtf8(const char* path);
bool RemoveFolderUtf8(const char* path);

// One entry of a folder search.
struct FoundFile {
  std::string Name;  // the name alone, UTF-8
  DWORD Attributes;
  DWORD ReparseTag;  // meaningful with FILE_ATTRIBUTE_REPARSE_POINT
  uint64_t Size;
  FILETIME CreationTime;
  FILETIME LastWriteTime;
};

// FindFirstFileExW with the basic information level (no short names) and a
// large fetch: INVALID_HANDLE_VALUE when nothing matches. Close with FindClose.
HANDLE FindFirstUtf8(const char* pattern, FoundFile* found);
bool FindNextUtf8(HANDLE search, FoundFile* found);

// The full path of a loaded module (null: this program), however long.
std::string ModulePathUtf8(HMODULE module);

// The folder part of a path, without the separator ("" when it has none).
std::string FolderOf(const std::string& path);
