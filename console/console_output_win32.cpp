#include "console/console_output_win32.h"

#include <windows.h>

#include "platform/text_win32.h"

namespace {

struct Stream {
  HANDLE handle = INVALID_HANDLE_VALUE;
  bool console = false;
};

Stream g_out, g_err;
std::string g_pending;        // standard output not yet written
size_t g_progressLength = 0;  // characters of the progress line shown

constexpr size_t kFlushAt = 64 * 1024;

Stream Probe(DWORD which) {
  Stream s;
  s.handle = ::GetStdHandle(which);
  DWORD mode = 0;
  s.console = s.handle != INVALID_HANDLE_VALUE && s.handle != nullptr &&
              ::GetConsoleMode(s.handle, &mode) != 0;
  return s;
}

void WriteRaw(const Stream& s, std::string_view text) {
  if (s.handle == INVALID_HANDLE_VALUE || s.handle == nullptr || text.empty()) return;
  if (s.console) {
    const std::wstring wide = Wide(text.data(), static_cast<int>(text.size()));
    DWORD written = 0;
    ::WriteConsoleW(s.handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  while (!text.empty()) {
    DWORD written = 0;
    const DWORD chunk = text.size() > 1u << 30 ? 1u << 30 : static_cast<DWORD>(text.size());
    if (!::WriteFile(s.handle, text.data(), chunk, &written, nullptr) || written == 0) return;
    text.remove_prefix(written);
  }
}

}  // namespace

void InitConsoleOutput() {
  g_out = Probe(STD_OUTPUT_HANDLE);
  g_err = Probe(STD_ERROR_HANDLE);
}

bool ErrorIsConsole() {
  return g_err.console;
}

void FlushOutput() {
  if (g_pending.empty()) return;
  WriteRaw(g_out, g_pending);
  g_pending.clear();
}

void Print(OutStream stream, std::string_view text) {
  ClearProgressLine();
  if (stream == OutStream::Out) {
    if (g_out.console) {
      WriteRaw(g_out, text);
      return;
    }
    g_pending.append(text);
    if (g_pending.size() >= kFlushAt) FlushOutput();
    return;
  }
  FlushOutput();
  WriteRaw(g_err, text);
}

void PrintError(std::string_view text) {
  std::string line = "crvn: ";
  line.append(text);
  line += '\n';
  Print(OutStream::Err, line);
}

void ShowProgressLine(std::string_view text) {
  if (!g_err.console) return;
  FlushOutput();
  CONSOLE_SCREEN_BUFFER_INFO info;
  size_t width = 80;
  if (::GetConsoleScreenBufferInfo(g_err.handle, &info)) width = info.dwSize.X;
  std::wstring line = Wide(text.data(), static_cast<int>(text.size()));
  // One column short of the width, so the cursor never wraps to a new line.
  if (width > 1 && line.size() > width - 1) line.resize(width - 1);
  const size_t shown = line.size();
  if (shown < g_progressLength) line.append(g_progressLength - shown, L' ');
  line.insert(line.begin(), L'\r');
  DWORD written = 0;
  ::WriteConsoleW(g_err.handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  g_progressLength = shown;
}

void ClearProgressLine() {
  if (g_progressLength == 0) return;
  std::wstring line(g_progressLength + 2, L' ');
  line.front() = L'\r';
  line.back() = L'\r';
  DWORD written = 0;
  ::WriteConsoleW(g_err.handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  g_progressLength = 0;
}
