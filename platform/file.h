// The small file interface of the portable core. The list readers, the
// database and the PAR rewrite read and write lists only through these calls,
// so that they build and are tested natively (POSIX descriptors) and run in
// the deliverables (Win32 handles, opened with the wide calls; paths are
// UTF-8 there and may be longer than 260 characters).
//
// Every call returns false (or kNoFile) on failure and never shows a message.
#pragma once

#include <cstdint>

#include "platform/unique_handle.h"

// A HANDLE on Windows, a descriptor elsewhere. Win32 code may wrap a handle it
// opened itself: NativeFile(reinterpret_cast<intptr_t>(handle)).
using NativeFile = intptr_t;
constexpr NativeFile kNoFile = -1;  // also the value of INVALID_HANDLE_VALUE

enum class OpenMode {
  // A list to read: read access, others may read but not write, existing
  // file only, sequential-scan hint.
  ReadShared,
  // A list to rewrite in place: read and write access, no sharing at all,
  // existing file only, sequential-scan hint.
  ReadWriteExclusive,
  // A results file: write access, no sharing, always created anew (an
  // existing file is truncated), sequential-scan hint.
  CreateExclusive,
};

enum class OpenError {
  None,
  NotFound,          // ERROR_FILE_NOT_FOUND / ENOENT on the last component
  PathNotFound,      // ERROR_PATH_NOT_FOUND / a folder of the path is missing
  SharingViolation,  // another program holds it without the sharing we need
  Other,
};

enum class SeekFrom { Begin, Current, End };

NativeFile OpenFile(const char* path, OpenMode mode, OpenError* error = nullptr);
void CloseFile(NativeFile file);

// Reads up to `size` bytes at the current position. `*got` is 0 at the end of
// the file. Returns false when the system reports a read failure.
bool ReadFromFile(NativeFile file, void* buffer, uint32_t size, uint32_t* got);

// Writes all `size` bytes at the current position; false on any failure or a
// short write.
bool WriteToFile(NativeFile file, const void* data, uint32_t size);

// Moves the file pointer by a signed 64-bit distance; stores the new absolute
// position in `*position` when it is not null.
bool SeekFile(NativeFile file, int64_t distance, SeekFrom from, uint64_t* position);

// Sets the end of the file at the current position (what followed is gone).
bool TruncateFileHere(NativeFile file);

bool GetFileSize64(NativeFile file, uint64_t* size);

struct FileTraits {
  using Type = NativeFile;
  static Type Empty() { return kNoFile; }
  static void Close(Type f) { CloseFile(f); }
};
using UniqueFile = UniqueHandle<FileTraits>;
