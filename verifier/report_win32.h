// ReportLine: every line a run reports goes through here, to the results
// window as a row or, in OUTPUT: mode, to the results file.
#pragma once

#include <windows.h>

#include "results/results_window_win32.h"

// Formats with wsprintf rules (at most 1,024 characters; longer text is cut)
// and delivers the line: as a row when the results window exists, else in
// OUTPUT: mode as the text and "\r\n" in the output file, else not at all.
void ReportLine(RowKind kind, const char* format, ...);

// The open results file of an OUTPUT: run, or INVALID_HANDLE_VALUE.
void SetReportFile(HANDLE file);

// The list readers' invalid-line sink: a Bad line with the text.
void ReportInvalidListLine(void* context, const char* text);
