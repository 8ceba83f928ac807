// POSIX implementation of the portable file interface, for the native tests.
// POSIX has no sharing modes; the exclusive modes take an advisory flock so
// that two of our own openers still exclude each other.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file.h"

NativeFile OpenFile(const char* path, OpenMode mode, OpenError* error) {
  int flags = O_RDONLY;
  if (mode == OpenMode::ReadWriteExclusive) flags = O_RDWR;
  if (mode == OpenMode::CreateExclusive) flags = O_WRONLY | O_CREAT | O_TRUNC;
  int fd = ::open(path, flags | O_CLOEXEC, 0644);
  if (fd < 0) {
    if (error) {
      if (errno == ENOENT) {
        // Tell a missing file from a missing folder, as Windows does.
        struct stat st;
        const char* slash = nullptr;
        for (const char* p = path; *p; ++p)
          if (*p == '/') slash = p;
        bool folderExists = true;
        if (slash) {
          char dir[4096];
          size_t n = static_cast<size_t>(slash - path);
          if (n >= sizeof dir) n = sizeof dir - 1;
          for (size_t i = 0; i < n; ++i) dir[i] = path[i];
          dir[n] = 0;
          folderExists = n == 0 || (::stat(dir, &st) == 0 && S_ISDIR(st.st_mode));
        }
        *error = folderExists ? OpenError::NotFound : OpenError::PathNotFound;
      } else if (errno == ENOTDIR) {
        *error = OpenError::PathNotFound;
      } else {
        *error = OpenError::Other;
      }
    }
    return kNoFile;
  }
  if (mode != OpenMode::ReadShared && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    if (error) *error = OpenError::SharingViolation;
    return kNoFile;
  }
  if (error) *error = OpenError::None;
  return fd;
}

void CloseFile(NativeFile file) {
  if (file != kNoFile) ::close(static_cast<int>(file));
}

bool ReadFromFile(NativeFile file, void* buffer, uint32_t size, uint32_t* got) {
  *got = 0;
  ssize_t n;
  do {
    n = ::read(static_cast<int>(file), buffer, size);
  } while (n < 0 && errno == EINTR);
  if (n < 0) return false;
  *got = static_cast<uint32_t>(n);
  return true;
}

bool WriteToFile(NativeFile file, const void* data, uint32_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = ::write(static_cast<int>(file), p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<uint32_t>(n);
  }
  return true;
}

bool SeekFile(NativeFile file, int64_t distance, SeekFrom from, uint64_t* position) {
  int whence = from == SeekFrom::Begin ? SEEK_SET : from == SeekFrom::Current ? SEEK_CUR : SEEK_END;
  off_t r = ::lseek(static_cast<int>(file), static_cast<off_t>(distance), whence);
  if (r < 0) return false;
  if (position) *position = static_cast<uint64_t>(r);
  return true;
}

bool TruncateFileHere(NativeFile file) {
  off_t here = ::lseek(static_cast<int>(file), 0, SEEK_CUR);
  return here >= 0 && ::ftruncate(static_cast<int>(file), here) == 0;
}

bool GetFileSize64(NativeFile file, uint64_t* size) {
  struct stat st;
  if (::fstat(static_cast<int>(file), &st) != 0) return false;
  *size = static_cast<uint64_t>(st.st_size);
  return true;
}
