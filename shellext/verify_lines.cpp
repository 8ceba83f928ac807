#include "shellext/verify_lines.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "hashing/digest_text.h"
#include "hashing/entry_status.h"

namespace {

// A text cut at `capacity` - 1 bytes ends before a character whose UTF-8
// sequence the cut split, so that a very long name never leaves half a
// character (which the window would show as a replacement mark) at the end.
void EndOnCharacter(char* text, size_t capacity, int formatted) {
  if (formatted < 0 || static_cast<size_t>(formatted) < capacity) return;
  size_t end = capacity - 1;
  size_t lead = end;
  while (lead > 0 && (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80 && end - lead < 3)
    --lead;
  if (lead == 0) return;
  const unsigned char first = static_cast<unsigned char>(text[lead - 1]);
  if (first < 0xC0) return;  // the cut follows an ASCII byte or is not inside a sequence
  const size_t length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : 2;
  if (end - (lead - 1) < length) text[lead - 1] = '\0';
}

[[gnu::format(printf, 3, 4)]] void Put(VerifyRow* row, VerifyRowKind kind, const char* format,
                                       ...) {
  row->Kind = kind;
  va_list args;
  va_start(args, format);
  const int formatted = std::vsnprintf(row->Text, sizeof row->Text, format, args);
  va_end(args);
  EndOnCharacter(row->Text, sizeof row->Text, formatted);
}

// The row of a file without a checksum: two spaces after the second colon.
void PutFailed(VerifyRow* row, const char* name, const char* reason) {
  Put(row, VerifyRowKind::Bad, "%s: :  %s.  %s", name, "FAILED", reason);
}

const char* Plural(uint32_t n) {
  return n == 1 ? "" : "s";
}
const char* WasWere(uint32_t n) {
  return n == 1 ? "was" : "were";
}

}  // namespace

void DescribeVersion(VerifyRow* row) {
  Put(row, VerifyRowKind::Info, "%s", "Corvana v2.33");
}

void DescribeCouldNotOpen(const char* listPath, VerifyRow* row) {
  Put(row, VerifyRowKind::Bad, "Couldn't open %s", listPath);
}

void DescribeNotFound(const char* relativeName, VerifyCounters* counters, VerifyRow* row) {
  PutFailed(row, relativeName, "Could not find related SFV file");
  ++counters->SkippedCount;
}

namespace {

// The row of a file the hashing gave no checksum for, counted; false for a
// hashed file, whose row its checksum decides.
bool DescribeUnhashed(const char* relativeName, uint32_t status, VerifyCounters* counters,
                      VerifyRow* row) {
  ++counters->CheckedCount;
  switch (status) {
    case Hashed:
      return false;
    case FileMissing:
      PutFailed(row, relativeName, EntryStatusMessage(status));
      ++counters->MissingCount;
      return true;
    case Unresolved:
      PutFailed(row, relativeName, EntryStatusMessage(status));
      ++counters->UnresolvedCount;
      return true;
    case LengthMismatch:
      PutFailed(row, relativeName, EntryStatusMessage(status));
      ++counters->BadCount;
      return true;
    default:
      // The verifier calls a read failure "Error reading file" and counts it
      // bad; here it is "Could not read file" and the file counts as skipped.
      PutFailed(row, relativeName,
                status == ReadError ? "Could not read file" : EntryStatusMessage(status));
      ++counters->SkippedCount;
      ++counters->UnreadCount;
      return true;
  }
}

}  // namespace

void DescribeVerifiedFile(const char* relativeName, uint32_t status, bool useMd5,
                          uint32_t computedCrc, uint32_t expectedCrc,
                          const unsigned char computedMd5[16], const unsigned char expectedMd5[16],
                          VerifyCounters* counters, VerifyRow* row) {
  if (useMd5) {
    DescribeVerifiedDigest(relativeName, status, DigestAlgorithm::Md5, computedMd5, expectedMd5,
                           counters, row);
    return;
  }
  if (DescribeUnhashed(relativeName, status, counters, row)) return;
  if (computedCrc == expectedCrc) {
    Put(row, VerifyRowKind::Good, "%s: %08X:  %s", relativeName, computedCrc, "OK");
  } else {
    Put(row, VerifyRowKind::Bad, "%s: %08X:  %s.  %s", relativeName, computedCrc, "FAILED",
        "CRC mismatch");
    ++counters->BadCount;
  }
}

void DescribeVerifiedDigest(const char* relativeName, uint32_t status, DigestAlgorithm algorithm,
                            const unsigned char* computed, const unsigned char* expected,
                            VerifyCounters* counters, VerifyRow* row) {
  if (DescribeUnhashed(relativeName, status, counters, row)) return;
  const int bytes = DigestBytes(algorithm);
  char digest[2 * kMaxDigestBytes + 1];
  FormatDigestHexN(expected, bytes, digest, true);
  if (std::memcmp(computed, expected, static_cast<size_t>(bytes)) == 0) {
    Put(row, VerifyRowKind::Good, "%s: %s:  %s", relativeName, digest, "OK");
  } else {
    Put(row, VerifyRowKind::Bad, "%s: %s:  %s.  %s", relativeName, digest, "FAILED",
        "CRC mismatch");
    ++counters->BadCount;
  }
}

int BuildVerifySummary(const VerifyCounters& c, VerifyRow rows[kMaxSummaryRows]) {
  int n = 0;
  if (c.SkippedCount != 0)
    Put(&rows[n++], VerifyRowKind::Bad, "%u file%s skipped", c.SkippedCount,
        Plural(c.SkippedCount));
  Put(&rows[n++], VerifyRowKind::Info, "%u file%s checked", c.CheckedCount, Plural(c.CheckedCount));
  if (c.CheckedCount == 0) return n;
  const uint32_t b = c.BadCount, m = c.MissingCount, u = c.UnresolvedCount;
  if (u != 0) {
    Put(&rows[n++], VerifyRowKind::Bad,
        "%u filename%s resolved to multiple filenames and %s not verified", u, Plural(u),
        WasWere(u));
  }
  if (b != 0 && m == 0) {
    Put(&rows[n++], VerifyRowKind::Bad, "There %s %u bad file%s", WasWere(b), b, Plural(b));
  } else if (m != 0 && b == 0) {
    Put(&rows[n++], VerifyRowKind::Bad, "There %s %u missing file%s", WasWere(m), m, Plural(m));
  } else if (b != 0) {
    Put(&rows[n++], VerifyRowKind::Bad, "There %s %u bad file%s and %u missing file%s", WasWere(b),
        b, Plural(b), m, Plural(m));
  } else if (u == 0 && c.UnreadCount == 0) {
    Put(&rows[n++], VerifyRowKind::Good, "%s", "All files OK");
  }
  return n;
}

void FormatCheckingTitle(const char* name, char title[kVerifyRowText]) {
  const int formatted = std::snprintf(title, kVerifyRowText, "Checking %s...", name);
  EndOnCharacter(title, kVerifyRowText, formatted);
}
