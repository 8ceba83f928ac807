// The handler's InvokeCommand: checks the command, reads the selection from
// the drop on Explorer's thread and hands it, as UTF-8 paths, to the
// command's own thread. It returns once that thread has started.
#include <windows.h>

#include <shellapi.h>

#include "shellext/collect_selection_win32.h"
#include "shellext/com_objects_win32.h"
#include "shellext/command_thread_win32.h"

namespace {

// The command offset the invocation names, or false for a verb string
// (ANSI or, in the extended record, UTF-16): the commands have no verbs, and
// failing a verb lets the handler that has it be asked.
bool CommandOffset(const CMINVOKECOMMANDINFO& info, UINT* offset) {
  if (!IS_INTRESOURCE(info.lpVerb)) return false;
  if (info.cbSize >= sizeof(CMINVOKECOMMANDINFOEX) && (info.fMask & CMIC_MASK_UNICODE)) {
    const auto& extended = reinterpret_cast<const CMINVOKECOMMANDINFOEX&>(info);
    if (!IS_INTRESOURCE(extended.lpVerbW)) return false;
  }
  *offset = LOWORD(reinterpret_cast<UINT_PTR>(info.lpVerb));
  return true;
}

}  // namespace

STDMETHODIMP ContextMenuHandler::InvokeCommand(CMINVOKECOMMANDINFO* info) {
  if (!info) return E_INVALIDARG;
  UINT offset = 0;
  if (!CommandOffset(*info, &offset) || offset > 1) return E_FAIL;  // before any walk
  DropMedium medium;
  if (!medium.Fetch(data_)) return E_FAIL;
  std::vector<std::string> items = ReadDropPaths(medium.Drop());
  medium.Release();
  if (items.empty()) return E_FAIL;
  return StartCommandThread(offset, info->hwnd, std::move(items)) ? S_OK : E_FAIL;
}
