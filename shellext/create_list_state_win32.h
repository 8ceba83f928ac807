// What a file handed to the hasher is: hashed, or only keeping its place in
// the order until its problem is asked (or, left out, nothing at all).
enum class PendingFile : uint8_t { Hash, Excluded, NoFileInfo, NoAnsiName };

// The state of one list creation, on the heap for the length of the command:
// what the dialogs chose, the counters, the cancel flag and the working
// buffers.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "hashing/file_hasher_win32.h"
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

// How the names of a new list are written.
enum class ListEncoding {
  Utf8,  // as they are: ASCII names byte for byte as ever, others in UTF-8 without a mark
  Ansi,  // "ListEncoding=ANSI": the ANSI code page; a name it cannot hold is refused
};

struct CreateListState {
  const ShellCommandContext* Context = nullptr;
  // Chosen in the creation dialog.
  std::string ListPath;  // UTF-8
  ListType Type = ListType::Sfv;
  bool ExcludeHidden = false;
  bool CompatibleAtStart = false;
  bool UppercaseExtension = false;
  ListEncoding Encoding = ListEncoding::Utf8;
  // The run. The list is written into WritePath: the chosen path itself, or,
  // when a file of that name exists, a temporary file beside it that takes
  // its place only once the list is complete. Meanwhile OldList holds the
  // existing file open without sharing.
  std::string WritePath;
  HANDLE ListFile = INVALID_HANDLE_VALUE;
  HANDLE OldList = INVALID_HANDLE_VALUE;
  HWND Progress = nullptr;
  volatile LONG Cancelled = 0;
  bool SkipAll = false;
  uint32_t Skipped = 0;
  uint32_t Started = 0;
  // What the progress window should show, and when it last showed it: its
  // controls are brought up to date at most every kShowIntervalMs, since
  // under Wine each redraw costs far more than hashing a small file.
  uint32_t OverallPosition = 0;
  DWORD LastShown = 0;
  bool StatusChanged = false;
  std::string StatusText;
  WIN32_FILE_ATTRIBUTE_DATA Found{};
  // The files in flight, by sequence number modulo the hasher's window:
  // Submitted files handed over, Taken of them delivered (the oldest in
  // flight is number Taken), Processed counted in the overall bar.
  FileHasher* Hasher = nullptr;
  SelectedFile* SlotFile[kFileHasherWindow] = {};
  PendingFile SlotKind[kFileHasherWindow] = {};
  uint32_t Submitted = 0;
  uint32_t Taken = 0;
  uint32_t Processed = 0;
  const SelectedFile* StatusFile = nullptr;  // the file the status text names
  std::vector<char> Line;  // one list line: room for a name as long as a path may be
  std::string Name;        // a name in the list's encoding
};

// Dialog 136. IDOK when the user chose a list, else IDCANCEL.
INT_PTR RunCreateDialog(CreateListState* state);
// Dialog 137, shown; null when it cannot be created.
HWND CreateProgressDialog(CreateListState* state);
// Dialog 141 with `message`: kAnswerYes, kAnswerYesToAll or kAnswerNo.
int AskOpenError(CreateListState* state, const char* message);
