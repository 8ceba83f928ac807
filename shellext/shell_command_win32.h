// What a context-menu command is handed once the selection is collected, and
// the two commands. Both run to their end on the command's own thread
// (command_thread_win32.h), pumping its messages while its file hasher works.
#pragma once

#include <windows.h>

#include "shellext/selection.h"

struct ShellCommandContext {
  HWND Owner;                 // the invocation's window (may be null)
  HINSTANCE Instance;         // this module
  const Selection* Files;     // never empty when a command runs
  const char* SettingsPath;   // full path of "Corvana.ini", the command's own
  int ProposedListType = -1;  // creation: the type to propose, or -1 for DefaultExtension's
};

// Command 0: asks for a list name and type, hashes the selection and writes
// the list.
void RunCreateListCommand(const ShellCommandContext& context);

// Command 1: verifies each selected file against the lists beside it in a
// results window of its own, and returns when the user has closed it.
// E_FAIL when memory for the candidate lists runs out, else S_OK.
HRESULT RunVerifyFilesCommand(const ShellCommandContext& context);
