#include "hashing/pipeline_win32.h"

#include <commctrl.h>
#include <process.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "hashing/crc32.h"
#include "hashing/md5.h"
#include "hashing/name_resolution_win32.h"
#include "platform/handles_win32.h"
#include "platform/window_text_win32.h"

// Windows enters thread procedures of the i686 build with a 4-byte-aligned
// stack; the hashing code may use SSE, so the entry points realign it.
#if defined(__i386__)
#define CORVANA_THREAD_ENTRY __attribute__((force_align_arg_pointer))
#else
#define CORVANA_THREAD_ENTRY
#endif

namespace {

constexpr LONG kSemaphoreMaximum = 9;
constexpr LONG kStartSemaphoreMaximum = 16;
constexpr int kProgressBarId = 1002;

// The verifier's pipeline: the ring of eight slots in static storage for the
// life of the process. Every field starts as zero.
HashPipeline staticPipeline;

bool IsNtFamily(NtFamilyDecision decision) {
  if (decision == NtFamilyDecision::ForceNt) return true;
  if (decision == NtFamilyDecision::ForceNotNt) return false;
  OSVERSIONINFOW version;
  memset(&version, 0, sizeof version);
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExW(&version)) return false;
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// A performance-counter reading when the pipeline measures its times, else 0
// (so that every `Times.X += Ticks(p) - start` adds nothing).
uint64_t Ticks(const HashPipeline* p) {
  if (!p->Options.MeasureTimes) return 0;
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<uint64_t>(now.QuadPart);
}

uint32_t NextSlot(uint32_t index) {
  return (index + 1) % kSlotCount;
}

void UnmapSlot(BlockSlot* slot) {
  if (slot->View) UnmapViewOfFile(slot->View);
  slot->View = nullptr;
}

HWND ProgressBarOf(const HashPipeline* p) {
  if (!p->Options.ShellVariant || !p->Job->ProgressWindow) return nullptr;
  return GetDlgItem(p->Job->ProgressWindow, kProgressBarId);
}

// The progress bar belongs to the command's thread, which is waiting for the
// job; a posted message never blocks this thread, even while the command's
// thread is inside StopHashing.
void PostProgress(HWND bar, uint32_t position) {
  if (bar) PostMessageW(bar, PBM_SETPOS, position, 0);
}

// Reader thread: serves block requests in file order, one slot each.
void ServeBlock(HashPipeline* p) {
  BlockSlot* slot = &p->Slots[p->ReaderIndex];
  p->ReaderIndex = NextSlot(p->ReaderIndex);
  // The hashing thread numbers its files; a failure belongs to one file.
  if (p->ReaderFileNumber != p->FileNumber) {
    p->ReaderFileNumber = p->FileNumber;
    p->FileFailed = 0;
  }
  slot->Ok = 0;
  slot->ByteCount = 0;
  slot->View = nullptr;
  if (p->FileFailed) {
    // Once a block of a file has failed the file is lost: the requests still
    // in flight are answered as failed without touching the file again (and
    // without another "Error" box).
  } else if (slot->UseMapping) {
    uint64_t left = p->FileSize > p->NextOffset ? p->FileSize - p->NextOffset : 0;
    uint32_t length = left < kMapBlockBytes ? static_cast<uint32_t>(left) : kMapBlockBytes;
    const void* view = nullptr;
    const uint64_t start = Ticks(p);
    if (length > 0 && p->Options.MapView) {
      view = p->Options.MapView(p->Mapping, p->NextOffset, length);
    } else if (length > 0) {
      view = MapViewOfFile(p->Mapping, FILE_MAP_READ, static_cast<DWORD>(p->NextOffset >> 32),
                           static_cast<DWORD>(p->NextOffset), length);
    }
    p->Times.ReaderFetch += Ticks(p) - start;
    p->NextOffset += length;
    slot->ByteCount = length;
    slot->View = view;
    slot->Ok = view != nullptr;
    if (!view) {
      DWORD error = GetLastError();
      p->FileFailed = 1;
      if (!p->Options.SuppressViewErrorBox) {
        char text[16];
        snprintf(text, sizeof text, "%d", static_cast<int>(error));
        MessageBoxUtf8(nullptr, text, "Error", MB_OK | MB_ICONEXCLAMATION);
      }
    }
  } else {
    uint64_t left = p->FileSize > p->ReadOffset ? p->FileSize - p->ReadOffset : 0;
    uint32_t expected = left < kReadBlockBytes ? static_cast<uint32_t>(left) : kReadBlockBytes;
    DWORD got = 0;
    // The whole data area is asked for: reads that bypass the cache need a
    // sector multiple, and the data area is 1 MiB on a 4096-byte boundary.
    const uint64_t start = Ticks(p);
    BOOL read = ReadFile(p->File, slot->Data, kReadBlockBytes, &got, nullptr);
    p->Times.ReaderFetch += Ticks(p) - start;
    p->ReadOffset += got;
    slot->ByteCount = got;
    // A block shorter or longer than the size taken at the start means the
    // file changed while it was read; its checksum would describe neither
    // version, so the block counts as failed.
    slot->Ok = read && got == expected;
    if (!slot->Ok) p->FileFailed = 1;
  }
  ++p->BlocksServed;
}

CORVANA_THREAD_ENTRY unsigned __stdcall ReaderMain(void* argument) {
  HashPipeline* p = static_cast<HashPipeline*>(argument);
  while (WaitCountingSemaphore(&p->Requests)) {
    ServeBlock(p);
    const uint64_t start = Ticks(p);
    ReleaseCountingSemaphore(&p->Ready, 1);
    p->Times.ReaderSignal += Ticks(p) - start;
  }
  return 0;
}

// Takes back the blocks a file left in flight. Returns false when the quit
// event was seen.
//
// A file that ends early (a failed block) may leave requests with the reader
// and ready blocks in the ring. Every request is answered by exactly one
// ready signal, so the hashing thread waits for the `outstanding` signals
// still due and unmaps their views before the file is closed; the next file
// then starts with both semaphores at zero and the reader idle, and nothing
// of this file can be counted for it. When the pipeline is being stopped the
// reader may be inside a read or a mapping of this file: the hashing thread
// waits for the reader thread to end (it does at its next wait, the quit
// event stays signalled) before it unmaps what is left and closes the file.
bool DrainBlocks(HashPipeline* p, uint64_t outstanding, bool quitting) {
  while (!quitting && outstanding > 0) {
    if (!WaitCountingSemaphore(&p->Ready)) {
      quitting = true;
      break;
    }
    UnmapSlot(&p->Slots[p->HashIndex]);
    p->HashIndex = NextSlot(p->HashIndex);
    --outstanding;
  }
  if (quitting) {
    WaitForSingleObject(p->ReaderThread, INFINITE);
    for (BlockSlot& slot : p->Slots) UnmapSlot(&slot);
  }
  return !quitting;
}

struct Checksum {
  bool UseMd5;
  uint32_t Crc;
  MD5_CTX Md5;
};

void Feed(Checksum* sum, const void* data, uint32_t length) {
  if (sum->UseMd5) {
    MD5Update(&sum->Md5, data, length);
  } else {
    sum->Crc = UpdateCRC32(sum->Crc, data, length);
  }
}

// Hashes the blocks of the open file. Returns the blocks left unhashed (0 when
// the file was hashed to the end); `*quit` tells whether the quit event ended it.
uint64_t HashBlocks(HashPipeline* p, Checksum* sum, uint64_t size, bool* quit) {
  HashJob* job = p->Job;
  bool mapping;
  if (p->Options.ModeRule == BlockModeRule::MapBelowThreshold) {
    mapping = size < kMappingThreshold || p->NtFamily;
  } else {
    mapping = false;
  }
  for (BlockSlot& slot : p->Slots) slot.UseMapping = mapping;
  uint32_t blockBytes = mapping ? kMapBlockBytes : kReadBlockBytes;
  uint64_t blocks = (size + blockBytes - 1) / blockBytes;

  p->FileSize = size;
  p->NextOffset = 0;
  p->ReadOffset = 0;
  if (mapping) {
    // A mapping that cannot be created ends the job at once with ReadError;
    // no block is requested.
    const uint64_t start = Ticks(p);
    p->Mapping = p->Options.CreateMapping
                     ? p->Options.CreateMapping(p->File)
                     : CreateFileMappingW(p->File, nullptr, PAGE_READONLY, 0, 0, nullptr);
    p->Times.HashOpen += Ticks(p) - start;
    if (!p->Mapping) return blocks;
  }
  p->ReaderIndex = 0;
  p->HashIndex = 0;
  ++p->FileNumber;

  HWND bar = ProgressBarOf(p);
  uint64_t requested = blocks < kSlotCount ? blocks : kSlotCount;
  ReleaseCountingSemaphore(&p->Requests, static_cast<LONG>(requested));
  uint64_t remaining = blocks;
  uint64_t consumed = 0;
  uint32_t posted = ~0u;  // the bar's position last posted for this file
  while (remaining > 0) {
    uint64_t start = Ticks(p);
    const bool woke = WaitCountingSemaphore(&p->Ready);
    p->Times.HashWait += Ticks(p) - start;
    if (!woke) {
      *quit = true;
      break;
    }
    BlockSlot* slot = &p->Slots[p->HashIndex];
    p->HashIndex = NextSlot(p->HashIndex);
    ++consumed;
    if (!slot->Ok) break;
    --remaining;
    ++p->BlocksHashed;
    // The progress sum grows by 100 a block, so it is consumed * 100; the
    // bar is told only when its position changes (a 1 GB file in 64 KiB
    // views has 15,000 blocks and at most 101 positions).
    const uint32_t percent = static_cast<uint32_t>((consumed * 100) / blocks);
    job->Progress = static_cast<LONG>(percent);
    if (percent != posted) PostProgress(bar, percent);
    posted = percent;
    if (slot->ByteCount > 0) {
      start = Ticks(p);
      Feed(sum, mapping ? slot->View : slot->Data, slot->ByteCount);
      const uint64_t fed = Ticks(p);
      p->Times.HashFeed += fed - start;
      if (mapping) {
        UnmapSlot(slot);
        p->Times.HashUnmap += Ticks(p) - fed;
      }
    }
    if (remaining >= kSlotCount) {
      start = Ticks(p);
      ReleaseCountingSemaphore(&p->Requests, 1);
      p->Times.HashSignal += Ticks(p) - start;
      ++requested;
    }
  }
  if (remaining > 0 && !DrainBlocks(p, requested - consumed, *quit)) *quit = true;
  return remaining;
}

// One job from open to result. Returns false when the quit event was seen.
bool RunJob(HashPipeline* p) {
  HashJob* job = p->Job;
  job->Progress = 0;
  Checksum sum;
  sum.UseMd5 = job->UseMd5 == 1;
  sum.Crc = 0xFFFFFFFF;
  if (sum.UseMd5) MD5Init(&sum.Md5);

  // The pipeline's own copy of the path (on the heap: it may be long).
  const std::string name(job->FilePath, strnlen(job->FilePath, sizeof job->FilePath));
  EntryStatus why = ReadError;
  const uint64_t opening = Ticks(p);
  UniqueFileHandle file(
      OpenForHashing(name.c_str(), p->Options.ShellVariant, &why, job->NameStart));
  p->Times.HashOpen += Ticks(p) - opening;
  if (!file) {
    job->Status = why;
    return true;
  }
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.Get(), &size)) {
    job->Status = ReadError;
    return true;
  }
  bool sizeChecked = !(job->ExpectedSizeLow == 0xFFFFFFFF && job->ExpectedSizeHigh == 0xFFFFFFFF);
  if (sizeChecked && (job->ExpectedSizeLow != static_cast<uint32_t>(size.LowPart) ||
                      job->ExpectedSizeHigh != static_cast<uint32_t>(size.HighPart))) {
    job->Status = LengthMismatch;
    return true;
  }

  bool quit = false;
  uint64_t remaining = 0;
  if (size.QuadPart > 0) {
    p->File = file.Get();
    remaining = HashBlocks(p, &sum, static_cast<uint64_t>(size.QuadPart), &quit);
    if (p->Mapping) CloseHandle(p->Mapping);
    p->Mapping = nullptr;
    p->File = INVALID_HANDLE_VALUE;
  }
  file.Reset();
  if (sum.UseMd5) {
    MD5Final(job->ResultMd5, &sum.Md5);
  } else {
    job->ResultCrc = ~sum.Crc;
  }
  job->Status = remaining == 0 ? Hashed : ReadError;
  return !quit;
}

CORVANA_THREAD_ENTRY unsigned __stdcall HashMain(void* argument) {
  HashPipeline* p = static_cast<HashPipeline*>(argument);
  HashJob* job = p->Job;
  HWND bar = ProgressBarOf(p);
  if (bar) PostMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  const HANDLE waits[2] = {p->QuitEvent, job->StartSemaphore};
  while (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
    bool goOn = RunJob(p);
    SetEvent(job->DoneEvent);
    if (!goOn) break;
  }
  return 0;
}

// Both threads see the quit at their next wait: the hashing thread waits for
// its start semaphore beside the quit event, and the block semaphores are
// told of the quit after it is set.
void RaiseQuit(HashPipeline* p) {
  SetEvent(p->QuitEvent);
  WakeCountingSemaphoreForQuit(&p->Requests);
  WakeCountingSemaphoreForQuit(&p->Ready);
}

void CloseBlockSemaphores(HashPipeline* p) {
  CloseCountingSemaphore(&p->Requests);
  CloseCountingSemaphore(&p->Ready);
}

HANDLE StartThread(unsigned(__stdcall* entry)(void*), HashPipeline* p) {
  return reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, entry, p, 0, nullptr));
}

}  // namespace

int StartPipeline(HashPipeline* p, HashJob* job, const PipelineOptions& options) {
  if (p->Running) return 0;
  UniqueKernelHandle start(CreateSemaphoreW(nullptr, 0, kStartSemaphoreMaximum, nullptr));
  UniqueKernelHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  UniqueKernelHandle quit(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!start || !done || !quit) return 0;
  if (!CreateCountingSemaphore(&p->Requests, kSemaphoreMaximum, quit.Get(), options.Sleep))
    return 0;
  if (!CreateCountingSemaphore(&p->Ready, kSemaphoreMaximum, quit.Get(), options.Sleep)) {
    CloseCountingSemaphore(&p->Requests);
    return 0;
  }

  p->Options = options;
  p->Job = job;
  p->NtFamily = IsNtFamily(options.NtFamily);
  p->QuitEvent = quit.Get();
  p->File = INVALID_HANDLE_VALUE;
  p->Mapping = nullptr;
  p->ReaderIndex = 0;
  p->HashIndex = 0;
  p->BlocksServed = 0;
  p->BlocksHashed = 0;
  memset(&p->Times, 0, sizeof p->Times);
  for (BlockSlot& slot : p->Slots) slot.View = nullptr;
  job->StartSemaphore = start.Get();
  job->DoneEvent = done.Get();

  UniqueKernelHandle reader(StartThread(ReaderMain, p));
  if (!reader) {
    CloseBlockSemaphores(p);
    job->StartSemaphore = nullptr;
    job->DoneEvent = nullptr;
    return 0;
  }
  p->ReaderThread = reader.Get();
  UniqueKernelHandle hasher(StartThread(HashMain, p));
  if (!hasher) {
    RaiseQuit(p);
    WaitForSingleObject(reader.Get(), INFINITE);
    CloseBlockSemaphores(p);
    p->ReaderThread = nullptr;
    job->StartSemaphore = nullptr;
    job->DoneEvent = nullptr;
    return 0;
  }
  p->HashThread = hasher.Release();
  reader.Release();
  start.Release();
  done.Release();
  quit.Release();
  p->Running = 1;
  return 1;
}

int StopPipeline(HashPipeline* p) {
  if (!p->Running) return 1;
  HashJob* job = p->Job;
  RaiseQuit(p);
  WaitForSingleObject(p->ReaderThread, INFINITE);
  WaitForSingleObject(p->HashThread, INFINITE);
  CloseHandle(p->ReaderThread);
  CloseHandle(p->HashThread);
  CloseBlockSemaphores(p);
  CloseHandle(job->StartSemaphore);
  CloseHandle(job->DoneEvent);
  CloseHandle(p->QuitEvent);
  p->ReaderThread = p->HashThread = nullptr;
  p->QuitEvent = nullptr;
  job->StartSemaphore = job->DoneEvent = nullptr;
  p->Running = 0;
  return 1;
}

int StartHashing(HashJob* job) {
  return StartHashing(job, PipelineOptions{});
}

int StartHashing(HashJob* job, const PipelineOptions& options) {
  return StartPipeline(&staticPipeline, job, options);
}

// The job is the one StartHashing was given, which the pipeline keeps.
int StopHashing(HashJob* /*job*/) {
  return StopPipeline(&staticPipeline);
}

HashPipeline* StaticHashPipeline() {
  return &staticPipeline;
}

ShellHashCommand* CreateShellHashCommand() {
  // Committed pages come zero-filled and page-aligned, as the slots need.
  void* memory =
      VirtualAlloc(nullptr, sizeof(ShellHashCommand), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  return static_cast<ShellHashCommand*>(memory);
}

int StartShellHashing(ShellHashCommand* command) {
  return StartShellHashing(command, PipelineOptions{});
}

int StartShellHashing(ShellHashCommand* command, PipelineOptions options) {
  options.ShellVariant = true;
  return StartPipeline(&command->Pipeline, &command->Job, options);
}

int StopShellHashing(ShellHashCommand* command) {
  return StopPipeline(&command->Pipeline);
}

void FreeShellHashCommand(ShellHashCommand* command) {
  if (!command) return;
  StopShellHashing(command);
  VirtualFree(command, 0, MEM_RELEASE);
}
