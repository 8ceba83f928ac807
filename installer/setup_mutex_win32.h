// One installer or uninstaller at a time, in every session: each holds the
// named mutex kSetupMutexName for its whole run.
#pragma once

#include "platform/handles_win32.h"

// The mutex, now this process's; empty when another run holds it (or it
// could not be had, which is treated alike: two at once must never run).
UniqueKernelHandle TakeSetupMutex();
