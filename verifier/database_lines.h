// The previously-verified database kept at the end of an SFV list: the
// ";Q2-" lines (signature, time of the run that wrote them, the bitmap in
// 48-byte Base64 lines) and the older ";Q1-" (no time line) and ";Q0-" (no
// signature) forms, which are only read.
#pragma once

#include <cstdint>
#include <string>

#include "verifier/verified_bitmap.h"

constexpr uint32_t kBitmapBytesPerLine = 48;

// ';', 'Q', a decimal digit and '-': a database line of any form.
bool IsDatabaseLine(const char* line);

// LastVerifiedTime + ExpireTicks <= now (64-bit wrapping sum); never when
// ExpireTicks is 0.
bool IsExpired(uint64_t lastVerifiedTime, uint64_t expireTicks, uint64_t now);

// The database text as written: signature line, time line (12 Base64
// characters of the 8 little-endian bytes of `now`) and ceil(entries / 8)
// bitmap bytes in lines of 48, each line ended by "\r\n".
std::string BuildDatabaseText(const char* signature, uint64_t now, const VerifiedBitmap& bitmap,
                              uint32_t entriesReached);

// Reading the database: lines are fed from the start of the list until the
// scan says it is done.
struct DatabaseScan {
  enum class Stage { LookingForStart, ExpectTime, Bitmap, Done };
  Stage stage = Stage::LookingForStart;
  char prefix[5] = {};           // ";Q1-" or ";Q2-" of the form being read
  bool found = false;            // a database line was seen
  bool disableDatabase = false;  // ";Q0-", foreign signature or expired: verify all
  bool hasTime = false;
  uint64_t lastVerifiedTime = 0;
  uint32_t bitmapBytes = 0;  // bytes decoded so far
};

struct DatabaseContext {
  const char* signature;
  uint64_t expireTicks;
  uint64_t now;
};

// Feeds one line (without terminator). Returns false once the scan is done;
// the bitmap is filled as lines are decoded and zeroed again when the
// database turns out to be unusable.
bool FeedDatabaseLine(DatabaseScan* scan, const DatabaseContext& context, const char* line,
                      VerifiedBitmap* bitmap);
