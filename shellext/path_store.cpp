#include "shellext/path_store.h"

#include <cstdlib>
#include <cstring>

struct PathStoreBlock {
  PathStoreBlock* Next;
  char Text[1];  // Capacity bytes from here
};

namespace {

constexpr size_t kBlockText = 256 * 1024;

}  // namespace

const char* StorePath(PathStore* store, const char* text, size_t length) {
  if (!store->Blocks || store->Capacity - store->Used < length + 1) {
    const size_t capacity = length + 1 > kBlockText ? length + 1 : kBlockText;
    auto* block =
        static_cast<PathStoreBlock*>(std::malloc(offsetof(PathStoreBlock, Text) + capacity));
    if (!block) return nullptr;
    block->Next = store->Blocks;
    store->Blocks = block;
    store->Used = 0;
    store->Capacity = capacity;
  }
  char* copy = store->Blocks->Text + store->Used;
  std::memcpy(copy, text, length);
  copy[length] = 0;
  store->Used += length + 1;
  return copy;
}

void FreePathStore(PathStore* store) {
  while (PathStoreBlock* block = store->Blocks) {
    store->Blocks = block->Next;
    std::free(block);
  }
  store->Used = store->Capacity = 0;
}
