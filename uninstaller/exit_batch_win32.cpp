#include "uninstaller/exit_batch_win32.h"

#include <windows.h>

#include "installer/install_plan.h"
#include "platform/files_win32.h"
#include "platform/handles_win32.h"
#include "platform/text_win32.h"
#include "uninstaller/exit_batch.h"

namespace {

// %ComSpec%, else cmd.exe in the system folder.
std::string CommandInterpreter() {
  wchar_t path[MAX_PATH] = {};
  DWORD n = ::GetEnvironmentVariableW(L"ComSpec", path, MAX_PATH);
  if (n > 0 && n < MAX_PATH) return Utf8(path);
  n = ::GetSystemDirectoryW(path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return "cmd.exe";
  return WithTrailingSlash(Utf8(path)) + "cmd.exe";
}

}  // namespace

bool WriteExitBatch(const std::string& windowsFolder) {
  const std::string text = ExitBatchText();
  const std::string path = windowsFolder + "CRVNExit.bat";
  UniqueFileHandle file(
      CreateFileUtf8(path.c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
  if (!file) return false;
  DWORD written = 0;
  return ::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

ExitBatch::~ExitBatch() {
  // Never started: it must not run later on its own.
  if (thread_) ::TerminateProcess(process_.Get(), 1);
}

bool ExitBatch::Create(const std::string& program, const std::string& installFolder,
                       const std::string& windowsFolder) {
  // The interpreter inherits this process's environment. A drive's root
  // is never removed: without the variable the batch file leaves it.
  const std::string removable = RemovableFolder(installFolder);
  if (!::SetEnvironmentVariableW(Wide(kUninstallerVariable).c_str(), Wide(program).c_str()))
    return false;
  if (removable.empty())
    ::SetEnvironmentVariableW(Wide(kRemoveVariable).c_str(), nullptr);  // none to take away
  else if (!::SetEnvironmentVariableW(Wide(kRemoveVariable).c_str(), Wide(removable).c_str()))
    return false;
  std::wstring commandLine = Wide(InterpreterCommandLine(CommandInterpreter(), windowsFolder));
  const std::wstring current = Wide(WithoutTrailingSlash(windowsFolder));
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_SUSPENDED | IDLE_PRIORITY_CLASS, nullptr, current.c_str(), &startup,
                        &process))
    return false;
  process_.Reset(process.hProcess);
  thread_.Reset(process.hThread);
  return true;
}

bool ExitBatch::Start() {
  if (!thread_) return false;
  ::SetThreadPriority(thread_.Get(), THREAD_PRIORITY_IDLE);
  ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
  ::SetPriorityClass(::GetCurrentProcess(), HIGH_PRIORITY_CLASS);
  const bool resumed = ::ResumeThread(thread_.Get()) != static_cast<DWORD>(-1);
  if (resumed) thread_.Reset();
  return resumed;
}
