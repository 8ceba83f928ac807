// The running totals a results window paints in its status band. The owner
// of the window (the verifier's run, or one individual verification of the
// shell extension) keeps them and lends them to the window.
#pragma once

#include <cstdint>

struct RunCounters {
  uint32_t CheckedCount = 0;  // entries finished, previously verified included
  uint32_t BadCount = 0;
  uint32_t MissingCount = 0;
  uint32_t UnresolvedCount = 0;
  int32_t TotalEntries = -1;      // -1 while the list was not counted
  bool ShowFileProgress = false;  // the status text adds the current file's percentage
  // That percentage: how much of the oldest file in flight is hashed, 0 to
  // 100. Written and painted on the owner's thread, like every count here.
  uint32_t FilePercent = 0;
  bool RunFinished = false;  // summary reported; column sorting allowed from here
};
