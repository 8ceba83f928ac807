// The handler's InvokeCommand: collects the selection into a sorted list of
// files, finds the settings file and runs the chosen command.
#include <windows.h>

#include <shellapi.h>

#include <cstring>

#include "hashing/pipeline_win32.h"
#include "platform/handles_win32.h"
#include "results/record_pool.h"
#include "shellext/class_id_win32.h"
#include "shellext/collect_selection_win32.h"
#include "shellext/com_objects_win32.h"
#include "shellext/module_state_win32.h"
#include "shellext/settings_path_win32.h"
#include "shellext/shell_command_win32.h"

namespace {

// Everything one invocation takes, given back on every path.
struct Invocation {
  ShellHashCommand* Hash = nullptr;
  RecordPool* Pool = nullptr;
  Selection Files{};
  ~Invocation() {
    FreeShellHashCommand(Hash);
    if (Pool) DestroyRecordPool(Pool);
    FreePathStore(&Files.Paths);
  }
};

}  // namespace

STDMETHODIMP ContextMenuHandler::InvokeCommand(CMINVOKECOMMANDINFO* info) {
  if (!info) return E_INVALIDARG;
  Invocation invocation;
  invocation.Hash = CreateShellHashCommand();
  if (!invocation.Hash) return E_FAIL;
  DropMedium medium;
  if (!medium.Fetch(data_)) return E_FAIL;
  const std::vector<std::string> items = ReadDropPaths(medium.Drop());
  medium.Release();
  if (items.empty()) return E_FAIL;
  invocation.Pool = CreateRecordPool(sizeof(SelectedFile), 64, 1024);
  if (!invocation.Pool) return E_FAIL;
  Selection& selection = invocation.Files;
  if (!CollectSelection(items, invocation.Pool, &selection)) return E_FAIL;

  ShellModuleState& module = ShellModule();
  const std::string settings = LocateSettingsFile(module.Instance);

  if (!IS_INTRESOURCE(info->lpVerb)) return S_OK;  // commands are not named by verbs
  ShellCommandContext context{info->hwnd, module.Instance, &selection, invocation.Hash,
                              settings.c_str()};
  switch (LOWORD(reinterpret_cast<UINT_PTR>(info->lpVerb))) {
    case 0:
      // Paths too long to list are reported by the command, even alone.
      if (selection.Head || selection.Refused) RunCreateListCommand(context);
      break;
    case 1:
      if (selection.Head && RunVerifyFilesCommand(context) == E_FAIL) return E_FAIL;
      break;
    default:
      break;
  }
  return S_OK;
}
