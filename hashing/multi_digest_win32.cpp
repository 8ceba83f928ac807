#include "hashing/multi_digest_win32.h"

#include <process.h>

#include <new>

#include "hashing/thread_entry_win32.h"
#include "platform/counting_semaphore_win32.h"
#include "platform/files_win32.h"
#include "platform/handles_win32.h"

namespace {

constexpr uint32_t kBlock = kMultiDigestBlockBytes;
constexpr uint32_t kSlots = kMultiDigestSlots;

struct Slot {
  uint32_t Bytes;
  bool Last;                     // the file ends with this block
  std::atomic<int32_t> Pending;  // digest threads that have not taken it yet
};

struct DigestThread {
  MultiDigestHasher* Owner;
  HANDLE Thread;
  CountingSemaphore Ready;  // blocks read and not yet taken by this thread
  bool Made;
  uint32_t Next;  // the slot this thread takes next
  FileDigest Digest;
  DigestValue Value;
};

}  // namespace

struct MultiDigestHasher {
  HANDLE QuitEvent;  // manual reset, set once by the cancel
  std::atomic<uint32_t> Cancelled;
  std::atomic<uint32_t> QuitRaised;
  CountingSemaphore Free;      // slots every digest thread is done with
  CountingSemaphore Finished;  // digest threads done with the file's last block
  bool Made;
  unsigned char* Ring;  // kSlots blocks, or one without digest threads
  Slot Slots[kSlots];
  uint32_t ThreadCount;
  DigestThread Threads[kMaxMultiDigests];
  std::atomic<uint64_t>* Progress;  // the current file's, or null
};

namespace {

CORVANA_THREAD_ENTRY unsigned __stdcall DigestMain(void* argument) {
  DigestThread* t = static_cast<DigestThread*>(argument);
  MultiDigestHasher* h = t->Owner;
  while (WaitCountingSemaphore(&t->Ready)) {
    Slot& slot = h->Slots[t->Next];
    const unsigned char* data = h->Ring + size_t{t->Next} * kBlock;
    t->Next = (t->Next + 1) % kSlots;
    const uint32_t bytes = slot.Bytes;
    const bool last = slot.Last;
    FeedFileDigest(&t->Digest, data, bytes);
    if (last) FinishFileDigest(&t->Digest, &t->Value);
    // The last thread to take a block gives its slot back to the reader.
    if (slot.Pending.fetch_sub(1) == 1) {
      if (h->Progress) h->Progress->fetch_add(bytes);
      ReleaseCountingSemaphore(&h->Free, 1);
    }
    if (last) ReleaseCountingSemaphore(&h->Finished, 1);
  }
  return 0;
}

void RaiseQuit(MultiDigestHasher* h) {
  if (h->QuitRaised.exchange(1) != 0) return;
  if (h->QuitEvent) ::SetEvent(h->QuitEvent);
  if (h->Made) {
    WakeCountingSemaphoreForQuit(&h->Free);
    WakeCountingSemaphoreForQuit(&h->Finished);
  }
  for (uint32_t i = 0; i < h->ThreadCount; ++i) {
    if (h->Threads[i].Made) WakeCountingSemaphoreForQuit(&h->Threads[i].Ready);
  }
}

void Teardown(MultiDigestHasher* h) {
  h->Cancelled.store(1);
  RaiseQuit(h);
  for (uint32_t i = 0; i < h->ThreadCount; ++i) {
    DigestThread& t = h->Threads[i];
    if (t.Thread) {
      ::WaitForSingleObject(t.Thread, INFINITE);
      ::CloseHandle(t.Thread);
    }
    CloseCountingSemaphore(&t.Ready);
  }
  CloseCountingSemaphore(&h->Free);
  CloseCountingSemaphore(&h->Finished);
  if (h->Ring) ::VirtualFree(h->Ring, 0, MEM_RELEASE);
  if (h->QuitEvent) ::CloseHandle(h->QuitEvent);
  delete h;
}

// Without digest threads: every block fed to every digest here.
MultiDigestOutcome HashHere(MultiDigestHasher* h, HANDLE file, const DigestAlgorithm* algorithms,
                            int count, DigestValue* out, DWORD* error) {
  FileDigest digests[kMaxMultiDigests];
  for (int i = 0; i < count; ++i) BeginFileDigest(&digests[i], algorithms[i]);
  for (;;) {
    if (h->Cancelled.load() != 0) return MultiDigestOutcome::Cancelled;
    DWORD got = 0;
    if (!::ReadFile(file, h->Ring, kBlock, &got, nullptr)) {
      *error = ::GetLastError();
      return MultiDigestOutcome::ReadError;
    }
    for (int i = 0; i < count; ++i) FeedFileDigest(&digests[i], h->Ring, got);
    if (h->Progress) h->Progress->fetch_add(got);
    if (got < kBlock) break;
  }
  for (int i = 0; i < count; ++i) FinishFileDigest(&digests[i], &out[i]);
  return MultiDigestOutcome::Hashed;
}

// With digest threads: this thread reads into the ring, algorithm i's
// thread takes every block in order.
MultiDigestOutcome HashThreaded(MultiDigestHasher* h, HANDLE file,
                                const DigestAlgorithm* algorithms, int count, DigestValue* out,
                                DWORD* error) {
  for (int i = 0; i < count; ++i) {
    h->Threads[i].Next = 0;
    BeginFileDigest(&h->Threads[i].Digest, algorithms[i]);
  }
  uint32_t index = 0;
  bool failed = false;
  for (bool last = false; !last; index = (index + 1) % kSlots) {
    if (!WaitCountingSemaphore(&h->Free) || h->Cancelled.load() != 0)
      return MultiDigestOutcome::Cancelled;
    Slot& slot = h->Slots[index];
    DWORD got = 0;
    if (!::ReadFile(file, h->Ring + size_t{index} * kBlock, kBlock, &got, nullptr)) {
      // The threads still finish the file, so that every slot comes back.
      *error = ::GetLastError();
      failed = true;
      got = 0;
    }
    last = failed || got < kBlock;
    slot.Bytes = got;
    slot.Last = last;
    slot.Pending.store(count);
    for (int i = 0; i < count; ++i) ReleaseCountingSemaphore(&h->Threads[i].Ready, 1);
  }
  // Each thread takes the blocks in order, so once every one has finished
  // the file every slot is free again.
  for (int i = 0; i < count; ++i) {
    if (!WaitCountingSemaphore(&h->Finished)) return MultiDigestOutcome::Cancelled;
  }
  if (failed) return MultiDigestOutcome::ReadError;
  for (int i = 0; i < count; ++i) out[i] = h->Threads[i].Value;
  return MultiDigestOutcome::Hashed;
}

}  // namespace

MultiDigestHasher* CreateMultiDigestHasher(bool digestThreads) {
  MultiDigestHasher* h = new (std::nothrow) MultiDigestHasher();
  if (!h) return nullptr;
  h->QuitEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  const size_t ringBytes = size_t{digestThreads ? kSlots : 1} * kBlock;
  // Committed pages are touched only when read into.
  h->Ring = static_cast<unsigned char*>(
      ::VirtualAlloc(nullptr, ringBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (!h->QuitEvent || !h->Ring) {
    Teardown(h);
    return nullptr;
  }
  if (!digestThreads) return h;
  if (!CreateCountingSemaphore(&h->Free, kSlots, h->QuitEvent, SemaphoreSleep::AddressWait)) {
    Teardown(h);
    return nullptr;
  }
  if (!CreateCountingSemaphore(&h->Finished, kMaxMultiDigests, h->QuitEvent,
                               SemaphoreSleep::AddressWait)) {
    CloseCountingSemaphore(&h->Free);
    Teardown(h);
    return nullptr;
  }
  h->Made = true;
  ReleaseCountingSemaphore(&h->Free, kSlots);
  for (int i = 0; i < kMaxMultiDigests; ++i) {
    DigestThread& t = h->Threads[i];
    h->ThreadCount = static_cast<uint32_t>(i + 1);
    t.Owner = h;
    t.Made = CreateCountingSemaphore(&t.Ready, kSlots, h->QuitEvent, SemaphoreSleep::AddressWait);
    if (t.Made)
      t.Thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, DigestMain, &t, 0, nullptr));
    if (!t.Thread) {
      Teardown(h);
      return nullptr;
    }
  }
  return h;
}

void DestroyMultiDigestHasher(MultiDigestHasher* hasher) {
  if (hasher) Teardown(hasher);
}

void CancelMultiDigestHasher(MultiDigestHasher* hasher) {
  if (hasher->Cancelled.exchange(1) != 0) return;
  RaiseQuit(hasher);
}

MultiDigestOutcome HashAllDigests(MultiDigestHasher* h, const char* path,
                                  const DigestAlgorithm* algorithms, int count, DigestValue* out,
                                  DWORD* error, std::atomic<uint64_t>* progress) {
  *error = 0;
  if (h->Cancelled.load() != 0) return MultiDigestOutcome::Cancelled;
  if (count < 0 || count > kMaxMultiDigests) {
    *error = ERROR_INVALID_PARAMETER;
    return MultiDigestOutcome::ReadError;
  }
  for (int i = 0; i < count; ++i) {
    if (!DigestAvailable(algorithms[i])) {
      *error = ERROR_NOT_SUPPORTED;
      return MultiDigestOutcome::ReadError;
    }
  }
  UniqueFileHandle file(CreateFileUtf8(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN));
  if (!file) {
    *error = ::GetLastError();
    return MultiDigestOutcome::ReadError;
  }
  h->Progress = progress;
  const MultiDigestOutcome outcome =
      h->ThreadCount > 0 && count > 0 ? HashThreaded(h, file.Get(), algorithms, count, out, error)
                                      : HashHere(h, file.Get(), algorithms, count, out, error);
  h->Progress = nullptr;
  return outcome;
}

bool MultiDigestThreadsPay() {
  SYSTEM_INFO system;
  ::GetSystemInfo(&system);
  return system.dwNumberOfProcessors > 1;
}
