// Hashing a sequence of files with several workers at once, the results
// coming back in exactly the order the files were given.
//
// Each worker takes the next file of the sequence, opens it under its exact
// name (the name resolution runs only when that open fails), checks its
// length and hashes it where it opened it: a file of one block or less is
// read with one ReadFile into the worker's own buffer and hashed in place,
// with no other thread involved. A larger file is read block by block by the
// worker's reader thread into the worker's ring while the worker hashes the
// blocks before it, so reading and hashing overlap, and with several workers several large files
// use several cores.
//
// Order. The caller submits files in list order and takes results in the
// same order; a file that finishes early waits in the reorder window until
// every file before it has been taken. At most kFileHasherWindow files are
// submitted and not yet taken (a submit beyond that is refused until a
// result is taken), so however long the list, the workers are never more
// than one window ahead of the caller.
//
// Memory in flight: the record (the window, about 40 KiB) plus, per worker,
// a ring of kFileHasherRingSlots blocks of kFileHasherBlockBytes: K workers
// hold K x 4 MiB (8 MiB for two, 64 MiB at the most, kMaxFilesAtOnce = 16),
// whatever the number and size of the files.
//
// Threads. One thread, the owner, creates the hasher and calls every
// function but CancelFileHasher, which any thread may call at any time. The
// owner never blocks inside the engine except in WaitFileResult and
// DestroyFileHasher; it can wait for a result on FileHasherResultEvent
// beside its window messages (MsgWaitForMultipleObjects). Workers touch no
// window and post no message. Create and destroy the hasher outside the
// loader lock (it starts and ends threads).
//
// Cancelling ends every file at once: a file being read stops within one
// block, no file that has not been taken is ever delivered (whether or not
// it was finished), and every later take answers Cancelled.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "hashing/digest_algorithm.h"
#include "hashing/entry_status.h"
#include "hashing/file_digest.h"
#include "platform/counting_semaphore_win32.h"

constexpr uint32_t kFileHasherWindow = 256;
constexpr uint32_t kFileHasherBlockBytes = 1048576;
constexpr uint32_t kFileHasherRingSlots = 4;
// FileRequest::ExpectedSize when the list gives no length to check.
constexpr uint64_t kNoLengthCheck = ~0ull;

struct FileHasherOptions {
  uint32_t Workers = 1;  // files at once (FilesAtOnce); 1 to kMaxFilesAtOnce
  // The shell extension's rules for a name that must be resolved (see
  // OpenForHashing): a missing folder is a ReadError, the match bypasses
  // the cache.
  bool ShellVariant = false;
  // A helper thread hashes the second half of each block of a large BLAKE3
  // file while its worker hashes the first (the halves are subtrees of the
  // file's tree), so that one such file uses two cores. One helper serves
  // the workers in turn: a worker that finds it busy hashes the whole block.
  bool SplitBlake3Blocks = false;
  // Where workers and readers sleep (tests select both kinds).
  SemaphoreSleep Sleep = SemaphoreSleep::AddressWait;
};

enum class FileRequestKind : uint8_t {
  Hash,         // open, check the length, hash
  PassThrough,  // nothing is done: the result only keeps the entry's place in the order
};

struct FileRequest {
  // UTF-8, relative names taken in the current directory. Borrowed: the
  // text must stay unchanged until this file's result has been taken (or
  // the hasher destroyed). Unused for PassThrough.
  const char* Path = nullptr;
  uint64_t ExpectedSize = kNoLengthCheck;  // LengthMismatch when the file differs
  DigestAlgorithm Algorithm = DigestAlgorithm::Crc32;
  FileRequestKind Kind = FileRequestKind::Hash;
  // Bytes of Path that are the folder a list's name was joined to: the
  // resolution of a missing name looks only at the name after them.
  uint32_t NameStart = 0;
  // Whether a name that does not exist is resolved to a renamed file (the
  // older list types). Off, a missing name is FileMissing: the digest tools'
  // lists name their files exactly, as their tools read them.
  bool ResolveMissing = true;
  uint64_t Tag = 0;  // the caller's own, returned in the result
};

struct FileResult {
  uint32_t Sequence;  // 0, 1, 2... in submission order (wraps at 2^32)
  FileRequestKind Kind;
  uint64_t Tag;
  // Hash only: Hashed, FileMissing, ReadError, Unresolved or LengthMismatch. A file whose size at
  // the end of the reading differs from its size when it was opened (it changed meanwhile) is a
  // ReadError, never hashed as if complete.
  EntryStatus Status;
  uint64_t Size;       // the file's length when opened (Hashed, LengthMismatch), else 0
  DigestValue Digest;  // Hashed only
};

struct FileHasher;

// Starts the workers (and their readers). Null when the threads or the
// memory cannot be had; nothing is left behind then.
FileHasher* CreateFileHasher(const FileHasherOptions& options);
// Cancels whatever is in flight, waits for every thread to end and gives
// the memory back. Null is allowed.
void DestroyFileHasher(FileHasher* hasher);

enum class SubmitOutcome : uint8_t {
  Accepted,
  WindowFull,  // kFileHasherWindow files wait to be taken: take one first
  Refused,     // the algorithm is not available, or the hasher was cancelled
};
// Appends a file to the sequence; `*sequence` (may be null) receives its
// number. sequence % kFileHasherWindow is a slot the caller may use for its
// own record of the entry until the result is taken.
SubmitOutcome SubmitFile(FileHasher* hasher, const FileRequest& request,
                         uint32_t* sequence = nullptr);

enum class TakeOutcome : uint8_t {
  Ready,      // *result holds the oldest file not yet taken
  Pending,    // that file is still being hashed; the result event is set when it is done
  Empty,      // every submitted file has been taken
  Cancelled,  // the hasher was cancelled: nothing more is delivered
};
// Never blocks.
TakeOutcome TakeFileResult(FileHasher* hasher, FileResult* result);
// Takes, waiting up to `milliseconds` for a Pending file; Pending on timeout.
TakeOutcome WaitFileResult(FileHasher* hasher, FileResult* result, DWORD milliseconds);
// Auto-reset. Set after a take answered Pending once the awaited file is
// done, and on cancelling. A wake may be spurious: take again.
HANDLE FileHasherResultEvent(const FileHasher* hasher);

// Any thread, idempotent; a call from another thread must have returned
// before the owner destroys the hasher.
void CancelFileHasher(FileHasher* hasher);

// Percent of the blocks of the oldest file not yet taken that are hashed:
// what a progress display shows while waiting for it; -1 when there is none.
int32_t OldestFileProgress(const FileHasher* hasher);
// Submitted files whose results have not been taken.
uint32_t FilesInFlight(const FileHasher* hasher);
uint32_t FileHasherWorkers(const FileHasher* hasher);
// Bytes the hasher holds (record, rings): the memory bound above.
size_t FileHasherMemoryBytes(const FileHasher* hasher);
