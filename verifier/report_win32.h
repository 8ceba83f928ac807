// ReportLine: every line a run reports goes through here, to the results
// window as a row or, in OUTPUT: mode, to the results file.
#pragma once

#include <windows.h>

#include "results/results_window_win32.h"

// Formats with printf rules (UTF-8 text of any length) and delivers the line:
// as a row when the results window exists, else in OUTPUT: mode as the text
// and "\r\n" in the output file, else not at all.
void ReportLine(RowKind kind, const char* format, ...);

// The open results file of an OUTPUT: run, or INVALID_HANDLE_VALUE.
void SetReportFile(HANDLE file);

// The encoding of the results file: UTF-8 without a byte-order mark (a list
// read as UTF-8 or UTF-16), or the ANSI code page (any other list, as its
// names were written).
void SetReportEncoding(bool utf8);

// The list readers' invalid-line sink: a Bad line with the text.
void ReportInvalidListLine(void* context, const char* text);
