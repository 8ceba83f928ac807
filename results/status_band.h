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

// Where the band's lines go in a window of `dpi` whose band font is
// `fontHeight` pixels high: 32 pixels at 96 DPI with lines 16 apart (under a
// 1-pixel separator when there is one), scaled, and never so tight that a
// line overlaps the next or the band's end.
struct StatusBandLayout {
  int Separator;   // the separator line's thickness, 0 for none
  int FirstLine;   // top of "Completed Files" and "Bad"
  int SecondLine;  // top of "Ok" and "Missing"
  int Height;      // the band; the list view starts there
};
StatusBandLayout LayOutStatusBand(int dpi, int fontHeight, bool separator);
