#include "shellext/list_index.h"

#include <cstdlib>
#include <cstring>

#include "formats/list_detection.h"
#include "shellext/list_name.h"

namespace {

// Case-insensitive equality of a name with an entry's: the same bytes first,
// which is how a list and a selection nearly always spell a name.
bool SameName(const char* entryName, uint32_t entryLength, const char* name, uint32_t length) {
  if (entryLength == length && std::memcmp(entryName, name, length) == 0) return true;
  return CompareNoCase(entryName, entryLength, name, length) == 0;
}

// The slot that holds `name`, or the free slot where it belongs.
uint32_t* SlotOf(const ListIndex& index, const char* name, uint32_t length, uint32_t hash) {
  for (uint32_t i = hash & index.SlotMask;; i = (i + 1) & index.SlotMask) {
    uint32_t* slot = &index.Slots[i];
    if (*slot == 0) return slot;
    const IndexedEntry& e = index.Entries[*slot - 1];
    if (e.Hash == hash && SameName(index.Names + e.NameOffset, e.NameLength, name, length))
      return slot;
  }
}

// Doubles the slot table (or makes the first), keeping it at most half full.
bool GrowSlots(ListIndex* index) {
  const uint32_t count = index->SlotMask ? (index->SlotMask + 1) * 2 : 1024;
  if (count == 0 || count > (uint32_t{1} << 31)) return false;
  uint32_t* slots = static_cast<uint32_t*>(std::calloc(count, sizeof *slots));
  if (!slots) return false;
  std::free(index->Slots);
  index->Slots = slots;
  index->SlotMask = count - 1;
  for (uint32_t k = 0; k < index->Count; ++k) {
    const IndexedEntry& e = index->Entries[k];
    *SlotOf(*index, index->Names + e.NameOffset, e.NameLength, e.Hash) = k + 1;
  }
  return true;
}

// Room for one more entry and `nameBytes` more name bytes.
bool Reserve(ListIndex* index, size_t nameBytes) {
  if (index->Count == index->Capacity) {
    if (index->Capacity >= (uint32_t{1} << 30)) return false;
    const uint32_t capacity = index->Capacity ? index->Capacity * 2 : 256;
    void* grown = std::realloc(index->Entries, capacity * sizeof(IndexedEntry));
    if (!grown) return false;
    index->Entries = static_cast<IndexedEntry*>(grown);
    index->Capacity = capacity;
  }
  if (index->NamesCapacity - index->NamesUsed < nameBytes) {
    size_t capacity = index->NamesCapacity ? index->NamesCapacity : 16384;
    while (capacity - index->NamesUsed < nameBytes) {
      if (capacity > SIZE_MAX / 2) return false;
      capacity *= 2;
    }
    void* grown = std::realloc(index->Names, capacity);
    if (!grown) return false;
    index->Names = static_cast<char*>(grown);
    index->NamesCapacity = capacity;
  }
  if ((uint64_t{index->Count} + 1) * 2 > uint64_t{index->SlotMask} + 1) return GrowSlots(index);
  return true;
}

}  // namespace

bool BuildListIndex(ListReader* reader, NativeFile file, ListIndex* index) {
  ListEntry entry{};  // the fields a format does not give stay 0
  while (ReadListEntry(reader, file, &entry) > 0) {
    const uint32_t length = static_cast<uint32_t>(std::strlen(entry.FileName));
    if (!Reserve(index, length + 1)) {
      FreeListIndex(index);
      return false;
    }
    const uint32_t hash = HashNameNoCase(entry.FileName, length);
    uint32_t* slot = SlotOf(*index, entry.FileName, length, hash);
    if (*slot != 0) continue;  // an earlier entry of this name answers
    IndexedEntry& e = index->Entries[index->Count];
    e.NameOffset = index->NamesUsed;
    e.NameLength = length;
    e.Hash = hash;
    e.ExpectedSize = entry.ExpectedSize;
    e.ExpectedCrc = entry.ExpectedCrc;
    std::memcpy(e.ExpectedMd5, entry.ExpectedMd5, sizeof e.ExpectedMd5);
    e.Algorithm = entry.Algorithm;
    std::memcpy(e.ExpectedDigest, entry.ExpectedDigest, sizeof e.ExpectedDigest);
    std::memcpy(index->Names + index->NamesUsed, entry.FileName, length + 1);
    index->NamesUsed += length + 1;
    *slot = ++index->Count;
  }
  return true;
}

bool FindInListIndex(const ListIndex& index, const char* name, ListEntry* entry) {
  if (index.Count == 0) return false;
  const size_t length = std::strlen(name);
  if (length > kMaxEntryName) return false;
  const uint32_t n = static_cast<uint32_t>(length);
  const uint32_t slot = *SlotOf(index, name, n, HashNameNoCase(name, n));
  if (slot == 0) return false;
  const IndexedEntry& e = index.Entries[slot - 1];
  std::memcpy(entry->FileName, index.Names + e.NameOffset, e.NameLength + 1);
  entry->ExpectedSize = e.ExpectedSize;
  entry->ExpectedCrc = e.ExpectedCrc;
  std::memcpy(entry->ExpectedMd5, e.ExpectedMd5, sizeof e.ExpectedMd5);
  entry->Algorithm = e.Algorithm;
  std::memcpy(entry->ExpectedDigest, e.ExpectedDigest, sizeof e.ExpectedDigest);
  entry->ParStatus = 0;
  return true;
}

void FreeListIndex(ListIndex* index) {
  std::free(index->Entries);
  std::free(index->Names);
  std::free(index->Slots);
  std::memset(index, 0, sizeof *index);
}

bool FindInOpenList(ListReader* reader, NativeFile file, const char* name, ListEntry* entry) {
  const size_t length = std::strlen(name);
  while (ReadListEntry(reader, file, entry) > 0) {
    if (SameName(entry->FileName, static_cast<uint32_t>(std::strlen(entry->FileName)), name,
                 static_cast<uint32_t>(length)))
      return true;
  }
  return false;
}
