// The window half of a verification run: everything the run does only when
// it shows its results in a window instead of writing them to a file. The
// run calls these at fixed points; in OUTPUT: mode it calls none of them.
// The run's results window is one instance kept here, lent the run's
// counters, flags and settings path.
#pragma once

#include <windows.h>

#include "results/results_window_win32.h"

// The hand-off after format detection: placement from "WindowInfo" fitted to
// the screen area, CreateResultsWindow, ReserveRows(2 x TotalEntries) when the
// count is known, the menu or system-menu items with the "&Update DB" check
// mark, the icons. False when the window could not be created.
bool BeginRunWindow(HINSTANCE instance);

// The run's results window, or null when none exists (never created, or
// closed by the user).
HWND RunWindowHandle();

// Appends a row to the run's window (nothing when it is gone).
void AddRunRow(const char* text, RowKind kind);

// Caption "Checking %s..." and the status band invalidated with erasing,
// when the run waits for a file.
void RunWindowFileStarted(const char* name);

// The status band invalidated; `erase` false when only the percentage changed.
void RunWindowInvalidateBand(bool erase);

// After the summary: the default beep, caption "Finished", then messages are
// dispatched (10 ms sleeps) until the window is closed or StopRequested or
// RerunRequested is set; then the window is destroyed.
void RunWindowFinish();

// Destroys the run's window if it still exists and frees what it holds.
void EndRunWindow();

// Dispatches every pending message of this thread.
void PumpMessages();
