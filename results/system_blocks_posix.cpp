#include <pthread.h>
#include <sys/mman.h>

#include <new>

#include "results/system_blocks.h"

static_assert(sizeof(pthread_mutex_t) <= sizeof(PoolLock::Storage));

static pthread_mutex_t* Mutex(PoolLock* lock) {
  return std::launder(reinterpret_cast<pthread_mutex_t*>(lock->Storage));
}

void InitPoolLock(PoolLock* lock) {
  new (lock->Storage) pthread_mutex_t;
  pthread_mutex_init(Mutex(lock), nullptr);
}
void EnterPoolLock(PoolLock* lock) {
  pthread_mutex_lock(Mutex(lock));
}
void LeavePoolLock(PoolLock* lock) {
  pthread_mutex_unlock(Mutex(lock));
}
void DeletePoolLock(PoolLock* lock) {
  pthread_mutex_destroy(Mutex(lock));
}

void* AllocateSystemBlock(size_t bytes) {
  if (bytes == 0) return nullptr;
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return p == MAP_FAILED ? nullptr : p;
}

void FreeSystemBlock(void* block, size_t bytes) {
  if (block) munmap(block, bytes);
}
