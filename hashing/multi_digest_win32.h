// Every digest of one file from a single read: the file's blocks are read
// once, in order, and each block is fed to every algorithm asked for before
// its slot is read into again.
//
// Threads. The caller's thread reads. With digest threads (processors > 1)
// each algorithm has a thread of its own that takes the blocks in order, so
// one file's digests share the processors and the time is set by the sum of
// the work over the processors (or the slowest digest alone), not by the
// slowest digest plus the others. Without them the caller feeds every digest
// itself. Memory in flight: kMultiDigestSlots blocks of kMultiDigestBlockBytes
// (16 MiB), whatever the file's size.
//
// Contract:
//   CreateMultiDigestHasher(digestThreads): false hashes on the caller's
//     thread; true starts kMaxMultiDigests digest threads, one per algorithm
//     of a file. Null when the threads or the memory cannot be had.
//     HashAllDigests takes at most kMaxMultiDigests algorithms.
//   HashAllDigests(h, path, algorithms, count, out, progress): opens `path`
//     (UTF-8, any length) for reading with read and write sharing, reads it to
//     its end and writes the digest of algorithms[i] to out[i]. `progress`
//     (may be null) is advanced by the bytes every digest has taken, as they
//     are taken. Answers Hashed, ReadError (*error = the system's error code)
//     or, once cancelled, Cancelled. One call at a time, from one thread.
//   CancelMultiDigestHasher(h): any thread, any time, idempotent: the file
//     being read stops within a block and every later call answers
//     Cancelled.
//   DestroyMultiDigestHasher(h): cancels, waits for the threads, frees. Null
//     is allowed. Not under the loader lock (it ends threads).
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "hashing/digest_names.h"
#include "hashing/file_digest.h"

constexpr uint32_t kMultiDigestBlockBytes = 1048576;
constexpr uint32_t kMultiDigestSlots = 16;
// Every algorithm there is, so that any set the page shows is one read.
constexpr int kMaxMultiDigests = static_cast<int>(kDigestAlgorithmCount);

enum class MultiDigestOutcome : uint8_t { Hashed, ReadError, Cancelled };

struct MultiDigestHasher;

MultiDigestHasher* CreateMultiDigestHasher(bool digestThreads);
void DestroyMultiDigestHasher(MultiDigestHasher* hasher);
void CancelMultiDigestHasher(MultiDigestHasher* hasher);

MultiDigestOutcome HashAllDigests(MultiDigestHasher* hasher, const char* path,
                                  const DigestAlgorithm* algorithms, int count, DigestValue* out,
                                  DWORD* error, std::atomic<uint64_t>* progress);

// Whether digest threads pay on this computer: more than one processor.
bool MultiDigestThreadsPay();
