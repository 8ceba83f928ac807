#include <windows.h>

#include <new>

#include "results/system_blocks.h"

static_assert(sizeof(CRITICAL_SECTION) <= sizeof(PoolLock::Storage));

static CRITICAL_SECTION* Section(PoolLock* lock) {
  return std::launder(reinterpret_cast<CRITICAL_SECTION*>(lock->Storage));
}

void InitPoolLock(PoolLock* lock) {
  new (lock->Storage) CRITICAL_SECTION;
  InitializeCriticalSection(Section(lock));
}
void EnterPoolLock(PoolLock* lock) {
  EnterCriticalSection(Section(lock));
}
void LeavePoolLock(PoolLock* lock) {
  LeaveCriticalSection(Section(lock));
}
void DeletePoolLock(PoolLock* lock) {
  DeleteCriticalSection(Section(lock));
}

void* AllocateSystemBlock(size_t bytes) {
  if (bytes == 0) return nullptr;
  return VirtualAlloc(nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
}

void FreeSystemBlock(void* block, size_t /*bytes*/) {
  if (block) VirtualFree(block, 0, MEM_RELEASE);
}
