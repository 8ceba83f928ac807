// Each command runs on a thread of its own: the selection's walk, the
// dialogs and windows, the hashing waits and the message loop that keeps
// them live. Explorer's thread only reads the drop and starts the thread, so
// a long walk never freezes Explorer and two commands run side by side.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Starts command `offset` (0 create a list, 1 verify individual files) on
// `items` (the selection's full paths, UTF-8) with `owner` as its windows'
// owner; `listType` (a ListType, or -1 for the settings' choice) is the type
// the creation dialog proposes. The thread holds a reference on the module and counts in
// ShellModule().RunningCommands until its last window is gone. False when
// the thread could not be started (nothing is then held).
bool StartCommandThread(UINT offset, HWND owner, std::vector<std::string> items, int listType = -1);
