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
  ~Invocation() {
    FreeShellHashCommand(Hash);
    if (Pool) DestroyRecordPool(Pool);
  }
};

}  // namespace

STDMETHODIMP ContextMenuHandler::InvokeCommand(CMINVOKECOMMANDINFO* info) {
  if (!info) return E_INVALIDARG;
  Invocation invocation;
  invocation.Hash = CreateShellHashCommand();
  if (!invocation.Hash) return E_FAIL;
  DropMedium medium;
  if (!medium.Fetch(data_) || DragQueryFileA(medium.Drop(), 0xFFFFFFFF, nullptr, 0) == 0)
    return E_FAIL;
  invocation.Pool = CreateRecordPool(sizeof(SelectedFile), 64, 1024);
  if (!invocation.Pool) return E_FAIL;
  Selection selection{};
  if (!CollectSelection(medium.Drop(), invocation.Pool, &selection)) return E_FAIL;
  medium.Release();

  ShellModuleState& module = ShellModule();
  LocateSettingsFile(module.SettingsPath, sizeof module.SettingsPath);

  if (!IS_INTRESOURCE(info->lpVerb)) return S_OK;  // commands are not named by verbs
  ShellCommandContext context{info->hwnd, module.Instance, &selection, invocation.Hash,
                              module.SettingsPath};
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
