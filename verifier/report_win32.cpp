#include "verifier/report_win32.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "platform/ansi_codepage.h"
#include "platform/utf8.h"
#include "verifier/run_state.h"
#include "verifier/run_window_win32.h"

namespace {

HANDLE g_reportFile = INVALID_HANDLE_VALUE;
bool g_reportUtf8 = false;

}  // namespace

void SetReportFile(HANDLE file) {
  g_reportFile = file;
}

void SetReportEncoding(bool utf8) {
  g_reportUtf8 = utf8;
}

void ReportLine(RowKind kind, const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
  va_end(again);
  if (RunWindowHandle() != nullptr) {
    AddRunRow(text.c_str(), kind);
    return;
  }
  if (!g_verifier.OutputMode || g_reportFile == INVALID_HANDLE_VALUE) return;
  std::string line;
  if (g_reportUtf8 || IsAsciiText(text.data(), text.size())) {
    line = std::move(text);
  } else {
    AppendUtf8AsAnsi(text.data(), text.size(), &line);
  }
  line += "\r\n";
  DWORD written = 0;
  ::WriteFile(g_reportFile, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void ReportInvalidListLine(void*, const char* text) {
  ReportLine(Bad, "%s", text);
}
