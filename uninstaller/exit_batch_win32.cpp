#include "uninstaller/exit_batch_win32.h"

#include <windows.h>

#include "installer/install_plan.h"
#include "platform/handles_win32.h"
#include "uninstaller/exit_batch.h"

namespace {

// %ComSpec%, else cmd.exe in the system folder.
std::string CommandInterpreter() {
  char path[MAX_PATH] = {};
  DWORD n = ::GetEnvironmentVariableA("ComSpec", path, sizeof path);
  if (n > 0 && n < sizeof path) return path;
  n = ::GetSystemDirectoryA(path, sizeof path);
  if (n == 0 || n >= sizeof path) return "cmd.exe";
  return WithTrailingSlash(path) + "cmd.exe";
}

}  // namespace

bool WriteExitBatch(const std::string& installFolder, const std::string& windowsFolder) {
  const std::string text = ExitBatchText(installFolder, windowsFolder);
  const std::string path = windowsFolder + "CRVNExit.bat";
  UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return ::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

bool StartExitBatch(const std::string& windowsFolder) {
  std::string commandLine = InterpreterCommandLine(CommandInterpreter(), windowsFolder);
  const std::string current = WithoutTrailingSlash(windowsFolder);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_SUSPENDED | IDLE_PRIORITY_CLASS, nullptr, current.c_str(), &startup,
                        &process))
    return false;
  UniqueKernelHandle processHandle(process.hProcess);
  UniqueKernelHandle thread(process.hThread);
  ::SetThreadPriority(thread.Get(), THREAD_PRIORITY_IDLE);
  ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
  ::SetPriorityClass(::GetCurrentProcess(), HIGH_PRIORITY_CLASS);
  ::ResumeThread(thread.Get());
  return true;
}
