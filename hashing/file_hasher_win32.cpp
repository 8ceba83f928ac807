#include "hashing/file_hasher_win32.h"

#include <process.h>

#include <atomic>
#include <cstring>
#include <new>

#include "hashing/files_at_once.h"
#include "hashing/name_resolution_win32.h"
#include "hashing/thread_entry_win32.h"
#include "platform/files_win32.h"
#include "platform/handles_win32.h"

namespace {

constexpr uint32_t kWindow = kFileHasherWindow;
constexpr uint32_t kSlots = kFileHasherRingSlots;
constexpr uint32_t kBlock = kFileHasherBlockBytes;
// A waiting owner is woken for this many files at once when they are small:
// each wake is a round trip to the system (under Wine to its server), more
// than a small file's whole hashing.
constexpr uint32_t kWakeBatch = 64;

enum EntryState : uint32_t {
  kFree = 0,    // not submitted, or taken
  kQueued = 1,  // submitted; waiting for a worker, or a small file being hashed
  kLarge = 2,   // a file of several blocks being hashed
  kDone = 3,    // the result is written
};

struct WindowEntry {
  FileRequest Request;
  std::atomic<uint32_t> State;
  std::atomic<int32_t> Progress;
  FileResult Result;
};

struct BlockInfo {
  uint32_t Bytes;
  uint32_t Ok;  // read in full, as long as the file's size said
};

struct Worker {
  FileHasher* Owner;
  HANDLE Thread;
  HANDLE ReaderThread;
  CountingSemaphore Requests;  // block requests, worker -> reader (0, max kSlots)
  CountingSemaphore Ready;     // read blocks, reader -> worker (0, max kSlots)
  bool SemaphoresMade;         // both exist (a quit may only wake made ones)
  unsigned char* Ring;         // kSlots blocks, page-aligned (reads that bypass the cache)
  BlockInfo Blocks[kSlots];
  // The large file being read: written by the worker before it requests
  // the file's first blocks, read by the reader.
  HANDLE File;
  uint64_t FileSize;
  uint64_t ReadOffset;
  uint32_t ReaderIndex;
  uint32_t FileFailed;  // a block failed: later requests are answered as failed
};

// The helper of SplitBlake3Blocks: one subtree at a time, handed over and
// back through two semaphores that stay in user space.
struct SubtreeHelper {
  HANDLE Thread;
  CountingSemaphore Go;    // a subtree to hash (0, max 1)
  CountingSemaphore Done;  // its value is ready (0, max 1)
  bool Made;               // both semaphores exist
  std::atomic<uint32_t> Busy;
  const unsigned char* Data;
  uint64_t ChunkCounter;
  unsigned char Cv[32];
};

}  // namespace

struct FileHasher {
  FileHasherOptions Options;
  HANDLE QuitEvent;        // manual reset, set once by the cancel
  HANDLE ResultEvent;      // auto reset
  CountingSemaphore Work;  // hash files queued and not claimed (0, max kWindow)
  bool WorkMade;
  std::atomic<uint32_t> Cancelled;
  std::atomic<uint32_t> QuitRaised;
  std::atomic<uint32_t> NextClaim;     // workers: the next position of HashQueue to claim
  uint32_t Queued;                     // owner: positions of HashQueue written
  uint32_t HashQueue[kWindow];         // the sequence numbers of Hash files, in order
  uint32_t Submitted;                  // owner: files submitted
  std::atomic<uint32_t> Taken;         // owner: files taken (the awaited one is Taken)
  std::atomic<uint32_t> WakeAt;        // owner: the last file of the awaited batch
  std::atomic<uint32_t> Wanted;        // 1 while the owner waits for the batch
  std::atomic<uint32_t> LargeWorkers;  // workers inside a file of several blocks
  uint32_t WorkerCount;
  Worker Workers[kMaxFilesAtOnce];
  SubtreeHelper Helper;
  WindowEntry Window[kWindow];
};

namespace {

WindowEntry& EntryOf(FileHasher* h, uint32_t sequence) {
  return h->Window[sequence % kWindow];
}

// The owner waits for the file at Taken and for the small files after it up
// to WakeAt: it is woken once the awaited file is done and each of the
// others is done or is a large file still being hashed (which it will wait
// for on its own), or as soon as every worker is inside a large file (the
// files not yet begun then wait for one of them). Called by a worker after
// each change of an entry's state and on starting a large file.
void WakeOwnerWhenBatchReady(FileHasher* h) {
  if (h->Wanted.load() == 0) return;
  const uint32_t first = h->Taken.load();
  const uint32_t last = h->WakeAt.load();
  // Values read while the owner moves on to another batch may not belong
  // together; the owner looks at its file itself after arming, so a wake
  // left out here is not lost.
  if (last - first >= kWakeBatch) return;
  if (EntryOf(h, first).State.load() != kDone) return;
  if (h->LargeWorkers.load() < h->WorkerCount) {
    for (uint32_t s = first + 1; s - first <= last - first; ++s) {
      if (EntryOf(h, s).State.load() == kQueued) return;
    }
  }
  if (h->Wanted.exchange(0) == 1) ::SetEvent(h->ResultEvent);
}

// Reader thread: one block of the worker's large file per request.
void ServeBlock(Worker* w) {
  const uint32_t index = w->ReaderIndex;
  w->ReaderIndex = (index + 1) % kSlots;
  BlockInfo& block = w->Blocks[index];
  block.Ok = 0;
  block.Bytes = 0;
  // Once a block has failed the file is lost; the requests still in flight
  // are answered without touching the file again.
  if (w->FileFailed) return;
  const uint64_t left = w->FileSize > w->ReadOffset ? w->FileSize - w->ReadOffset : 0;
  const uint32_t expected = left < kBlock ? static_cast<uint32_t>(left) : kBlock;
  DWORD got = 0;
  // The whole block is asked for: reads that bypass the cache need a sector
  // multiple. A block shorter or longer than the size taken at the open
  // means the file changed while it was read, and fails.
  const BOOL read = ::ReadFile(w->File, w->Ring + size_t{index} * kBlock, kBlock, &got, nullptr);
  w->ReadOffset += got;
  block.Bytes = got;
  block.Ok = read && got == expected;
  if (!block.Ok) w->FileFailed = 1;
}

CORVANA_THREAD_ENTRY unsigned __stdcall ReaderMain(void* argument) {
  Worker* w = static_cast<Worker*>(argument);
  while (WaitCountingSemaphore(&w->Requests)) {
    ServeBlock(w);
    ReleaseCountingSemaphore(&w->Ready, 1);
  }
  return 0;
}

constexpr size_t kHalfBlock = kBlock / 2;

CORVANA_THREAD_ENTRY unsigned __stdcall HelperMain(void* argument) {
  SubtreeHelper* s = static_cast<SubtreeHelper*>(argument);
  while (WaitCountingSemaphore(&s->Go)) {
    Blake3HashSubtree(s->Data, kHalfBlock, s->ChunkCounter, s->Cv);
    ReleaseCountingSemaphore(&s->Done, 1);
  }
  return 0;
}

// Feeds one block of a large file at `offset`. A whole block of a BLAKE3
// file that is not the file's last is two subtrees of 512 chunks (its offset
// is a multiple of the block): the helper hashes the second while this
// thread hashes the first, and both values join the file's tree in order.
// The last block always goes through the plain update, so that the root is
// known.
void FeedBlock(FileHasher* h, FileDigest* digest, const unsigned char* data, uint32_t bytes,
               uint64_t offset, bool last) {
  SubtreeHelper& s = h->Helper;
  if (digest->Context.algorithm != DigestAlgorithm::Blake3 || !s.Thread || last ||
      bytes != kBlock || s.Busy.exchange(1) != 0) {
    FeedFileDigest(digest, data, bytes);
    return;
  }
  constexpr uint64_t kHalfChunks = kHalfBlock / kBlake3ChunkBytes;
  const uint64_t chunk = offset / kBlake3ChunkBytes;
  s.Data = data + kHalfBlock;
  s.ChunkCounter = chunk + kHalfChunks;
  ReleaseCountingSemaphore(&s.Go, 1);
  unsigned char first[32];
  Blake3HashSubtree(data, kHalfBlock, chunk, first);
  // A quit leaves the helper's value unknown: the file is being cancelled
  // and its result is never delivered.
  if (!WaitCountingSemaphore(&s.Done)) return;
  Blake3AppendSubtree(&digest->Context.state.blake3, first, kHalfChunks);
  Blake3AppendSubtree(&digest->Context.state.blake3, s.Cv, kHalfChunks);
  s.Busy.store(0);
}

// Hashes an open file of more than one block through the worker's reader.
// Returns false when the hasher was cancelled in the middle.
bool HashLargeFile(Worker* w, WindowEntry& entry, HANDLE file, uint64_t size, FileDigest* digest,
                   bool* complete) {
  FileHasher* h = w->Owner;
  w->File = file;
  w->FileSize = size;
  w->ReadOffset = 0;
  w->ReaderIndex = 0;
  w->FileFailed = 0;
  const uint64_t blocks = (size + kBlock - 1) / kBlock;
  uint64_t requested = blocks < kSlots ? blocks : kSlots;
  ReleaseCountingSemaphore(&w->Requests, static_cast<LONG>(requested));
  uint64_t consumed = 0;
  uint64_t remaining = blocks;
  uint32_t index = 0;
  bool quit = false;
  while (remaining > 0) {
    if (!WaitCountingSemaphore(&w->Ready) || h->Cancelled.load() != 0) {
      quit = true;
      break;
    }
    const BlockInfo& block = w->Blocks[index];
    const unsigned char* data = w->Ring + size_t{index} * kBlock;
    index = (index + 1) % kSlots;
    ++consumed;
    if (!block.Ok) break;
    --remaining;
    FeedBlock(h, digest, data, block.Bytes, (consumed - 1) * kBlock, remaining == 0);
    entry.Progress.store(static_cast<int32_t>(consumed * 100 / blocks));
    if (remaining >= kSlots) {
      ReleaseCountingSemaphore(&w->Requests, 1);
      ++requested;
    }
  }
  // A file that ends early leaves requests with the reader: every one is
  // answered by exactly one ready block, so they are waited for before the
  // file is closed and the next file starts with both semaphores at zero.
  // When cancelled, the reader may be inside a read of this file; it ends at
  // its next wait, and the file is closed only after it has.
  for (uint64_t outstanding = requested - consumed; !quit && remaining > 0 && outstanding > 0;
       --outstanding) {
    if (!WaitCountingSemaphore(&w->Ready)) quit = true;
  }
  if (quit) ::WaitForSingleObject(w->ReaderThread, INFINITE);
  w->File = INVALID_HANDLE_VALUE;
  *complete = remaining == 0;
  return !quit;
}

// One file from open to result. Returns false when the hasher was cancelled
// before the result was complete (the entry is then left as it is).
bool HashEntry(Worker* w, uint32_t sequence) {
  FileHasher* h = w->Owner;
  WindowEntry& entry = EntryOf(h, sequence);
  const FileRequest& request = entry.Request;
  FileResult& result = entry.Result;
  if (h->Cancelled.load() != 0) return false;

  // The exact name first; the resolution of a name that is not there (with
  // its directory search) only when that open fails. The retry repeats the
  // exact open once, so the failures keep their usual outcomes.
  HANDLE opened = CreateFileUtf8(request.Path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 OPEN_EXISTING, FILE_FLAG_NO_BUFFERING);
  const DWORD openError = ::GetLastError();
  UniqueFileHandle file(opened);
  if (!file) {
    if (h->Cancelled.load() != 0) return false;
    EntryStatus why = ReadError;
    if (request.ResolveMissing) {
      file.Reset(OpenForHashing(request.Path, h->Options.ShellVariant, &why, request.NameStart));
    } else if (openError == ERROR_FILE_NOT_FOUND || openError == ERROR_PATH_NOT_FOUND) {
      why = FileMissing;
    }
    if (!file) {
      result.Status = why;
      return true;
    }
  }
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(file.Get(), &size)) {
    result.Status = ReadError;
    return true;
  }
  result.Size = static_cast<uint64_t>(size.QuadPart);
  if (request.ExpectedSize != kNoLengthCheck && request.ExpectedSize != result.Size) {
    result.Status = LengthMismatch;
    return true;
  }

  FileDigest digest;
  BeginFileDigest(&digest, request.Algorithm);
  bool complete = true;
  if (result.Size > kBlock) {
    h->LargeWorkers.fetch_add(1);
    entry.State.store(kLarge);
    WakeOwnerWhenBatchReady(h);
    const bool finished = HashLargeFile(w, entry, file.Get(), result.Size, &digest, &complete);
    h->LargeWorkers.fetch_sub(1);
    if (!finished) return false;
  } else if (result.Size > 0) {
    // One read, hashed where it landed.
    DWORD got = 0;
    complete = ::ReadFile(file.Get(), w->Ring, kBlock, &got, nullptr) && got == result.Size;
    if (complete) FeedFileDigest(&digest, w->Ring, got);
  }
  // A file that grew or shrank while it was read is not the file hashed:
  // its size now must be its size at the open (a read that ends on a block
  // boundary cannot tell).
  LARGE_INTEGER sizeAtEnd;
  if (complete && (!::GetFileSizeEx(file.Get(), &sizeAtEnd) || sizeAtEnd.QuadPart != size.QuadPart))
    complete = false;
  file.Reset();
  if (h->Cancelled.load() != 0) return false;
  if (!complete) {
    result.Status = ReadError;
    return true;
  }
  FinishFileDigest(&digest, &result.Digest);
  entry.Progress.store(100);
  result.Status = Hashed;
  return true;
}

CORVANA_THREAD_ENTRY unsigned __stdcall WorkerMain(void* argument) {
  Worker* w = static_cast<Worker*>(argument);
  FileHasher* h = w->Owner;
  while (WaitCountingSemaphore(&h->Work)) {
    const uint32_t position = h->NextClaim.fetch_add(1);
    const uint32_t sequence = h->HashQueue[position % kWindow];
    if (!HashEntry(w, sequence)) break;
    EntryOf(h, sequence).State.store(kDone);
    WakeOwnerWhenBatchReady(h);
  }
  return 0;
}

HANDLE StartThread(unsigned(__stdcall* entry)(void*), Worker* w) {
  return reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, entry, w, 0, nullptr));
}

// Ends whatever open or read the workers and their readers are waiting in
// (a share that does not answer keeps a thread inside CreateFile or
// ReadFile for as long as the network lets it).
void CancelThreadsIo(FileHasher* h) {
  for (uint32_t i = 0; i < h->WorkerCount; ++i) {
    Worker& w = h->Workers[i];
    if (w.Thread) ::CancelSynchronousIo(w.Thread);
    if (w.ReaderThread) ::CancelSynchronousIo(w.ReaderThread);
  }
}

// How often the teardown cancels the threads' I/O again while it waits for
// them: a thread may enter an open after a cancel has passed.
constexpr DWORD kCancelRetryMs = 20;

// Waits for `thread` to end, cancelling the threads' I/O meanwhile, so the
// wait lasts no longer than the system takes to end a cancelled call.
void WaitForThreadCancelling(FileHasher* h, HANDLE thread) {
  while (::WaitForSingleObject(thread, kCancelRetryMs) == WAIT_TIMEOUT) CancelThreadsIo(h);
}

// Once only: a semaphore's quit must not be raised twice.
void RaiseQuit(FileHasher* h) {
  if (h->QuitRaised.exchange(1) != 0) return;
  if (h->QuitEvent) ::SetEvent(h->QuitEvent);
  if (h->WorkMade) WakeCountingSemaphoreForQuit(&h->Work);
  for (uint32_t i = 0; i < h->WorkerCount; ++i) {
    Worker& w = h->Workers[i];
    if (!w.SemaphoresMade) continue;
    WakeCountingSemaphoreForQuit(&w.Requests);
    WakeCountingSemaphoreForQuit(&w.Ready);
  }
  if (h->Helper.Made) {
    WakeCountingSemaphoreForQuit(&h->Helper.Go);
    WakeCountingSemaphoreForQuit(&h->Helper.Done);
  }
  if (h->ResultEvent) ::SetEvent(h->ResultEvent);
  CancelThreadsIo(h);
}

// Ends and closes what Create made, in any state of completion.
void Teardown(FileHasher* h) {
  RaiseQuit(h);
  for (uint32_t i = 0; i < h->WorkerCount; ++i) {
    Worker& w = h->Workers[i];
    if (w.Thread) WaitForThreadCancelling(h, w.Thread);
    if (w.ReaderThread) WaitForThreadCancelling(h, w.ReaderThread);
  }
  if (h->Helper.Thread) {
    ::WaitForSingleObject(h->Helper.Thread, INFINITE);
    ::CloseHandle(h->Helper.Thread);
  }
  CloseCountingSemaphore(&h->Helper.Go);
  CloseCountingSemaphore(&h->Helper.Done);
  for (uint32_t i = 0; i < h->WorkerCount; ++i) {
    Worker& w = h->Workers[i];
    if (w.Thread) ::CloseHandle(w.Thread);
    if (w.ReaderThread) ::CloseHandle(w.ReaderThread);
    CloseCountingSemaphore(&w.Requests);
    CloseCountingSemaphore(&w.Ready);
    if (w.Ring) ::VirtualFree(w.Ring, 0, MEM_RELEASE);
  }
  CloseCountingSemaphore(&h->Work);
  if (h->QuitEvent) ::CloseHandle(h->QuitEvent);
  if (h->ResultEvent) ::CloseHandle(h->ResultEvent);
  delete h;
}

bool StartWorker(FileHasher* h, Worker* w) {
  w->Owner = h;
  w->File = INVALID_HANDLE_VALUE;
  if (!CreateCountingSemaphore(&w->Requests, kSlots, h->QuitEvent, h->Options.Sleep) ||
      !CreateCountingSemaphore(&w->Ready, kSlots, h->QuitEvent, h->Options.Sleep)) {
    CloseCountingSemaphore(&w->Requests);
    return false;
  }
  w->SemaphoresMade = true;
  // Committed pages come page-aligned and are touched only when read into.
  w->Ring = static_cast<unsigned char*>(
      ::VirtualAlloc(nullptr, size_t{kSlots} * kBlock, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (!w->Ring) return false;
  w->ReaderThread = StartThread(ReaderMain, w);
  if (!w->ReaderThread) return false;
  w->Thread = StartThread(WorkerMain, w);
  return w->Thread != nullptr;
}

}  // namespace

FileHasher* CreateFileHasher(const FileHasherOptions& options) {
  FileHasher* h = new (std::nothrow) FileHasher();
  if (!h) return nullptr;
  h->Options = options;
  if (h->Options.Workers < 1) h->Options.Workers = 1;
  if (h->Options.Workers > kMaxFilesAtOnce) h->Options.Workers = kMaxFilesAtOnce;
  h->QuitEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  h->ResultEvent = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (!h->QuitEvent || !h->ResultEvent) {
    Teardown(h);
    return nullptr;
  }
  h->WorkMade = CreateCountingSemaphore(&h->Work, kWindow, h->QuitEvent, options.Sleep);
  if (!h->WorkMade) {
    Teardown(h);
    return nullptr;
  }
  for (uint32_t i = 0; i < h->Options.Workers; ++i) {
    h->WorkerCount = i + 1;
    if (!StartWorker(h, &h->Workers[i])) {
      Teardown(h);
      return nullptr;
    }
  }
  if (h->Options.SplitBlake3Blocks) {
    // Without the helper every block is hashed whole: the same digest.
    SubtreeHelper& s = h->Helper;
    if (CreateCountingSemaphore(&s.Go, 1, h->QuitEvent, options.Sleep)) {
      if (CreateCountingSemaphore(&s.Done, 1, h->QuitEvent, options.Sleep)) {
        s.Made = true;
        s.Thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, HelperMain, &s, 0, nullptr));
      } else {
        CloseCountingSemaphore(&s.Go);
      }
    }
  }
  return h;
}

void DestroyFileHasher(FileHasher* hasher) {
  if (!hasher) return;
  hasher->Cancelled.store(1);
  Teardown(hasher);
}

SubmitOutcome SubmitFile(FileHasher* h, const FileRequest& request, uint32_t* sequence) {
  if (h->Cancelled.load() != 0) return SubmitOutcome::Refused;
  if (request.Kind == FileRequestKind::Hash &&
      (!request.Path || !DigestAvailable(request.Algorithm)))
    return SubmitOutcome::Refused;
  const uint32_t number = h->Submitted;
  if (number - h->Taken.load() >= kWindow) return SubmitOutcome::WindowFull;
  WindowEntry& entry = EntryOf(h, number);
  entry.Request = request;
  entry.Progress.store(0);
  std::memset(&entry.Result, 0, sizeof entry.Result);
  entry.Result.Sequence = number;
  entry.Result.Kind = request.Kind;
  entry.Result.Tag = request.Tag;
  entry.Result.Status = Hashed;
  if (sequence) *sequence = number;
  if (request.Kind == FileRequestKind::PassThrough) {
    entry.Progress.store(100);
    entry.State.store(kDone);
    h->Submitted = number + 1;
    return SubmitOutcome::Accepted;
  }
  entry.State.store(kQueued);
  h->Submitted = number + 1;
  h->HashQueue[h->Queued % kWindow] = number;
  ++h->Queued;
  ReleaseCountingSemaphore(&h->Work, 1);
  return SubmitOutcome::Accepted;
}

TakeOutcome TakeFileResult(FileHasher* h, FileResult* result) {
  if (h->Cancelled.load() != 0) return TakeOutcome::Cancelled;
  const uint32_t number = h->Taken.load();
  if (number == h->Submitted) return TakeOutcome::Empty;
  WindowEntry& entry = EntryOf(h, number);
  if (entry.State.load() != kDone) {
    const uint32_t waiting = h->Submitted - number;
    h->WakeAt.store(number + (waiting < kWakeBatch ? waiting : kWakeBatch) - 1);
    h->Wanted.store(1);
    // A worker that finished between the first look and the flag may not
    // have seen the flag: look again.
    if (entry.State.load() != kDone) {
      if (h->Cancelled.load() != 0) return TakeOutcome::Cancelled;
      return TakeOutcome::Pending;
    }
  }
  h->Wanted.store(0);
  *result = entry.Result;
  entry.State.store(kFree);
  h->Taken.store(number + 1);
  return TakeOutcome::Ready;
}

TakeOutcome WaitFileResult(FileHasher* h, FileResult* result, DWORD milliseconds) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    const TakeOutcome outcome = TakeFileResult(h, result);
    if (outcome != TakeOutcome::Pending) return outcome;
    DWORD wait = INFINITE;
    if (milliseconds != INFINITE) {
      const DWORD elapsed = ::GetTickCount() - start;
      if (elapsed >= milliseconds) return TakeOutcome::Pending;
      wait = milliseconds - elapsed;
    }
    ::WaitForSingleObject(h->ResultEvent, wait);
  }
}

HANDLE FileHasherResultEvent(const FileHasher* h) {
  return h->ResultEvent;
}

void CancelFileHasher(FileHasher* h) {
  if (h->Cancelled.exchange(1) != 0) return;
  RaiseQuit(h);
}

int32_t OldestFileProgress(const FileHasher* h) {
  const uint32_t number = h->Taken.load();
  if (number == h->Submitted) return -1;
  return h->Window[number % kWindow].Progress.load();
}

uint32_t FilesInFlight(const FileHasher* h) {
  return h->Submitted - h->Taken.load();
}

uint32_t FileHasherWorkers(const FileHasher* h) {
  return h->WorkerCount;
}

size_t FileHasherMemoryBytes(const FileHasher* h) {
  return sizeof(FileHasher) + size_t{h->WorkerCount} * kSlots * kBlock;
}
