#include "hashing/seek_penalty_win32.h"

#include <winioctl.h>

#include <cstdio>
#include <string>

#include "platform/handles_win32.h"
#include "platform/text_win32.h"

namespace {

// A device opened for questions only: no read or write access is asked, so
// no administrator rights are needed.
HANDLE OpenDevice(const wchar_t* name) {
  return ::CreateFileW(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                       nullptr);
}

// "\\.\C:" for a volume mounted as a drive letter, else the volume's GUID
// name without its trailing backslash; empty when neither can be had.
std::wstring VolumeDevice(const std::wstring& volumePath) {
  if (volumePath.size() == 3 && volumePath[1] == L':' && volumePath[2] == L'\\') {
    std::wstring device = L"\\\\.\\";
    device += volumePath.substr(0, 2);
    return device;
  }
  wchar_t name[64];
  if (!::GetVolumeNameForVolumeMountPointW(volumePath.c_str(), name, 64)) return std::wstring();
  std::wstring device = name;
  if (!device.empty() && device.back() == L'\\') device.pop_back();
  return device;
}

SeekPenalty Stop(SeekPenaltyTrace* trace, SeekPenaltyStep step) {
  trace->Step = step;
  trace->Error = ::GetLastError();
  return SeekPenalty::Unknown;
}

}  // namespace

SeekPenalty QuerySeekPenalty(const char* path, SeekPenaltyTrace* trace) {
  SeekPenaltyTrace ignored;
  if (!trace) trace = &ignored;
  *trace = SeekPenaltyTrace{SeekPenaltyStep::VolumePath, 0, 0};

  const std::wstring wide = Wide(path);
  wchar_t volumePath[MAX_PATH + 1];
  if (!::GetVolumePathNameW(wide.c_str(), volumePath, MAX_PATH + 1))
    return Stop(trace, SeekPenaltyStep::VolumePath);
  const std::wstring device = VolumeDevice(volumePath);
  if (device.empty()) return Stop(trace, SeekPenaltyStep::VolumePath);

  UniqueFileHandle volume(OpenDevice(device.c_str()));
  if (!volume) return Stop(trace, SeekPenaltyStep::OpenVolume);
  // Room for a volume over a few disks; a larger one is Unknown.
  union {
    VOLUME_DISK_EXTENTS extents;
    unsigned char bytes[sizeof(VOLUME_DISK_EXTENTS) + 7 * sizeof(DISK_EXTENT)];
  } answer;
  DWORD got = 0;
  if (!::DeviceIoControl(volume.Get(), IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, &answer,
                         sizeof answer, &got, nullptr) ||
      answer.extents.NumberOfDiskExtents == 0)
    return Stop(trace, SeekPenaltyStep::DiskExtents);
  volume.Reset();

  SeekPenalty result = SeekPenalty::None;
  for (DWORD i = 0; i < answer.extents.NumberOfDiskExtents; ++i) {
    trace->DiskNumber = answer.extents.Extents[i].DiskNumber;
    wchar_t diskName[40];
    std::swprintf(diskName, 40, L"\\\\.\\PhysicalDrive%lu",
                  static_cast<unsigned long>(trace->DiskNumber));
    UniqueFileHandle disk(OpenDevice(diskName));
    if (!disk) return Stop(trace, SeekPenaltyStep::OpenDisk);
    STORAGE_PROPERTY_QUERY query = {};
    query.PropertyId = StorageDeviceSeekPenaltyProperty;
    query.QueryType = PropertyStandardQuery;
    DEVICE_SEEK_PENALTY_DESCRIPTOR penalty = {};
    if (!::DeviceIoControl(disk.Get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, &penalty,
                           sizeof penalty, &got, nullptr) ||
        got < sizeof penalty)
      return Stop(trace, SeekPenaltyStep::QueryDisk);
    if (penalty.IncursSeekPenalty) result = SeekPenalty::Present;
  }
  trace->Step = SeekPenaltyStep::Answered;
  return result;
}
