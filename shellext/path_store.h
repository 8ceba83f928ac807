// The text of a selection's paths: kept apart from the fixed-size nodes, in
// blocks taken from the heap and given back together at the command's end,
// so that a node costs the length of its path and a path may be as long as
// the system allows.
#pragma once

#include <cstddef>

struct PathStoreBlock;

// Zero-filled is empty.
struct PathStore {
  PathStoreBlock* Blocks;  // the newest first
  size_t Used;             // bytes used in the newest block
  size_t Capacity;         // bytes of text the newest block holds
};

// A copy of `length` bytes of `text` with a terminator, living until the
// store is freed; null when memory runs out.
const char* StorePath(PathStore* store, const char* text, size_t length);

// Gives back every block; the store is empty afterwards.
void FreePathStore(PathStore* store);
