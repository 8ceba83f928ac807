// The job record through which a caller hands one file to the read-and-hash
// pipeline and reads back its outcome. Field order is part of the design.
//
// Protocol: write FilePath, ExpectedSizeLow/High and UseMd5; ResetEvent
// (DoneEvent); ReleaseSemaphore(StartSemaphore, 1); wait for DoneEvent; then
// read Status and, for Hashed, ResultCrc or ResultMd5. Progress may be read at
// any time without a lock. Only one job is in flight at a time.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// A path in UTF-8 with its terminator: a name or path of up to 32,767 bytes,
// or a list's name joined to its folder. A longer one is refused by the
// caller rather than cut.
constexpr size_t kMaxPathBytes = 32768;

struct HashJob {
  char FilePath[kMaxPathBytes];  // caller: UTF-8; a relative path is taken in the current directory
  uint32_t ResultCrc;            // pipeline: finished (complemented) CRC-32
  uint32_t ExpectedSizeLow;      // caller: both halves 0xFFFFFFFF = no length check
  uint32_t ExpectedSizeHigh;
  uint32_t Status;         // pipeline: an EntryStatus
  volatile LONG Progress;  // pipeline: percent of the file's blocks hashed
  HANDLE DoneEvent;        // manual reset; created by StartHashing
  HANDLE StartSemaphore;   // initial 0, maximum 16; one release = one job
  unsigned char ResultMd5[16];
  uint32_t UseMd5;      // caller: 1 MD5, 0 CRC-32
  HWND ProgressWindow;  // shell extension only: its progress bar is control 1002
  // caller: bytes of FilePath that are the folder a list's name was joined
  // to, kept by the wildcard resolution (0: the whole path is the name)
  uint32_t NameStart;
};
