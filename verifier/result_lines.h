// The texts a run reports: one line per entry and the summary.
#pragma once

#include <cstddef>
#include <cstdint>

#include "hashing/digest_algorithm.h"
#include "verifier/run_state.h"

// Kind of a reported line (the results window's image index).
enum class LineKind : int { Good = 1, Bad = 2, Info = 3 };

// A formatted line, terminator included: room for a name as long as a path
// and the longest texts behind it.
constexpr size_t kMaxLineText = kVerifierPathBytes + 128;

struct ReportText {
  LineKind kind;
  char text[kMaxLineText];
};

// Which counter an entry's outcome adds to.
enum class OutcomeCounter { None, Bad, Missing, Unresolved };

struct EntryOutcome {
  LineKind kind;
  OutcomeCounter counter;
  bool verified;  // the entry's bit is set
};

// 32 upper-case hexadecimal digits of a digest (33 bytes with the zero).
void FormatDigest(const unsigned char digest[16], char out[33]);

// The line of a hashed (or failed) entry: `status` is the hasher's
// EntryStatus; for Hashed the computed checksum is compared with the
// expected one (CRC-32, or the MD5 digest when `useMd5`).
EntryOutcome DescribeEntry(const char* name, uint32_t status, bool useMd5, uint32_t computedCrc,
                           const unsigned char computedMd5[16], uint32_t expectedCrc,
                           const unsigned char expectedMd5[16], ReportText* line);

// The same for an entry of any algorithm: `computed` and `expected` hold
// DigestBytes(algorithm) bytes in the order a list prints them (a CRC-32's
// high byte first). CRC-32 and MD5 give exactly DescribeEntry's lines; the
// other digests show as upper-case hexadecimal, whole, like an MD5.
EntryOutcome DescribeDigestEntry(const char* name, uint32_t status, DigestAlgorithm algorithm,
                                 const unsigned char* computed, const unsigned char* expected,
                                 ReportText* line);

// The line of an entry skipped as previously verified: the list's value, in
// lower case for a CRC-32, as 32 upper-case digits for an MD5.
void DescribePreviouslyVerified(const char* name, bool useMd5, uint32_t expectedCrc,
                                const unsigned char expectedMd5[16], ReportText* line);

// Fills up to four summary lines and returns how many; `*allOk` tells that
// "All files OK" was among them.
int BuildSummary(const RunCounters& counters, ReportText lines[4], bool* allOk);
