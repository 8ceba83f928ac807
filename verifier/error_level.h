// The exit code of a run started with ERRORLEVEL, so that scripts can tell a
// verified list from a failed one without reading the results.
#pragma once

#include <cstdint>

#include "results/run_counters.h"

constexpr int kErrorLevelVerified = 0;  // every file verified (previously verified ones count)
constexpr int kErrorLevelFailed = 1;    // a file failed, was missing or could not be read
constexpr int kErrorLevelListFailed =
    2;  // the list could not be read, or the command line was wrong

// The exit code of a finished run from its counters. `listRead` is false when
// the list could not be opened or turned out invalid (an invalid CKZ or PAR
// list, whose entries were never counted: TotalEntries stays -1, which gives
// the same). `invalidLines` counts the list lines reported as invalid: an
// entry that could not be read is a file that was not verified. A run that
// ended before every entry had its result (stopped) did not verify every file
// either and gives kErrorLevelFailed.
int ErrorLevelExitCode(const RunCounters& counters, bool listRead, uint32_t invalidLines = 0);
