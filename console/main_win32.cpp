// crvn.exe: the console front-end of Corvana's readers, engines, hasher,
// digest finder and list writer. It never opens a window or a message box:
// every failure is a line on standard error and an exit code.
#include <windows.h>

#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "console/command_line.h"
#include "console/commands_win32.h"
#include "console/console_output_win32.h"
#include "platform/files_win32.h"
#include "platform/text_win32.h"
#include "shellext/list_text.h"

namespace {

// The list being written, deleted when Ctrl+C ends the process: a stopped
// creation leaves nothing behind. Guarded, since the handler runs on a
// thread of its own.
CRITICAL_SECTION g_dropLock;
std::wstring g_dropOnStop;

BOOL WINAPI OnControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
  ::EnterCriticalSection(&g_dropLock);
  if (!g_dropOnStop.empty()) ::DeleteFileW(g_dropOnStop.c_str());
  // Stops at once: nothing more is printed, whatever is in flight.
  ::ExitProcess(3);
}

std::vector<std::string> Arguments() {
  std::vector<std::string> args;
  int count = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (!argv) return args;
  for (int i = 1; i < count; ++i) args.push_back(Utf8(argv[i]));
  ::LocalFree(argv);
  return args;
}

}  // namespace

std::string ShownName(const char* name) {
  std::string out(NameNeedsEscape(name) ? "\\" : "");
  std::string listed(2 * std::strlen(name) + 1, '\0');
  const int n = FormatListedName(listed.data(), listed.size(), name);
  listed.resize(n < 0 ? 0 : static_cast<size_t>(n));
  return out + listed;
}

void SetFileToDropOnStop(const std::string& path) {
  ::EnterCriticalSection(&g_dropLock);
  g_dropOnStop = path.empty() ? std::wstring() : Wide(path);
  ::LeaveCriticalSection(&g_dropLock);
}

int main() {
  // No system error box for a drive without a medium or a failing read.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX);
  ::InitializeCriticalSection(&g_dropLock);
  ::SetConsoleCtrlHandler(OnControl, TRUE);
  InitConsoleOutput();
  CrvnOptions options;
  std::string error;
  if (!ParseCrvnCommandLine(Arguments(), &options, &error)) {
    PrintError(error);
    Print(OutStream::Err, CrvnUsage());
    return 2;
  }
  int code = 0;
  switch (options.Command) {
    case CrvnCommand::Help:
      Print(OutStream::Out, CrvnUsage());
      break;
    case CrvnCommand::Version:
      Print(OutStream::Out, std::string("crvn ") + kShellVersionText + "\n");
      break;
    case CrvnCommand::Check:
      code = RunCheck(options);
      break;
    case CrvnCommand::Hash:
      code = options.HasExpect ? RunHashExpect(options) : RunHash(options);
      break;
    case CrvnCommand::Create:
      code = RunCreate(options);
      break;
  }
  FlushOutput();
  return code;
}
