// The four texts of the results window's status band: completed files (with
// the current file's percentage while it is shown), good, bad and missing.
#pragma once

#include "results/run_counters.h"

struct StatusBandText {
  char Completed[64];  // at (0, y)
  char Ok[32];         // at (0, y + 16)
  char Bad[32];        // at (width / 2, y)
  char Missing[32];    // at (width / 2, y + 16)
};

StatusBandText FormatStatusBand(const RunCounters& c, unsigned fileProgress);
