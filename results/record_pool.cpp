#include "results/record_pool.h"

#include <cstring>
#include <new>

namespace {

constexpr size_t kHeaderSize = (sizeof(PoolBlock) + 15) & ~size_t{15};

// Bytes of a block of `count` records, or 0 when that does not fit in size_t.
size_t BlockBytes(size_t count, size_t recordSize) {
  if (count == 0 || count > (SIZE_MAX - kHeaderSize) / recordSize) return 0;
  return kHeaderSize + count * recordSize;
}

// A new block whose records are chained in address order; `last` receives
// the link field of its last record.
PoolBlock* NewBlock(size_t count, size_t recordSize, void*** last) {
  size_t bytes = BlockBytes(count, recordSize);
  if (bytes == 0 || count > UINT32_MAX) return nullptr;
  auto* block = static_cast<PoolBlock*>(AllocateSystemBlock(bytes));
  if (!block) return nullptr;
  block->Next = nullptr;
  block->Zero = 0;
  block->Count = static_cast<uint32_t>(count);
  block->RecordSize = static_cast<uint32_t>(recordSize);
  char* first = reinterpret_cast<char*>(block) + kHeaderSize;
  for (size_t i = 0; i + 1 < count; ++i) {
    *reinterpret_cast<void**>(first + i * recordSize) = first + (i + 1) * recordSize;
  }
  void** lastLink = reinterpret_cast<void**>(first + (count - 1) * recordSize);
  *lastLink = nullptr;
  *last = lastLink;
  return block;
}

// Appends the records of a new block to the free list. Lock held.
void AddBlock(RecordPool* pool, PoolBlock* block, void** lastLink) {
  *pool->FreeTail = reinterpret_cast<char*>(block) + kHeaderSize;
  pool->FreeTail = lastLink;
  block->Next = pool->Blocks;
  pool->Blocks = block;
  pool->Total += block->Count;
}

}  // namespace

RecordPool* CreateRecordPool(size_t recordSize, uint32_t firstCount, uint32_t growthCount) {
  if (recordSize < sizeof(void*)) recordSize = sizeof(void*);
  if (recordSize > UINT32_MAX - 15 || firstCount == 0 || growthCount == 0) return nullptr;
  recordSize = (recordSize + 15) & ~size_t{15};
  void** last = nullptr;
  PoolBlock* block = NewBlock(firstCount, recordSize, &last);
  if (!block) return nullptr;
  auto* pool = new (std::nothrow) RecordPool{};
  if (!pool) {
    FreeSystemBlock(block, BlockBytes(firstCount, recordSize));
    return nullptr;
  }
  InitPoolLock(&pool->Lock);
  pool->RecordSize = recordSize;
  pool->FirstCount = firstCount;
  pool->GrowthCount = growthCount;
  pool->Blocks = nullptr;
  pool->FreeHead = nullptr;
  pool->FreeTail = &pool->FreeHead;
  AddBlock(pool, block, last);
  return pool;
}

void* PoolAllocate(RecordPool* pool) {
  EnterPoolLock(&pool->Lock);
  if (!pool->FreeHead) {
    void** last = nullptr;
    if (PoolBlock* block = NewBlock(pool->GrowthCount, pool->RecordSize, &last)) {
      AddBlock(pool, block, last);
    }
  }
  void* record = pool->FreeHead;
  if (record) {
    pool->FreeHead = *static_cast<void**>(record);
    if (!pool->FreeHead) pool->FreeTail = &pool->FreeHead;
  }
  LeavePoolLock(&pool->Lock);
  if (record) std::memset(record, 0, pool->RecordSize);
  return record;
}

void PoolRelease(RecordPool* pool, void* record) {
  if (!record) return;
  *static_cast<void**>(record) = nullptr;
  EnterPoolLock(&pool->Lock);
  *pool->FreeTail = record;
  pool->FreeTail = static_cast<void**>(record);
  LeavePoolLock(&pool->Lock);
}

bool PoolReserve(RecordPool* pool, size_t total) {
  EnterPoolLock(&pool->Lock);
  bool ok = true;
  if (total > pool->Total) {
    void** last = nullptr;
    if (PoolBlock* block = NewBlock(total - pool->Total, pool->RecordSize, &last)) {
      AddBlock(pool, block, last);
    } else {
      ok = false;
    }
  }
  LeavePoolLock(&pool->Lock);
  return ok;
}

size_t PoolTotal(RecordPool* pool) {
  EnterPoolLock(&pool->Lock);
  size_t total = pool->Total;
  LeavePoolLock(&pool->Lock);
  return total;
}

void DestroyRecordPool(RecordPool* pool) {
  if (!pool) return;
  PoolBlock* block = pool->Blocks;
  while (block) {
    PoolBlock* next = block->Next;
    FreeSystemBlock(block, BlockBytes(block->Count, block->RecordSize));
    block = next;
  }
  DeletePoolLock(&pool->Lock);
  delete pool;
}
