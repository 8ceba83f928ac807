// What the record pools need from the operating system: large zero-filled
// blocks of memory and a lock. The Windows build takes the blocks from
// VirtualAlloc and locks with a critical section; the native build uses
// mmap and a POSIX mutex, so the pools can be tested under the sanitizers.
#pragma once

#include <cstddef>

// Storage for the platform's lock, large enough for a CRITICAL_SECTION and a
// pthread_mutex_t on every target we build for.
struct PoolLock {
  alignas(16) unsigned char Storage[64];
};

void InitPoolLock(PoolLock* lock);
void EnterPoolLock(PoolLock* lock);
void LeavePoolLock(PoolLock* lock);
void DeletePoolLock(PoolLock* lock);

// A committed, zero-filled, read-write block of `bytes` bytes, or null.
void* AllocateSystemBlock(size_t bytes);
// Gives a block from AllocateSystemBlock back; `bytes` is its size.
void FreeSystemBlock(void* block, size_t bytes);
