// Win32 implementation of the portable file interface: paths are UTF-8 and
// reach the wide call in the form that opens long paths.
#include <windows.h>

#include "platform/file.h"
#include "platform/files_win32.h"

namespace {

HANDLE H(NativeFile f) { return reinterpret_cast<HANDLE>(f); }

OpenError Classify(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND: return OpenError::NotFound;
    case ERROR_PATH_NOT_FOUND: return OpenError::PathNotFound;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return OpenError::SharingViolation;
    default: return OpenError::Other;
  }
}

}  // namespace

NativeFile OpenFile(const char* path, OpenMode mode, OpenError* error) {
  DWORD access = GENERIC_READ, share = FILE_SHARE_READ, disposition = OPEN_EXISTING;
  if (mode == OpenMode::ReadWriteExclusive) {
    access = GENERIC_READ | GENERIC_WRITE;
    share = 0;
  } else if (mode == OpenMode::CreateExclusive) {
    access = GENERIC_WRITE;
    share = 0;
    disposition = CREATE_ALWAYS;
  }
  HANDLE h = CreateFileUtf8(path, access, share, disposition,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN);
  if (h == INVALID_HANDLE_VALUE) {
    if (error) *error = Classify(::GetLastError());
    return kNoFile;
  }
  if (error) *error = OpenError::None;
  return reinterpret_cast<NativeFile>(h);
}

void CloseFile(NativeFile file) {
  if (file != kNoFile) ::CloseHandle(H(file));
}

bool ReadFromFile(NativeFile file, void* buffer, uint32_t size, uint32_t* got) {
  DWORD n = 0;
  BOOL ok = ::ReadFile(H(file), buffer, size, &n, nullptr);
  *got = ok ? n : 0;
  return ok != FALSE;
}

bool WriteToFile(NativeFile file, const void* data, uint32_t size) {
  DWORD n = 0;
  return ::WriteFile(H(file), data, size, &n, nullptr) && n == size;
}

bool SeekFile(NativeFile file, int64_t distance, SeekFrom from, uint64_t* position) {
  LARGE_INTEGER d, result;
  d.QuadPart = distance;
  DWORD method = from == SeekFrom::Begin ? FILE_BEGIN : from == SeekFrom::Current ? FILE_CURRENT : FILE_END;
  if (!::SetFilePointerEx(H(file), d, &result, method)) return false;
  if (position) *position = static_cast<uint64_t>(result.QuadPart);
  return true;
}

bool TruncateFileHere(NativeFile file) { return ::SetEndOfFile(H(file)) != FALSE; }

bool GetFileSize64(NativeFile file, uint64_t* size) {
  LARGE_INTEGER s;
  if (!::GetFileSizeEx(H(file), &s)) return false;
  *size = static_cast<uint64_t>(s.QuadPart);
  return true;
}
