// The job record through which a caller hands one file to the read-and-hash
// pipeline and reads back its outcome. Field order is part of the design.
//
// Protocol: write FilePath, ExpectedSizeLow/High and UseMd5; ResetEvent
// (DoneEvent); ReleaseSemaphore(StartSemaphore, 1); wait for DoneEvent; then
// read Status and, for Hashed, ResultCrc or ResultMd5. Progress may be read at
// any time without a lock. Only one job is in flight at a time.
#pragma once

#include <windows.h>

#include <cstdint>

struct HashJob {
  char FilePath[512];         // caller: resolved against the current directory
  uint32_t ResultCrc;         // pipeline: finished (complemented) CRC-32
  uint32_t ExpectedSizeLow;   // caller: both halves 0xFFFFFFFF = no length check
  uint32_t ExpectedSizeHigh;
  uint32_t Status;            // pipeline: an EntryStatus
  volatile LONG Progress;     // pipeline: percent of the file's blocks hashed
  HANDLE DoneEvent;           // manual reset; created by StartHashing
  HANDLE StartSemaphore;      // initial 0, maximum 16; one release = one job
  unsigned char ResultMd5[16];
  uint32_t UseMd5;            // caller: 1 MD5, 0 CRC-32
  HWND ProgressWindow;        // shell extension only: its progress bar is control 1002
};
