#include "verifier/verified_bitmap.h"

#include <cstring>

void ClearBitmap(VerifiedBitmap* bitmap) {
  std::memset(bitmap->bytes, 0, sizeof bitmap->bytes);
}

void AdvanceCursor(BitmapCursor* c) {
  if (!CursorInside(*c)) return;
  if (c->mask == 0x01) {
    c->mask = 0x80;
    ++c->index;
  } else {
    c->mask = static_cast<unsigned char>(c->mask >> 1);
  }
}

uint32_t EntriesReached(const BitmapCursor& c) {
  if (!CursorInside(c)) return kBitmapEntries;
  uint32_t bit = 0;
  for (unsigned m = 0x80; m != c.mask && m != 0; m >>= 1) ++bit;
  return c.index * 8 + bit;
}
