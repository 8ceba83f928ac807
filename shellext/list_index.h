// One checksum list held in memory by name, so that a command that looks up
// many files reads each list once instead of once per file; and the plain
// search through an open list that the index answers like.
//
// Names match when CompareNoCase (list_name.h) finds them equal: without
// regard to case, by the system's Unicode rules for names that are not ASCII.
#pragma once

#include <cstddef>
#include <cstdint>

#include "formats/list_entry.h"
#include "formats/list_reader.h"
#include "platform/file.h"

struct IndexedEntry {
  size_t NameOffset;  // the zero-terminated name, as the list gives it, in ListIndex::Names
  uint32_t NameLength;
  uint32_t Hash;  // HashNameNoCase
  uint64_t ExpectedSize;
  uint32_t ExpectedCrc;
  unsigned char ExpectedMd5[16];
  DigestAlgorithm Algorithm;
  unsigned char ExpectedDigest[kMaxDigestBytes];
};

// Owned by the caller; zero-filled is empty. Release with FreeListIndex.
struct ListIndex {
  IndexedEntry* Entries;  // in list order, one per distinct folded name
  uint32_t Count;
  uint32_t Capacity;
  char* Names;
  size_t NamesUsed;
  size_t NamesCapacity;
  uint32_t* Slots;    // open addressing: entry number + 1, 0 for a free slot
  uint32_t SlotMask;  // slot count - 1 (a power of two), 0 while there are none
};

// Reads every entry of `file` from its current position to the end of the
// list (ReadListEntry until it returns <= 0; `reader` is positioned and
// detected by the caller) into `index`, which must be empty. Of entries with
// the same name (case ignored) only the first is kept, so a look-up answers
// what a search from the start would find first. Returns false when memory
// runs out; `index` is then empty again and holds nothing.
bool BuildListIndex(ListReader* reader, NativeFile file, ListIndex* index);

// Looks up `name`. On a match copies the entry's name (as the list gives
// it), size, CRC-32, MD5, algorithm and digest into `entry` and returns true;
// `entry->ParStatus` is 0.
bool FindInListIndex(const ListIndex& index, const char* name, ListEntry* entry);

// Gives back everything `index` holds and leaves it empty.
void FreeListIndex(ListIndex* index);

// The search without an index: reads entries from the current position
// until one whose name equals `name` (case ignored); returns true with that
// entry in `entry`, false when the list ends first.
bool FindInOpenList(ListReader* reader, NativeFile file, const char* name, ListEntry* entry);
