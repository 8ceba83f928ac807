#include "tests/pipeline/test_files_win32.h"

#include <windows.h>

#include <cstdio>

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
  std::string dir = path;
  if (dir.empty() || dir.back() != '\\') dir += '\\';
  WIN32_FIND_DATAA found;
  UniqueFindHandle search(::FindFirstFileA((dir + "*").c_str(), &found));
  if (search) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string full = dir + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        ::SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(full.c_str());
      }
    } while (::FindNextFileA(search.Get(), &found));
  }
  search.Reset();
  ::RemoveDirectoryA(dir.c_str());
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
