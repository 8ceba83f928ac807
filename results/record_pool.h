// A pool of fixed-size records that takes its memory from the operating
// system in blocks and gives it back only when the pool is destroyed. Free
// records are chained through their first word and handed out first in,
// first out. Every operation holds the pool's own lock, so records may be
// taken and returned from any thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "results/system_blocks.h"

// The header in front of the records of each block. Padded to a multiple of
// 16 bytes so that the records after it stay 16-byte aligned on both the
// 32-bit and the 64-bit build.
struct PoolBlock {
  PoolBlock* Next;  // older block
  uint32_t Zero;
  uint32_t Count;       // records in this block
  uint32_t RecordSize;  // bytes per record
};

struct RecordPool {
  PoolLock Lock;
  size_t RecordSize;  // requested size rounded up to a multiple of 16
  uint32_t FirstCount;
  uint32_t GrowthCount;
  PoolBlock* Blocks;  // most recent first
  void* FreeHead;
  void** FreeTail;  // the link to fill next; &FreeHead while the list is empty
  size_t Total;     // records in all blocks
};

// Null when the first block cannot be had (or the sizes make no sense).
RecordPool* CreateRecordPool(size_t recordSize, uint32_t firstCount, uint32_t growthCount);
// A record of RecordSize zero bytes, or null when the pool is empty and the
// system refuses a new block.
void* PoolAllocate(RecordPool* pool);
// Returns a record to the tail of the free list.
void PoolRelease(RecordPool* pool, void* record);
// Makes sure the pool holds at least `total` records, growing it in one
// block. False (and nothing changed) when the block cannot be had.
bool PoolReserve(RecordPool* pool, size_t total);
size_t PoolTotal(RecordPool* pool);
// Every block goes back to the system.
void DestroyRecordPool(RecordPool* pool);
