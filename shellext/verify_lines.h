// The rows that "&Verify Individual Files" shows and the counters behind its
// summary. Portable: the command formats here and hands the finished rows to
// its results window.
//
// Every function writes one zero-terminated text of at most
// kVerifyRowText - 1 characters into storage the caller owns (longer text is
// cut, as the window's own formatting would cut it) and allocates nothing.
#pragma once

#include <cstdint>

#include "hashing/digest_algorithm.h"

// The kind of a row; also its image index in the results window.
enum class VerifyRowKind : int { Good = 1, Bad = 2, Info = 3 };

constexpr int kVerifyRowText = 1024;  // a row's text, terminator included

struct VerifyRow {
  VerifyRowKind Kind;
  char Text[kVerifyRowText];
};

// What one command has counted so far. Start from a zero-filled record.
struct VerifyCounters {
  uint32_t CheckedCount;     // files handed to the hasher, whatever came of them
  uint32_t BadCount;         // checksum or length mismatches
  uint32_t MissingCount;     // "File does not exist"
  uint32_t UnresolvedCount;  // "Could not resolve filename"
  uint32_t SkippedCount;     // files no list names, and checked files that could not be read
  // The checked files among SkippedCount: they were hashed without a result,
  // so the summary must not call every file good.
  uint32_t UnreadCount;
};

// The first row of a command: Info "Corvana v2.33".
void DescribeVersion(VerifyRow* row);

// Bad "Couldn't open %s" with the full path of a list that a search reached
// but could not open. Counts nothing.
void DescribeCouldNotOpen(const char* listPath, VerifyRow* row);

// Bad "%s: :  %s.  %s" (relative name, "FAILED", "Could not find related SFV
// file") for a selected file that no list names; adds 1 to SkippedCount.
void DescribeNotFound(const char* relativeName, VerifyCounters* counters, VerifyRow* row);

// The row of a file the hasher has finished: `status` is its
// EntryStatus, `useMd5` the list's digest kind; for Hashed the computed
// CRC-32 (or MD5) is compared with the entry's. Adds 1 to CheckedCount and 1
// to the counter the outcome belongs to:
//   Hashed, equal          Good "%s: %08X:  OK" with the computed CRC-32, or
//                          "%s: %s:  OK" with the entry's MD5 in upper case
//   Hashed, different      Bad  "%s: %08X:  FAILED.  CRC mismatch" (computed
//                          CRC-32) or "%s: %s:  FAILED.  CRC mismatch" (the
//                          entry's MD5, upper case)            BadCount
//   FileMissing            Bad  "%s: :  FAILED.  File does not exist"
//                                                              MissingCount
//   ReadError              Bad  "...  Could not read file"      SkippedCount
//   Unresolved             Bad  "...  Could not resolve filename"
//                                                              UnresolvedCount
//   LengthMismatch         Bad  "...  File length mismatch"     BadCount
//   any other value        Bad  "...  Internal allocation error" SkippedCount
// The two skipped outcomes also add 1 to UnreadCount.
void DescribeVerifiedFile(const char* relativeName, uint32_t status, bool useMd5,
                          uint32_t computedCrc, uint32_t expectedCrc,
                          const unsigned char computedMd5[16], const unsigned char expectedMd5[16],
                          VerifyCounters* counters, VerifyRow* row);

// The row of a file of a digest list (any algorithm but CRC-32), as MD5
// rows go: the entry's digest of DigestBytes(algorithm) bytes in upper-case
// hex, "OK" or "FAILED.  CRC mismatch"; the other outcomes and counters as
// above.
void DescribeVerifiedDigest(const char* relativeName, uint32_t status, DigestAlgorithm algorithm,
                            const unsigned char* computed, const unsigned char* expected,
                            VerifyCounters* counters, VerifyRow* row);

constexpr int kMaxSummaryRows = 4;

// The closing rows, in order; returns how many were written (1 to 4). "file%s"
// and "filename%s" take "s" unless the count is 1; "%s" before a count is
// "was" for 1 and "were" otherwise.
//   SkippedCount not 0          Bad  "%d file%s skipped"
//   always                      Info "%d file%s checked"
// and only when CheckedCount is not 0:
//   UnresolvedCount not 0       Bad  "%d filename%s resolved to multiple
//                                     filenames and %s not verified"
//   then one of                 Bad  "There %s %d bad file%s"  (no missing)
//                               Bad  "There %s %d missing file%s"  (no bad)
//                               Bad  "There %s %d bad file%s and %d missing
//                                     file%s"  (was/were by the bad count)
//                               Good "All files OK": nothing bad, missing,
//                                     unresolved, and every checked file read
int BuildVerifySummary(const VerifyCounters& counters, VerifyRow rows[kMaxSummaryRows]);

// The window titles: "Checking %s..." with `name` (the relative name while
// the lists are searched, the full path while the file is hashed), and
// "Finished" at the end. `title` holds kVerifyRowText bytes.
void FormatCheckingTitle(const char* name, char title[kVerifyRowText]);
constexpr const char* kFinishedTitle = "Finished";
