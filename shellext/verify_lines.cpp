#include "shellext/verify_lines.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "hashing/digest_text.h"
#include "hashing/entry_status.h"

namespace {

[[gnu::format(printf, 3, 4)]] void Put(VerifyRow* row, VerifyRowKind kind, const char* format,
                                       ...) {
  row->Kind = kind;
  va_list args;
  va_start(args, format);
  std::vsnprintf(row->Text, sizeof row->Text, format, args);
  va_end(args);
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

void DescribeVerifiedFile(const char* relativeName, uint32_t status, bool useMd5,
                          uint32_t computedCrc, uint32_t expectedCrc,
                          const unsigned char computedMd5[16], const unsigned char expectedMd5[16],
                          VerifyCounters* counters, VerifyRow* row) {
  ++counters->CheckedCount;
  switch (status) {
    case Hashed:
      break;
    case FileMissing:
      PutFailed(row, relativeName, EntryStatusMessage(status));
      ++counters->MissingCount;
      return;
    case Unresolved:
      PutFailed(row, relativeName, EntryStatusMessage(status));
      ++counters->UnresolvedCount;
      return;
    case LengthMismatch:
      PutFailed(row, relativeName, EntryStatusMessage(status));
      ++counters->BadCount;
      return;
    default:
      // The verifier calls a read failure "Error reading file" and counts it
      // bad; here it is "Could not read file" and the file counts as skipped.
      PutFailed(row, relativeName,
                status == ReadError ? "Could not read file" : EntryStatusMessage(status));
      ++counters->SkippedCount;
      ++counters->UnreadCount;
      return;
  }
  if (useMd5) {
    char digest[33];
    FormatDigestHex(expectedMd5, digest, true);
    if (std::memcmp(computedMd5, expectedMd5, 16) == 0) {
      Put(row, VerifyRowKind::Good, "%s: %s:  %s", relativeName, digest, "OK");
    } else {
      Put(row, VerifyRowKind::Bad, "%s: %s:  %s.  %s", relativeName, digest, "FAILED",
          "CRC mismatch");
      ++counters->BadCount;
    }
  } else if (computedCrc == expectedCrc) {
    Put(row, VerifyRowKind::Good, "%s: %08X:  %s", relativeName, computedCrc, "OK");
  } else {
    Put(row, VerifyRowKind::Bad, "%s: %08X:  %s.  %s", relativeName, computedCrc, "FAILED",
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
  std::snprintf(title, kVerifyRowText, "Checking %s...", name);
}
