// The state of one list creation, on the heap for the length of the command:
// what the dialogs chose, the counters, the cancel flag and the working
// buffers.
#pragma once

#include <windows.h>

#include <cstdint>

#include "shellext/list_name.h"
#include "shellext/shell_command_win32.h"

// Dialog and control numbers of the creation's resources.
enum : int {
  kCreateDialogId = 136,
  kProgressDialogId = 137,
  kOpenErrorDialogId = 141,
  kListNameEdit = 1000,
  kListTypeCombo = 1003,
  kExcludeHiddenCheck = 1004,
  kCompatibleCheck = 1002,
  kStatusText = 101,
  kOverallBar = 1001,
  kOpenErrorText = 201,
};

// Answers of the open-error dialog.
enum : int { kAnswerYes = 6, kAnswerYesToAll = 1, kAnswerNo = 7 };

struct CreateListState {
  const ShellCommandContext* Context;
  // Chosen in the creation dialog.
  char ListPath[272];  // up to 259 typed characters plus an extension
  ListType Type;
  bool ExcludeHidden;
  bool CompatibleAtStart;
  bool UppercaseExtension;
  // The run.
  HANDLE ListFile;
  HWND Progress;
  volatile LONG Cancelled;
  bool SkipAll;
  uint32_t Skipped;
  uint32_t Started;
  // What the progress window should show, and when it last showed it: its
  // controls are brought up to date at most every kShowIntervalMs, since
  // under Wine each redraw costs far more than hashing a small file.
  uint32_t OverallPosition;
  DWORD LastShown;
  bool StatusChanged;
  char StatusText[600];
  WIN32_FILE_ATTRIBUTE_DATA Found;
  char Line[4096];
  char Message[1400];
};

// Dialog 136. IDOK when the user chose a list, else IDCANCEL.
INT_PTR RunCreateDialog(CreateListState* state);
// Dialog 137, shown; null when it cannot be created.
HWND CreateProgressDialog(CreateListState* state);
// Dialog 141 with `message`: kAnswerYes, kAnswerYesToAll or kAnswerNo.
int AskOpenError(CreateListState* state, const char* message);
