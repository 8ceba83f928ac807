#include "verifier/result_lines.h"

#include <cstdio>
#include <cstring>

#include "hashing/digest_text.h"
#include "hashing/entry_status.h"

void FormatDigest(const unsigned char digest[16], char out[33]) {
  FormatDigestHex(digest, out, true);
}

EntryOutcome DescribeEntry(const char* name, uint32_t status, bool useMd5, uint32_t computedCrc,
                           const unsigned char computedMd5[16], uint32_t expectedCrc,
                           const unsigned char expectedMd5[16], ReportText* line) {
  EntryOutcome outcome{LineKind::Bad, OutcomeCounter::None, false};
  line->kind = LineKind::Bad;
  if (status == Hashed) {
    if (useMd5) {
      char digest[33];
      FormatDigest(computedMd5, digest);
      if (std::memcmp(computedMd5, expectedMd5, 16) == 0) {
        std::snprintf(line->text, sizeof line->text, "%s: %s:  %s", name, digest, "OK");
        outcome = {LineKind::Good, OutcomeCounter::None, true};
      } else {
        std::snprintf(line->text, sizeof line->text, "%s: %s:  %s.  %s", name, digest, "FAILED",
                      "CRC mismatch");
        outcome.counter = OutcomeCounter::Bad;
      }
    } else if (computedCrc == expectedCrc) {
      std::snprintf(line->text, sizeof line->text, "%s: %08X:  %s", name, computedCrc, "OK");
      outcome = {LineKind::Good, OutcomeCounter::None, true};
    } else {
      std::snprintf(line->text, sizeof line->text, "%s: %08x:  %s.  %s", name, computedCrc,
                    "FAILED", "CRC mismatch");
      outcome.counter = OutcomeCounter::Bad;
    }
  } else {
    std::snprintf(line->text, sizeof line->text, "%s: :   %s.  %s", name, "FAILED",
                  EntryStatusMessage(status));
    switch (status) {
      case FileMissing:
        outcome.counter = OutcomeCounter::Missing;
        break;
      case ReadError:
      case LengthMismatch:
      case NotOpened:
        outcome.counter = OutcomeCounter::Bad;
        break;
      case Unresolved:
        outcome.counter = OutcomeCounter::Unresolved;
        break;
      default:  // "Internal allocation error" counts nowhere
        break;
    }
  }
  line->kind = outcome.kind;
  return outcome;
}

namespace {

uint32_t CrcOfBytes(const unsigned char* b) {
  return (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3];
}

}  // namespace

EntryOutcome DescribeDigestEntry(const char* name, uint32_t status, DigestAlgorithm algorithm,
                                 const unsigned char* computed, const unsigned char* expected,
                                 ReportText* line) {
  if (algorithm == DigestAlgorithm::Crc32) {
    return DescribeEntry(name, status, false, status == Hashed ? CrcOfBytes(computed) : 0, expected,
                         CrcOfBytes(expected), expected, line);
  }
  if (algorithm == DigestAlgorithm::Md5 || status != Hashed) {
    return DescribeEntry(name, status, true, 0, computed, 0, expected, line);
  }
  const int bytes = DigestBytes(algorithm);
  char digest[2 * kMaxDigestBytes + 1];
  FormatDigestHexN(computed, bytes, digest, true);
  if (std::memcmp(computed, expected, static_cast<size_t>(bytes)) == 0) {
    std::snprintf(line->text, sizeof line->text, "%s: %s:  %s", name, digest, "OK");
    line->kind = LineKind::Good;
    return {LineKind::Good, OutcomeCounter::None, true};
  }
  std::snprintf(line->text, sizeof line->text, "%s: %s:  %s.  %s", name, digest, "FAILED",
                "CRC mismatch");
  line->kind = LineKind::Bad;
  return {LineKind::Bad, OutcomeCounter::Bad, false};
}

void DescribePreviouslyVerified(const char* name, bool useMd5, uint32_t expectedCrc,
                                const unsigned char expectedMd5[16], ReportText* line) {
  line->kind = LineKind::Good;
  if (useMd5) {
    char digest[33];
    FormatDigest(expectedMd5, digest);
    std::snprintf(line->text, sizeof line->text, "%s: %s:  %s (Previously verified)", name, digest,
                  "OK");
  } else {
    std::snprintf(line->text, sizeof line->text, "%s: %08x:  %s (Previously verified)", name,
                  expectedCrc, "OK");
  }
}

namespace {

const char* Plural(uint32_t n) {
  return n == 1 ? "" : "s";
}
const char* WasWere(uint32_t n) {
  return n == 1 ? "was" : "were";
}

}  // namespace

int BuildSummary(const RunCounters& c, ReportText lines[4], bool* allOk) {
  int count = 0;
  *allOk = false;
  auto add = [&](LineKind kind) -> char* {
    lines[count].kind = kind;
    return lines[count++].text;
  };
  std::snprintf(add(LineKind::Info), kMaxLineText, "%u file%s checked", c.CheckedCount,
                Plural(c.CheckedCount));
  if (c.CheckedCount == 0) return count;
  uint32_t b = c.BadCount, m = c.MissingCount, u = c.UnresolvedCount;
  if (u > 0) {
    std::snprintf(add(LineKind::Bad), kMaxLineText,
                  "%u filename%s resolved to multiple filenames and %s not verified", u, Plural(u),
                  WasWere(u));
  }
  if (b > 0 && m == 0) {
    std::snprintf(add(LineKind::Bad), kMaxLineText, "There %s %u bad file%s", WasWere(b), b,
                  Plural(b));
  } else if (b > 0 && m > 0) {
    std::snprintf(add(LineKind::Bad), kMaxLineText, "There %s %u bad file%s and %u missing file%s",
                  WasWere(b), b, Plural(b), m, Plural(m));
  } else if (b == 0 && m > 0) {
    std::snprintf(add(LineKind::Bad), kMaxLineText, "There %s %u missing file%s", WasWere(m), m,
                  Plural(m));
  } else if (u == 0) {
    std::snprintf(add(LineKind::Good), kMaxLineText, "All files OK");
    *allOk = true;
  }
  return count;
}
