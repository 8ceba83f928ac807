#include "results/status_band.h"

#include <cstdio>

#include "platform/dpi.h"

StatusBandText FormatStatusBand(const RunCounters& c, unsigned fileProgress) {
  StatusBandText t;
  int n;
  if (c.TotalEntries == -1) {
    n = std::snprintf(t.Completed, sizeof t.Completed, "Completed Files: %u/??", c.CheckedCount);
  } else {
    n = std::snprintf(t.Completed, sizeof t.Completed, "Completed Files: %u/%u", c.CheckedCount,
                      static_cast<unsigned>(c.TotalEntries));
  }
  if (c.ShowFileProgress && n > 0 && static_cast<size_t>(n) < sizeof t.Completed) {
    std::snprintf(t.Completed + n, sizeof t.Completed - static_cast<size_t>(n), " (File:%u%%)",
                  fileProgress);
  }
  // Unsigned arithmetic, printed as such, like every count here.
  std::snprintf(t.Ok, sizeof t.Ok, "Ok: %u",
                c.CheckedCount - c.UnresolvedCount - c.MissingCount - c.BadCount);
  std::snprintf(t.Bad, sizeof t.Bad, "Bad: %u", c.BadCount + c.UnresolvedCount);
  std::snprintf(t.Missing, sizeof t.Missing, "Missing: %u", c.MissingCount);
  return t;
}

StatusBandLayout LayOutStatusBand(int dpi, int fontHeight, bool separator) {
  StatusBandLayout l;
  l.Separator = separator ? ScaleForDpi(1, dpi) : 0;
  l.FirstLine = l.Separator;
  const int step = ScaleForDpi(16, dpi);
  l.SecondLine = l.FirstLine + (fontHeight > step ? fontHeight : step);
  const int height = ScaleForDpi(32, dpi);
  const int needed = l.SecondLine + fontHeight;
  l.Height = needed > height ? needed : height;
  return l;
}
