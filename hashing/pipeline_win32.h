// The read-and-hash pipeline: a reader thread maps or reads one file block by
// block into a ring of eight slots, a hashing thread feeds them in order to
// the CRC-32 or MD5 and publishes the outcome in the HashJob.
//
// One code path serves both deliverables. Every piece of pipeline state lives
// in a HashPipeline record:
//   - the verifier calls StartHashing(job) / StopHashing(job), which use the
//     one record kept in static storage for the life of the process;
//   - the shell extension calls CreateShellHashCommand() at the start of a
//     command, which allocates one zero-filled record holding the job and a
//     pipeline with the shell's options, then StartShellHashing /
//     StopShellHashing and FreeShellHashCommand at the command's end.
//
// Threads are created only by StartHashing and its variants, which are called
// from commands and from the verifier's entry point, never from DllMain: no
// thread creation or file I/O may happen under the loader lock.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "hashing/hash_job_win32.h"
#include "platform/counting_semaphore_win32.h"

// How a file is brought into the slots.
enum class BlockModeRule : uint32_t {
  // 1 MiB reads for every file. Reading is several times faster than 64 KiB
  // mapped views under every system measured, so it is the default.
  AlwaysRead = 0,
  // The classic rule: 64 KiB mapped views below 1,000,000,000 bytes; at or
  // above it mapped views on NT-family platforms and 1 MiB reads elsewhere.
  MapBelowThreshold = 1,
};

enum class NtFamilyDecision : uint32_t {
  Query = 0,       // ask the platform's version query (platform id 2 = NT)
  ForceNt = 1,     // behave as on an NT-family platform
  ForceNotNt = 2,  // behave as on a platform that is not NT-family
};

// Set before the pipeline starts; read by its threads.
struct PipelineOptions {
  BlockModeRule ModeRule = BlockModeRule::AlwaysRead;
  NtFamilyDecision NtFamily = NtFamilyDecision::Query;
  // The shell extension's rules: the resolved match is opened bypassing the
  // cache, a missing folder is a ReadError, and the progress bar (control
  // 1002) of HashJob::ProgressWindow is driven.
  bool ShellVariant = false;
  // A view that cannot be mapped shows the "Error" box with the error number
  // unless this is set (tests set it).
  bool SuppressViewErrorBox = false;
  // Where the block semaphores sleep: address waits where the platform has
  // them (the default), or kernel semaphores (tests select both).
  SemaphoreSleep Sleep = SemaphoreSleep::AddressWait;
  // Count where the time goes in HashPipeline::Times (benchmarks).
  bool MeasureTimes = false;
  // Stand-ins for the two mapping calls, so that tests can make them fail;
  // null means the platform's own. They report failure as the platform's
  // calls do: null, with the reason in the thread's last error.
  HANDLE (*CreateMapping)(HANDLE file) = nullptr;
  const void* (*MapView)(HANDLE mapping, uint64_t offset, uint32_t length) = nullptr;
};
// Every default is zero, so a zero-filled record holds the default options
// and the static pipeline stays in zero-initialised storage.

constexpr uint32_t kSlotCount = 8;
constexpr uint32_t kMapBlockBytes = 65536;
constexpr uint32_t kReadBlockBytes = 1048576;
constexpr uint64_t kMappingThreshold = 1000000000;  // decimal, bytes
constexpr uint32_t kSlotHeaderBytes = 4096;

// One block of the ring: a header page, then the data area. The data area of
// every slot starts on a 4096-byte boundary, which reads that bypass the
// system cache require of their buffer.
struct BlockSlot {
  uint32_t Ok;          // non-zero when the block was mapped or read in full
  uint32_t ByteCount;   // bytes in the block
  uint32_t UseMapping;  // mode of the current file, copied into every slot
  const void* View;     // mapped view of the block (mapping mode)
  // The rest of the header page is padding.
  alignas(kSlotHeaderBytes) unsigned char Data[kReadBlockBytes];  // the block's bytes (read mode)
};
static_assert(sizeof(BlockSlot) == kSlotHeaderBytes + kReadBlockBytes);
static_assert(offsetof(BlockSlot, Data) == kSlotHeaderBytes);

// Performance-counter ticks spent in each kind of work since the
// pipeline started; kept only with PipelineOptions::MeasureTimes. Each field
// has one writer thread; read them while no job is in flight.
struct PipelineTimes {
  uint64_t ReaderFetch;   // reader: ReadFile or MapViewOfFile
  uint64_t ReaderSignal;  // reader: releasing the block-ready semaphore
  uint64_t HashWait;      // hashing thread: waiting for a ready block
  uint64_t HashFeed;      // hashing thread: CRC-32 or MD5 of the blocks
  uint64_t HashUnmap;     // hashing thread: unmapping views
  uint64_t HashSignal;    // hashing thread: releasing the block-request semaphore
  uint64_t HashOpen;      // hashing thread: open, size check, mapping creation
};

struct HashPipeline {
  PipelineOptions Options;
  HashJob* Job;
  uint32_t NtFamily;           // non-zero when the platform counts as NT-family
  HANDLE QuitEvent;            // manual reset, stays signalled once set
  CountingSemaphore Requests;  // block requests, hashing thread -> reader (0, max 9)
  CountingSemaphore Ready;     // ready blocks, reader -> hashing thread (0, max 9)
  HANDLE File;                 // the file being hashed
  HANDLE Mapping;              // its mapping (mapping mode)
  uint64_t FileSize;           // for the reader
  uint64_t NextOffset;         // reader: next view offset (mapping mode)
  uint64_t ReadOffset;         // reader: bytes read so far (read mode)
  uint32_t FileNumber;         // hashing thread: counts files, so the reader sees a new one
  uint32_t ReaderFileNumber;   // reader: the file its FileFailed belongs to
  uint32_t FileFailed;         // reader: a block of the current file failed
  uint32_t ReaderIndex;        // 0..7
  uint32_t HashIndex;          // 0..7
  uint32_t BlocksServed;       // reader: blocks mapped or read since start (diagnostic)
  uint32_t BlocksHashed;       // hashing thread: blocks hashed since start (diagnostic)
  HANDLE ReaderThread;
  HANDLE HashThread;
  uint32_t Running;
  PipelineTimes Times;
  alignas(4096) BlockSlot Slots[kSlotCount];
};

// Verifier: the static pipeline with default options. Returns 1.
int StartHashing(HashJob* job);
// The static pipeline with chosen options (tests choose the mode rule and the
// NT-family decision). Returns 1, or 0 when the pipeline is already running or
// its objects cannot be created (then nothing is left open).
int StartHashing(HashJob* job, const PipelineOptions& options);

// Signals the quit event, waits for the reader and then the hashing thread to
// end and closes every handle StartHashing created. A file in flight ends with
// ReadError within one block. Returns 1.
int StopHashing(HashJob* job);

// The record of the static pipeline (so tests can look at the slots).
HashPipeline* StaticHashPipeline();

// Any pipeline record: the code path shared by both variants.
int StartPipeline(HashPipeline* pipeline, HashJob* job, const PipelineOptions& options);
int StopPipeline(HashPipeline* pipeline);  // the job it was started with

// Shell extension: one zero-filled allocation per command, holding the job and
// the pipeline state. Returns nullptr when the memory cannot be had.
struct ShellHashCommand {
  HashJob Job;
  HashPipeline Pipeline;
};
ShellHashCommand* CreateShellHashCommand();
// Starts the command's pipeline with the shell's options (ShellVariant on,
// AlwaysRead unless `options` says otherwise).
int StartShellHashing(ShellHashCommand* command);
int StartShellHashing(ShellHashCommand* command, PipelineOptions options);
int StopShellHashing(ShellHashCommand* command);
// Stops the pipeline if it still runs, then gives the memory back.
void FreeShellHashCommand(ShellHashCommand* command);
