// One bit per list entry, in list order, most significant bit first: the
// previously-verified marks of a run. Entries past the last bit are simply
// not remembered: reading their bit gives "not verified" and setting it does
// nothing, so a list of any length still verifies.
#pragma once

#include <cstdint>

constexpr uint32_t kBitmapBytes = 32768;
constexpr uint32_t kBitmapEntries = kBitmapBytes * 8;  // 262,144

struct VerifiedBitmap {
  unsigned char bytes[kBitmapBytes];
};

// The run's position in the bitmap: advanced once per entry.
struct BitmapCursor {
  uint32_t index = 0;  // byte index
  unsigned char mask = 0x80;
};

void ClearBitmap(VerifiedBitmap* bitmap);

inline bool CursorInside(const BitmapCursor& c) {
  return c.index < kBitmapBytes;
}

inline bool TestBit(const VerifiedBitmap& b, const BitmapCursor& c) {
  return CursorInside(c) && (b.bytes[c.index] & c.mask) != 0;
}
inline void SetBit(VerifiedBitmap* b, const BitmapCursor& c) {
  if (CursorInside(c)) b->bytes[c.index] |= c.mask;
}
inline void ClearBit(VerifiedBitmap* b, const BitmapCursor& c) {
  if (CursorInside(c)) b->bytes[c.index] &= static_cast<unsigned char>(~c.mask);
}

// Moves to the next entry (mask right; after 0x01 the next byte at 0x80).
// The index stops growing one past the end so it never wraps.
void AdvanceCursor(BitmapCursor* c);

// Entries the cursor has passed, counted up to the bitmap's capacity.
uint32_t EntriesReached(const BitmapCursor& c);

// Entry k's bit (for the PAR status rewrite).
inline bool EntryBit(const VerifiedBitmap& b, uint64_t k) {
  return k < kBitmapEntries && (b.bytes[k / 8] & (0x80u >> (k % 8))) != 0;
}
inline void SetEntryBit(VerifiedBitmap* b, uint64_t k) {
  if (k < kBitmapEntries) b->bytes[k / 8] |= static_cast<unsigned char>(0x80u >> (k % 8));
}
