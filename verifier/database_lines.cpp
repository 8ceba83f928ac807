#include "verifier/database_lines.h"

#include <cstring>

#include "formats/base64.h"

bool IsDatabaseLine(const char* line) {
  return line[0] == ';' && line[1] == 'Q' && line[2] >= '0' && line[2] <= '9' && line[3] == '-';
}

bool IsExpired(uint64_t lastVerifiedTime, uint64_t expireTicks, uint64_t now) {
  if (expireTicks == 0) return false;
  return lastVerifiedTime + expireTicks <= now;
}

std::string BuildDatabaseText(const char* signature, uint64_t now, const VerifiedBitmap& bitmap,
                              uint32_t entriesReached) {
  std::string text;
  text += ";Q2-";
  text += signature;
  text += "\r\n";

  unsigned char timeBytes[8];
  for (int i = 0; i < 8; ++i) timeBytes[i] = static_cast<unsigned char>(now >> (8 * i));
  char encoded[Base64EncodedLength(kBitmapBytesPerLine) + 1];
  Base64Encode(timeBytes, sizeof timeBytes, encoded, sizeof encoded);
  text += ";Q2-";
  text += encoded;
  text += "\r\n";

  if (entriesReached > kBitmapEntries) entriesReached = kBitmapEntries;
  uint32_t bytes = (entriesReached + 7) / 8;
  for (uint32_t at = 0; at < bytes; at += kBitmapBytesPerLine) {
    uint32_t n = bytes - at < kBitmapBytesPerLine ? bytes - at : kBitmapBytesPerLine;
    Base64Encode(bitmap.bytes + at, n, encoded, sizeof encoded);
    text += ";Q2-";
    text += encoded;
    text += "\r\n";
  }
  return text;
}

namespace {

void Disable(DatabaseScan* scan, VerifiedBitmap* bitmap) {
  scan->disableDatabase = true;
  ClearBitmap(bitmap);
  scan->bitmapBytes = 0;
  scan->stage = DatabaseScan::Stage::Done;
}

bool IsFormLine(const DatabaseScan& scan, const char* line) {
  return std::strlen(line) > 4 && std::strncmp(line, scan.prefix, 4) == 0;
}

// Appends the line's bytes after the ones decoded so far, never past the end.
void DecodeBitmapLine(DatabaseScan* scan, const char* line, VerifiedBitmap* bitmap) {
  scan->bitmapBytes += static_cast<uint32_t>(
      Base64Decode(line + 4, bitmap->bytes + scan->bitmapBytes, kBitmapBytes - scan->bitmapBytes));
}

}  // namespace

bool FeedDatabaseLine(DatabaseScan* scan, const DatabaseContext& context, const char* line,
                      VerifiedBitmap* bitmap) {
  using Stage = DatabaseScan::Stage;
  switch (scan->stage) {
    case Stage::LookingForStart:
      if (std::strncmp(line, ";Q0-", 4) == 0) {
        scan->found = true;
        Disable(scan, bitmap);
        return false;
      }
      if (std::strncmp(line, ";Q1-", 4) != 0 && std::strncmp(line, ";Q2-", 4) != 0) return true;
      scan->found = true;
      std::memcpy(scan->prefix, line, 4);
      if (std::strcmp(line + 4, context.signature) != 0) {
        Disable(scan, bitmap);
        return false;
      }
      scan->stage = line[2] == '2' ? Stage::ExpectTime : Stage::Bitmap;
      return true;
    case Stage::ExpectTime:
      if (!IsFormLine(*scan, line)) {
        scan->stage = Stage::Done;
        return false;
      }
      {
        unsigned char timeBytes[8] = {};
        Base64Decode(line + 4, timeBytes, sizeof timeBytes);
        uint64_t t = 0;
        for (int i = 7; i >= 0; --i) t = (t << 8) | timeBytes[i];
        scan->hasTime = true;
        scan->lastVerifiedTime = t;
      }
      if (IsExpired(scan->lastVerifiedTime, context.expireTicks, context.now)) {
        Disable(scan, bitmap);
        return false;
      }
      scan->stage = Stage::Bitmap;
      return true;
    case Stage::Bitmap:
      if (!IsFormLine(*scan, line)) {
        scan->stage = Stage::Done;
        return false;
      }
      DecodeBitmapLine(scan, line, bitmap);
      return true;
    case Stage::Done:
      break;
  }
  return false;
}
