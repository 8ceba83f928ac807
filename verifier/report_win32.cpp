#include "verifier/report_win32.h"

#include <cstdarg>

#include "verifier/run_state.h"
#include "verifier/run_window_win32.h"

namespace {

HANDLE g_reportFile = INVALID_HANDLE_VALUE;

}  // namespace

void SetReportFile(HANDLE file) {
  g_reportFile = file;
}

void ReportLine(RowKind kind, const char* format, ...) {
  // wvsprintfA writes at most 1,024 characters, the terminator included.
  char text[1024 + 3];
  va_list args;
  va_start(args, format);
  int length = wvsprintfA(text, format, args);
  va_end(args);
  if (length < 0) length = 0;
  text[length] = '\0';
  if (RunWindowHandle() != nullptr) {
    AddRunRow(text, kind);
    return;
  }
  if (!g_verifier.OutputMode || g_reportFile == INVALID_HANDLE_VALUE) return;
  text[length] = '\r';
  text[length + 1] = '\n';
  DWORD written = 0;
  ::WriteFile(g_reportFile, text, static_cast<DWORD>(length + 2), &written, nullptr);
}

void ReportInvalidListLine(void*, const char* text) {
  ReportLine(Bad, "%s", text);
}
