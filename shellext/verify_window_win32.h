// The results window of one individual verification: the shell extension's
// variant, placed where the last one was, with "&Update DB" in its system
// menu and the extension's icon.
#pragma once

#include <windows.h>

#include "results/results_window_win32.h"

// Creates the window into `window` with `owner` (whose Variant is set to
// ShellExtension here): the placement stored in the owner's settings file,
// fitted to the screen; a separator and "&Update DB" (503, checked when
// *owner.UpdateDb is on) appended to the system menu; icon 140 in both
// sizes. Returns the window, or null when it could not be created.
HWND CreateVerifyWindow(ResultsWindowState* window, HINSTANCE instance, ResultsWindowOwner owner);

// Every pending message of this thread dispatched. A quit message is posted
// again and ends the round: false then, and the caller ends its command.
bool DispatchPending();
