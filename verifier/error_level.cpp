#include "verifier/error_level.h"

int ErrorLevelExitCode(const RunCounters& counters, bool listRead, uint32_t invalidLines) {
  if (!listRead || counters.TotalEntries < 0) return kErrorLevelListFailed;
  if (counters.BadCount != 0 || counters.MissingCount != 0 || counters.UnresolvedCount != 0 ||
      invalidLines != 0)
    return kErrorLevelFailed;
  if (counters.CheckedCount < static_cast<uint32_t>(counters.TotalEntries))
    return kErrorLevelFailed;
  return kErrorLevelVerified;
}
