#include "tests/pipeline/test_files_win32.h"

#include <windows.h>

#include <cstdio>

#include "platform/files_win32.h"
#include "platform/handles_win32.h"

std::string MakeTempFolder(const char* tag) {
  static unsigned counter = 0;
  char temp[MAX_PATH];
  ::GetTempPathA(sizeof temp, temp);
  for (;;) {
    char name[MAX_PATH + 64];
    std::snprintf(name, sizeof name, "%scorvana-%s-%lu-%u\\", temp, tag,
                  static_cast<unsigned long>(::GetCurrentProcessId()), counter++);
    if (::CreateDirectoryA(name, nullptr)) return name;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) return name;
  }
}

void RemoveTree(const std::string& path) {
  // In UTF-8 and through the long-path form, so that trees of any name and
  // depth go.
  std::string dir = path;
  if (dir.empty() || dir.back() != '\\') dir += '\\';
  FoundFile found;
  UniqueFindHandle search(FindFirstUtf8((dir + "*").c_str(), &found));
  if (search) {
    do {
      if (found.Name == "." || found.Name == "..") continue;
      std::string full = dir + found.Name;
      if (found.Attributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        SetFileAttributesUtf8(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileUtf8(full.c_str());
      }
    } while (FindNextUtf8(search.Get(), &found));
  }
  search.Reset();
  RemoveFolderUtf8(dir.c_str());
}

bool MakeSparseFile(const std::string& path, uint64_t size) {
  UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(size);
  return ::SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) && ::SetEndOfFile(file.Get());
}

std::string WindowsPath(const char* path) {
  std::string result = path;
  if (result.empty() || result[0] != '/') return result;
  result = "Z:" + result;
  for (char& c : result)
    if (c == '/') c = '\\';
  return result;
}
