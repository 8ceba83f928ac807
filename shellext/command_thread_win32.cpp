#include "shellext/command_thread_win32.h"

#include <memory>
#include <new>

#include "results/record_pool.h"
#include "shellext/collect_selection_win32.h"
#include "shellext/module_state_win32.h"
#include "shellext/settings_path_win32.h"
#include "shellext/shell_command_win32.h"

namespace {

struct CommandRequest {
  UINT Offset;
  HWND Owner;
  std::vector<std::string> Items;
  int ProposedListType;
};

// Everything one command takes, given back on every path.
struct CommandResources {
  RecordPool* Pool = nullptr;
  Selection Files{};
  ~CommandResources() {
    if (Pool) DestroyRecordPool(Pool);
    FreePathStore(&Files.Paths);
  }
};

void RunCommand(const CommandRequest& request) {
  CommandResources resources;
  resources.Pool = CreateRecordPool(sizeof(SelectedFile), 64, 1024);
  if (!resources.Pool) return;
  Selection& selection = resources.Files;
  if (!CollectSelection(request.Items, resources.Pool, &selection)) return;
  // Each command reads and writes the settings through its own path.
  const std::string settings = LocateSettingsFile(ShellModule().Instance);
  // The owner is Explorer's window, on Explorer's thread; it may be gone.
  HWND owner = request.Owner && IsWindow(request.Owner) ? request.Owner : nullptr;
  ShellCommandContext context{owner, ShellModule().Instance, &selection, settings.c_str(),
                              request.ProposedListType};
  if (request.Offset == 0) {
    // Paths too long to list are reported by the command, even alone.
    if (selection.Head || selection.Refused) RunCreateListCommand(context);
  } else if (selection.Head) {
    RunVerifyFilesCommand(context);
  }
}

DWORD WINAPI CommandThread(void* parameter) {
  {
    std::unique_ptr<CommandRequest> request(static_cast<CommandRequest*>(parameter));
    RunCommand(*request);
  }
  InterlockedDecrement(&ShellModule().RunningCommands);
  // The module may be unloaded as soon as its count allows; this thread's
  // own reference keeps the code here until the thread is out of it.
  FreeLibraryAndExitThread(ShellModule().Instance, 0);
}

}  // namespace

bool StartCommandThread(UINT offset, HWND owner, std::vector<std::string> items, int listType) {
  auto* request = new (std::nothrow) CommandRequest{offset, owner, std::move(items), listType};
  if (!request) return false;
  HMODULE held = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                          reinterpret_cast<LPCWSTR>(&CommandThread), &held)) {
    delete request;
    return false;
  }
  InterlockedIncrement(&ShellModule().RunningCommands);
  HANDLE thread = CreateThread(nullptr, 0, CommandThread, request, 0, nullptr);
  if (!thread) {
    InterlockedDecrement(&ShellModule().RunningCommands);
    FreeLibrary(held);
    delete request;
    return false;
  }
  CloseHandle(thread);
  return true;
}
