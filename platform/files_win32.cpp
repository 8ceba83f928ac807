#include "platform/files_win32.h"

#include "platform/long_path_win32.h"
#include "platform/text_win32.h"

HANDLE CreateFileUtf8(const char* path, DWORD access, DWORD share, DWORD disposition,
                      DWORD flags) {
  return ::CreateFileW(SystemPath(path).c_str(), access, share, nullptr, disposition, flags,
                       nullptr);
}

DWORD GetFileAttributesUtf8(const char* path) {
  return ::GetFileAttributesW(SystemPath(path).c_str());
}

bool GetFileAttributesExUtf8(const char* path, WIN32_FILE_ATTRIBUTE_DATA* data) {
  return ::GetFileAttributesExW(SystemPath(path).c_str(), GetFileExInfoStandard, data) != FALSE;
}

bool SetFileAttributesUtf8(const char* path, DWORD attributes) {
  return ::SetFileAttributesW(SystemPath(path).c_str(), attributes) != FALSE;
}

bool DeleteFileUtf8(const char* path) { return ::DeleteFileW(SystemPath(path).c_str()) != FALSE; }

bool MoveFileUtf8(const char* from, const char* to, DWORD flags) {
  const std::wstring source = SystemPath(from);
  if (!to) return ::MoveFileExW(source.c_str(), nullptr, flags) != FALSE;
  return ::MoveFileExW(source.c_str(), SystemPath(to).c_str(), flags) != FALSE;
}

bool CopyFileUtf8(const char* from, const char* to, bool failIfExists) {
  return ::CopyFileW(SystemPath(from).c_str(), SystemPath(to).c_str(), failIfExists) != FALSE;
}

bool CreateFolderUtf8(const char* path) {
  return ::CreateDirectoryW(SystemPath(path).c_str(), nullptr) != FALSE;
}

bool RemoveFolderUtf8(const char* path) {
  return ::RemoveDirectoryW(SystemPath(path).c_str()) != FALSE;
}

namespace {

void Take(const WIN32_FIND_DATAW& data, FoundFile* found) {
  found->Name = Utf8(data.cFileName);
  found->Attributes = data.dwFileAttributes;
  found->ReparseTag =
      (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? data.dwReserved0 : 0;
  found->Size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  found->CreationTime = data.ftCreationTime;
  found->LastWriteTime = data.ftLastWriteTime;
}

}  // namespace

HANDLE FindFirstUtf8(const char* pattern, FoundFile* found) {
  WIN32_FIND_DATAW data;
  HANDLE h = ::FindFirstFileExW(SystemPath(pattern).c_str(), FindExInfoBasic, &data,
                                FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (h != INVALID_HANDLE_VALUE) Take(data, found);
  return h;
}

bool FindNextUtf8(HANDLE search, FoundFile* found) {
  WIN32_FIND_DATAW data;
  if (!::FindNextFileW(search, &data)) return false;
  Take(data, found);
  return true;
}

std::string ModulePathUtf8(HMODULE module) {
  std::wstring w(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(module, w.data(), static_cast<DWORD>(w.size()));
    if (n == 0) return std::string();
    if (n < w.size()) {
      w.resize(n);
      break;
    }
    w.resize(w.size() * 2);  // cut: a longer buffer
  }
  std::string path = Utf8(w);
  // The loader may report the extended form; callers join names to the plain.
  if (path.compare(0, 4, "\\\\?\\") == 0 && path.compare(0, 8, "\\\\?\\UNC\\") != 0)
    path = path.substr(4);
  return path;
}

std::string FolderOf(const std::string& path) {
  const size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}
