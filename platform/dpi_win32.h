// The DPI of windows and monitors, and what depends on it, asked of the
// system through the calls of Windows 10 1607 and 8.1 where they exist
// (looked up at run time) and answered from the system DPI where they do
// not (older Windows, where every window has the system DPI).
#pragma once

#include <windows.h>

#include "platform/dpi.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

// The system DPI (the primary monitor's when the program started).
int SystemDpi();
// The DPI the window is drawn for: GetDpiForWindow, else the system DPI.
int DpiForWindow(HWND window);
// The DPI of the monitor nearest the screen point (a window about to be
// created there gets it): GetDpiForMonitor, else the system DPI.
int DpiForPoint(POINT screen);
// GetSystemMetricsForDpi, else the system's metric scaled from the system
// DPI to `dpi`.
int SystemMetricForDpi(int index, int dpi);
// The default GUI font (the status band's) and the icon-title font (the list
// view's) at `dpi`: the system's own faces, their height scaled from the
// system DPI. The caller deletes them.
HFONT CreateGuiFontForDpi(int dpi);
HFONT CreateListFontForDpi(int dpi);

// A dialog from a template is measured in units of its font's average
// character width and height, which the dialog manager rounds to whole
// pixels: at 120 DPI a dialog can come out 9 % smaller than 1.25 times its
// size at 96 DPI. Called at WM_INITDIALOG, this resizes the dialog and moves
// and sizes its controls (about its centre) to the units its font has at
// 96 DPI scaled exactly by the dialog's DPI; at 96 DPI it changes nothing.
// Before any code reads the controls' positions.
void FitDialogToDpi(HWND dialog);
