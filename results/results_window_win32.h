// The verifier's results window: one row per reported line with its icon,
// the running totals in the 32-pixel status band above the rows, sorting,
// clipboard copy and the right-click commands. At most one exists at a time;
// every run creates a new one and destroys it when the run ends.
#pragma once

#include <windows.h>

// Kind of a reported line; also the row's image index.
enum RowKind : int { Good = 1, Bad = 2, Info = 3 };

// Creates the main window (caption "Working...") with the given placement, or
// at the default rectangle when `placement` is null. Returns null when the
// window could not be created.
HWND CreateResultsWindow(HINSTANCE instance, const WINDOWPLACEMENT* placement);

// Makes room for at least `count` rows (row pool and list-view capacity).
void ReserveRows(unsigned count);

// Splits the formatted text into Name, CRC and Status and appends a row of
// that kind. Always true.
bool AddResultRow(const char* text, RowKind kind);

// The live results window, or null when none exists (never created, or closed
// by the user).
HWND ResultsWindowHandle();

// Destroys the window if it still exists and frees its rows, indexes and
// pools. Safe to call when the user already closed the window.
void DestroyResultsWindow();
