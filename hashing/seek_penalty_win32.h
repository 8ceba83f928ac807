// Asking the storage under a file whether it has a seek penalty: the volume
// that holds the path, the physical disks under that volume, and each
// disk's StorageDeviceSeekPenaltyProperty. Any step that fails makes the
// answer Unknown (network shares, substituted drives, platforms or drivers
// that do not answer).
#pragma once

#include <windows.h>

#include "hashing/files_at_once.h"

// Where the question stopped, for diagnostics and benchmarks.
enum class SeekPenaltyStep : uint8_t {
  VolumePath,   // GetVolumePathNameW / the volume's device name
  OpenVolume,   // CreateFile on "\\.\C:" (no access asked)
  DiskExtents,  // IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS
  OpenDisk,     // CreateFile on "\\.\PhysicalDriveN"
  QueryDisk,    // IOCTL_STORAGE_QUERY_PROPERTY, StorageDeviceSeekPenaltyProperty
  Answered,     // every disk answered
};

struct SeekPenaltyTrace {
  SeekPenaltyStep Step;
  DWORD Error;       // GetLastError of the failed step, 0 when answered
  DWORD DiskNumber;  // the last disk asked (OpenDisk and later)
};

// `path` is UTF-8, relative names taken in the current directory. A volume
// over several disks has a penalty when any of them has one.
SeekPenalty QuerySeekPenalty(const char* path, SeekPenaltyTrace* trace = nullptr);
