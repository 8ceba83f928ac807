// The verifier's own parts of the results window: the popup's database,
// rerun and file commands (703 to 707) with their enabling, and the About
// box. Only the verifier links them; its window reaches them through
// VerifierWindowParts.
#pragma once

#include <windows.h>

#include "formats/list_entry.h"
#include "results/results_window_win32.h"

// The table to put into ResultsWindowOwner::Parts.
const VerifierWindowParts* VerifierWindowCommands();

// Whether the list at `path` keeps a previously-verified database (SFV and
// PAR lists that ListMayKeepDatabase allows), and which of the two it is.
// `*neverWritten` tells that a list which keeps none is one that is never
// written to (a digest tool's list, or one named as SFV or PAR that may not
// keep a database), rather than a format without one.
bool ListKeepsDatabase(const char* path, ListFormat* format, bool* neverWritten);

// "About Corvana", modal, owned by `owner`.
void ShowAboutBox(HINSTANCE instance, HWND owner);
