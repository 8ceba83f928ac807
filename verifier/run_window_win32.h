// The window half of a verification run: everything the run does only when
// it shows its results in a window instead of writing them to a file. The
// run calls these at fixed points; in OUTPUT: mode it calls none of them.
#pragma once

#include <windows.h>

#include "hashing/hash_job_win32.h"

// The hand-off after format detection: placement from "WindowInfo" fitted to
// the screen area, CreateResultsWindow, ReserveRows(2 x TotalEntries) when the
// count is known, the job attached as the window's user data, the menu or
// system-menu items with the "&Update DB" check mark, the icons. False when
// the window could not be created.
bool BeginRunWindow(HINSTANCE instance, HashJob* job);

// Caption "Checking %s..." and the status band invalidated with erasing,
// when the run hands a file to the pipeline.
void RunWindowFileStarted(const char* name);

// The status band invalidated; `erase` false when only the percentage changed.
void RunWindowInvalidateBand(bool erase);

// After the summary: the default beep, caption "Finished", then messages are
// dispatched (10 ms sleeps) until the window is closed or StopRequested or
// RerunRequested is set; then the window is destroyed.
void RunWindowFinish();

// Dispatches every pending message of this thread.
void PumpMessages();
