// "&Create .SFV File": asks for the list's name and type, hashes the
// selection with the file hasher (several files at once where the storage
// allows it, the results taken in the selection's order) while a progress
// window shows where it is, and writes the list.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "hashing/entry_status.h"
#include "hashing/files_at_once_win32.h"
#include "platform/ansi_codepage.h"
#include "platform/files_win32.h"
#include "platform/profile_win32.h"
#include "platform/text_win32.h"
#include "platform/utf8.h"
#include "platform/window_text_win32.h"
#include "shellext/collect_selection_win32.h"
#include "shellext/create_list_state_win32.h"
#include "shellext/list_file_win32.h"
#include "shellext/list_text.h"
#include "shellext/module_state_win32.h"
#include "shellext/settings_path_win32.h"
#include "shellext/shell_command_win32.h"

namespace {

constexpr char kSection[] = "Corvana";
constexpr DWORD kShowIntervalMs = 100;
constexpr int kFileBar = 1002;

// A line holds its name, the longest a listed path may be in UTF-8, and the
// rest of the line around it.
constexpr size_t kLineCapacity = 3 * size_t{kLongPathUnits} + 256;

// `format` with its one "%s" replaced by `text`, however long.
std::string FillIn(const char* format, const char* text) {
  std::string out = format;
  const size_t at = out.find("%s");
  if (at != std::string::npos) out.replace(at, 2, text);
  return out;
}

bool Cancelled(const CreateListState* state) {
  return state->Cancelled != 0;
}

void Cancel(CreateListState* state) {
  InterlockedExchange(&state->Cancelled, 1);
}

// Writes a formatted line of state->Line with the type's line end. A line
// that could not be formatted or written cancels the command: a list with a
// line missing would be wrong.
void WriteLine(CreateListState* state, int length) {
  if (!WriteListLine(state->ListFile, state->Type, state->Line.data(), state->Line.size(), length))
    Cancel(state);
}

char* Line(CreateListState* state) {
  return state->Line.data();
}

size_t LineCapacity(const CreateListState* state) {
  return state->Line.size();
}

// The name a file is written under in the list: its relative name, which
// for an ASCII name or a UTF-8 list is the name itself; for an ANSI list
// its exact form in the ANSI code page, or null when that has none.
const char* ListName(CreateListState* state, const SelectedFile& file) {
  const Selection& files = *state->Context->Files;
  const char* name = RelativeName(files, file);
  if (state->Encoding == ListEncoding::Utf8) return name;
  const size_t length = file.PathLength - files.BaseLength;
  if (IsAsciiText(name, length)) return name;
  state->Name.clear();
  if (!AppendUtf8AsAnsi(name, length, &state->Name, true)) return nullptr;
  // A digest list's lines put "/" between folders, a byte-wise change: in a
  // double-byte code page the second byte of a character such as a Japanese
  // "so" is that of "\", so such a name has no line that would name it.
  if (!ListTypeHasComments(state->Type)) {
    const size_t folders = std::count(name, name + length, '\\');
    if (static_cast<size_t>(std::count(state->Name.begin(), state->Name.end(), '\\')) != folders)
      return nullptr;
  }
  return state->Name.c_str();
}

// The file the progress window names: the oldest one not yet taken from
// the hasher, when it is being hashed.
const SelectedFile* OldestHashed(const CreateListState* state) {
  if (!state->Hasher || state->Taken == state->Submitted) return nullptr;
  const uint32_t slot = state->Taken % kFileHasherWindow;
  return state->SlotKind[slot] == PendingFile::Hash ? state->SlotFile[slot] : nullptr;
}

// Brings the progress window up to date: now with `force`, else when the
// last update is kShowIntervalMs old. This is the only place that touches
// the window while files are hashed, so a file costs no window work.
void Show(CreateListState* state, bool force) {
  DWORD now = GetTickCount();
  if (!force && now - state->LastShown < kShowIntervalMs) return;
  state->LastShown = now;
  if (const SelectedFile* file = OldestHashed(state)) {
    if (file != state->StatusFile) {
      state->StatusFile = file;
      state->StatusText = FillIn("Processing %s...", RelativeName(*state->Context->Files, *file));
      state->StatusChanged = true;
    }
    const int32_t percent = OldestFileProgress(state->Hasher);
    if (percent >= 0) SendDlgItemMessageW(state->Progress, kFileBar, PBM_SETPOS, percent, 0);
  }
  if (state->StatusChanged)
    SetDlgItemTextUtf8(state->Progress, kStatusText, state->StatusText.c_str());
  state->StatusChanged = false;
  SendDlgItemMessageW(state->Progress, kOverallBar, PBM_SETPOS, state->OverallPosition, 0);
}

// The answer to a file that cannot be listed: asked unless "Yes to All" was
// chosen before. Counts the file as skipped unless the answer is "No", which
// cancels the command.
void FileProblem(CreateListState* state, const char* format, const char* path) {
  if (!state->SkipAll) {
    int answer = AskOpenError(state, FillIn(format, path).c_str());
    if (answer == kAnswerNo) {
      Cancel(state);
      return;
    }
    if (answer == kAnswerYesToAll) state->SkipAll = true;
  }
  ++state->Skipped;
}

// Dispatches the thread's messages that are waiting. False when the thread
// was told to quit (the quit message stays for the thread's own loop).
bool DispatchWaiting(CreateListState* state) {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    if (!state->Progress || !IsDialogMessageW(state->Progress, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return true;
}

// Waits up to kShowIntervalMs for the hasher's result event while the
// thread's messages are dispatched, and redraws the progress window when
// its time has come.
void WaitForResults(CreateListState* state) {
  HANDLE event = FileHasherResultEvent(state->Hasher);
  DWORD woken = MsgWaitForMultipleObjects(1, &event, FALSE, kShowIntervalMs, QS_ALLINPUT);
  if (woken == WAIT_OBJECT_0 + 1) {
    if (!DispatchWaiting(state)) Cancel(state);
  } else if (woken != WAIT_OBJECT_0 && woken != WAIT_TIMEOUT) {
    Cancel(state);
  }
  Show(state, woken == WAIT_TIMEOUT);
}

void WriteHeader(CreateListState* state) {
  if (!ListTypeHasComments(state->Type)) return;  // the digest tools write none
  bool compatible = state->Type == ListType::Sfv && ShellModule().CompatibilityMode;
  if (!WriteListHeader(state->ListFile, state->Type, compatible, Line(state), LineCapacity(state)))
    Cancel(state);
  if (state->Type == ListType::Sfv && ShellModule().CompatibilityMode != state->CompatibleAtStart)
    WriteProfileStringUtf8(kSection, "CompatibilityMode",
                           ShellModule().CompatibilityMode ? "1" : "0",
                           state->Context->SettingsPath);
}

// The files whose paths are too long to be listed, each one a problem to
// answer as a file that cannot be read.
void ReportRefused(CreateListState* state) {
  const Selection& files = *state->Context->Files;
  char format[96];
  std::snprintf(format, sizeof format,
                "The path is too long to be listed (over %u characters): %%s", ListedPathLimit());
  for (const SelectedFile* f = files.Refused; f && !Cancelled(state); f = f->Next)
    FileProblem(state, format, f->Path);
}

// Hands a file to the hasher, or keeps its place in the order when it is
// not hashed. The file's comment line is written now: comment lines come
// before every checksum line, in the selection's order.
void Submit(CreateListState* state, SelectedFile* file);

// The outcome of the oldest file: its problem asked, its checksum kept (or,
// in a digest list, its line written).
void Deliver(CreateListState* state, const FileResult& result) {
  const uint32_t slot = result.Sequence % kFileHasherWindow;
  SelectedFile* file = state->SlotFile[slot];
  const PendingFile kind = state->SlotKind[slot];
  ++state->Taken;
  switch (kind) {
    case PendingFile::Excluded:
      break;
    case PendingFile::NoFileInfo:
      FileProblem(state, "Could not locate fileinfo for %s", file->Path);
      break;
    case PendingFile::NoAnsiName:
      FileProblem(state, "The name cannot be written in the ANSI code page: %s", file->Path);
      break;
    case PendingFile::Hash:
      ++state->Started;
      switch (result.Status) {
        case Hashed:
          file->Hashed = 1;
          if (ListTypeHasComments(state->Type)) {
            // Written in the second pass, after every comment line.
            file->Crc = result.Digest.Crc;
            if (state->Type == ListType::Md5)
              std::memcpy(file->Md5, result.Digest.Bytes, sizeof file->Md5);
          } else if (const char* name = ListName(state, *file)) {
            WriteLine(state,
                      FormatDigestLine(Line(state), LineCapacity(state), name, result.Digest.Bytes,
                                       static_cast<int>(DigestBytes(result.Digest.Algorithm)),
                                       ListTypeTag(state->Type)));
          }
          break;
        case FileMissing:
          FileProblem(state, "Could not find %s", file->Path);
          break;
        case ReadError:
          FileProblem(state, "Could not read %s", file->Path);
          break;
        default:
          if (state->SkipAll) ++state->Skipped;
          break;
      }
      break;
  }
  state->OverallPosition = ++state->Processed;
}

// Takes the oldest file's result: at once, or with `wait` once it is
// hashed. False when there is none to take (now, or at all), and once the
// command is cancelled, which then ends every file in the hasher.
bool TakeOne(CreateListState* state, bool wait) {
  for (;;) {
    if (Cancelled(state)) {
      CancelFileHasher(state->Hasher);
      return false;
    }
    FileResult result;
    switch (TakeFileResult(state->Hasher, &result)) {
      case TakeOutcome::Ready:
        Deliver(state, result);
        return true;
      case TakeOutcome::Empty:
        return false;
      case TakeOutcome::Cancelled:
        Cancel(state);
        return false;
      case TakeOutcome::Pending:
        if (!wait) return false;
        WaitForResults(state);
        break;
    }
  }
}

void Submit(CreateListState* state, SelectedFile* file) {
  FileRequest request;
  request.Tag = reinterpret_cast<uintptr_t>(file);
  request.Algorithm = ListTypeAlgorithm(state->Type);
  request.Kind = FileRequestKind::PassThrough;
  PendingFile kind = PendingFile::Hash;
  // The file's size and last-write time as the file system has them now
  // (no directory search: under Wine that reads the whole folder per file).
  WIN32_FILE_ATTRIBUTE_DATA& found = state->Found;
  if (state->ExcludeHidden && file->Hidden) {
    // Hidden and system files found in selected folders stay out on request.
    kind = PendingFile::Excluded;
  } else if (!GetFileAttributesExUtf8(file->Path, &found) ||
             (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    kind = PendingFile::NoFileInfo;
  } else if (const char* name = ListName(state, *file)) {
    const uint64_t size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    if (ListTypeHasComments(state->Type))
      WriteLine(state, FormatFileCommentFromData(Line(state), LineCapacity(state), found, name));
    request.Kind = FileRequestKind::Hash;
    request.Path = file->Path;
    request.ExpectedSize = size;
  } else {
    // A name the list's code page cannot hold is left out, never written as
    // a look-alike that names another file.
    kind = PendingFile::NoAnsiName;
  }
  while (!Cancelled(state)) {
    uint32_t sequence = 0;
    const SubmitOutcome outcome = SubmitFile(state->Hasher, request, &sequence);
    if (outcome == SubmitOutcome::Accepted) {
      state->SlotFile[sequence % kFileHasherWindow] = file;
      state->SlotKind[sequence % kFileHasherWindow] = kind;
      ++state->Submitted;
      return;
    }
    if (outcome == SubmitOutcome::Refused) {
      Cancel(state);
      return;
    }
    TakeOne(state, true);  // the window is full: the oldest file first
  }
}

void HashingPass(CreateListState* state) {
  const Selection& files = *state->Context->Files;
  ReportRefused(state);
  for (SelectedFile* f = files.Head; f && !Cancelled(state); f = f->Next) {
    Submit(state, f);
    while (TakeOne(state, false)) {
    }
    // The window is drawn and the messages dispatched on the timer only.
    if (GetTickCount() - state->LastShown >= kShowIntervalMs) {
      if (!DispatchWaiting(state)) Cancel(state);
      Show(state, false);
    }
  }
  while (TakeOne(state, true)) {
  }
  if (Cancelled(state)) CancelFileHasher(state->Hasher);
}

// The checksum lines of SFV and MD5 lists, after the comment lines.
void WritingPass(CreateListState* state) {
  if (!ListTypeHasComments(state->Type)) return;  // written as the files came
  const Selection& files = *state->Context->Files;
  state->StatusText = "Writing CRC values...";
  state->StatusChanged = true;
  state->StatusFile = nullptr;
  state->OverallPosition = 0;
  Show(state, true);
  uint32_t position = 0;
  for (const SelectedFile* f = files.Head; f && !Cancelled(state); f = f->Next) {
    const char* name = f->Hashed ? ListName(state, *f) : nullptr;
    if (name) {
      WriteLine(state, state->Type == ListType::Md5
                           ? FormatMd5Line(Line(state), LineCapacity(state), name, f->Md5)
                           : FormatSfvLine(Line(state), LineCapacity(state), name, f->Crc));
    }
    state->OverallPosition = ++position;
    Show(state, false);
  }
  Show(state, true);
}

void Prepare(CreateListState* state) {
  const ShellCommandContext& context = *state->Context;
  const char* ini = context.SettingsPath;
  std::string value = ReadProfileStringUtf8(kSection, "DefaultExtension", "", ini);
  if (!ListTypeFromExtension(value.c_str(), &state->Type)) state->Type = ListType::Sfv;
  if (context.ProposedListType >= 0) state->Type = static_cast<ListType>(context.ProposedListType);
  value = ReadProfileStringUtf8(kSection, "ListEncoding", "", ini);
  state->Encoding =
      CompareNoCase(value.c_str(), "ANSI") == 0 ? ListEncoding::Ansi : ListEncoding::Utf8;
  value = ReadProfileStringUtf8(kSection, "DefaultFilename", "", ini);
  state->UppercaseExtension = ShellModule().UppercaseExtension;
  const char* first = context.Files->Head ? context.Files->Head->Path : "";
  size_t base = context.Files->Head ? context.Files->BaseLength : 0;
  std::vector<char> proposal(std::strlen(first) + value.size() + 16);
  if (ProposeListPath(proposal.data(), proposal.size(), first, base, value.c_str(), state->Type,
                      state->UppercaseExtension))
    state->ListPath = proposal.data();
  else
    state->ListPath.clear();  // nothing to propose: the user types a name
  bool compatible = ReadProfileIntUtf8(kSection, "CompatibilityMode", 0, ini) != 0;
  ShellModule().CompatibilityMode = compatible;
  state->CompatibleAtStart = compatible;
}

// Creates the file the list is written into. An existing file of the chosen
// name is the user's (often an older list of the same files): it is held
// open without sharing, so that hashing it fails as it would for a list
// being written, and replaced only when the new list is complete. A
// cancelled or failed creation leaves it as it was.
bool CreateListFile(CreateListState* state) {
  state->OldList = CreateFileUtf8(state->ListPath.c_str(), GENERIC_READ, 0, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL);
  if (state->OldList == INVALID_HANDLE_VALUE) {
    if (GetLastError() != ERROR_FILE_NOT_FOUND) return false;  // locked, or a folder
    state->WritePath = state->ListPath;
    state->ListFile = CreateFileUtf8(state->WritePath.c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS,
                                     FILE_FLAG_SEQUENTIAL_SCAN);
    return state->ListFile != INVALID_HANDLE_VALUE;
  }
  // A new file beside the old one, taking its place once complete.
  state->ListFile = CreateFileBeside(state->ListPath, &state->WritePath);
  return state->ListFile != INVALID_HANDLE_VALUE;
}

// Closes the list and either drops it (cancelled) or puts it in place of an
// existing file of its name. False when the finished list could not take
// that place (the old file then stays).
bool CloseListFile(CreateListState* state, bool keep) {
  CloseHandle(state->ListFile);
  state->ListFile = INVALID_HANDLE_VALUE;
  bool replacing = state->OldList != INVALID_HANDLE_VALUE;
  if (replacing) CloseHandle(state->OldList);
  state->OldList = INVALID_HANDLE_VALUE;
  if (keep && (!replacing || MoveFileUtf8(state->WritePath.c_str(), state->ListPath.c_str(),
                                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)))
    return true;
  DeleteFileUtf8(state->WritePath.c_str());
  return !keep;
}

void Finish(CreateListState* state) {
  const ShellCommandContext& context = *state->Context;
  if (Cancelled(state)) {
    CloseListFile(state, false);
    MessageBoxUtf8(context.Owner, "SFV creation aborted", "Results", MB_OK);
    return;
  }
  if (!CloseListFile(state, true)) {
    MessageBoxUtf8(context.Owner, "Could not create database file", "Error",
                   MB_OK | MB_ICONWARNING);
    return;
  }
  if (ReadProfileIntUtf8(kSection, "ShowDoneCreate", 1, context.SettingsPath) == 0) return;
  const size_t slash = state->ListPath.rfind('\\');
  std::string message =
      slash == std::string::npos ? state->ListPath : state->ListPath.substr(slash + 1);
  message += " created successfully";
  if (state->Skipped) {
    char skipped[48];
    std::snprintf(skipped, sizeof skipped, ".  (%u file(s) skipped)", state->Skipped);
    message += skipped;
  }
  MessageBoxUtf8(context.Owner, message.c_str(), "Results", MB_OK);
}

}  // namespace

void RunCreateListCommand(const ShellCommandContext& context) {
  std::unique_ptr<CreateListState> owned(new (std::nothrow) CreateListState);
  if (!owned) return;
  CreateListState* state = owned.get();
  state->Context = &context;
  state->Line.resize(kLineCapacity);
  // The progress window's bars; Explorer has them already, other hosts may not.
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  Prepare(state);
  if (RunCreateDialog(state) != IDOK) return;
  WriteProfileStringUtf8(kSection, "DefaultExtension", ListExtension(state->Type, false),
                         context.SettingsPath);
  if (!CreateListFile(state)) {
    MessageBoxUtf8(context.Owner, "Could not create database file", "Error",
                   MB_OK | MB_ICONWARNING);
    return;
  }
  FileHasherOptions options = HasherOptionsFor(context.Files->Head ? context.Files->Head->Path : "",
                                               ReadThreadsSetting(context.SettingsPath));
  options.ShellVariant = true;
  state->Hasher = CreateFileHasher(options);
  if (!state->Hasher) {
    CloseListFile(state, false);
    MessageBoxUtf8(context.Owner, "SFV creation aborted", "Results", MB_OK);
    return;
  }
  state->Progress = CreateProgressDialog(state);
  uint32_t total = context.Files->FileCount;
  SendDlgItemMessageW(state->Progress, kOverallBar, PBM_SETRANGE32, 0, total);
  Show(state, true);

  WriteHeader(state);
  HashingPass(state);
  WritingPass(state);

  DestroyFileHasher(state->Hasher);
  state->Hasher = nullptr;
  if (state->Progress) DestroyWindow(state->Progress);
  state->Progress = nullptr;
  Finish(state);
}
