// "&Create .SFV File": asks for the list's name and type, hashes the
// selection one file after the other through the command's pipeline while a
// progress window shows where it is, and writes the list.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "hashing/entry_status.h"
#include "shellext/create_list_state_win32.h"
#include "shellext/list_text.h"
#include "shellext/module_state_win32.h"
#include "shellext/shell_command_win32.h"

namespace {

constexpr char kSection[] = "Corvana";
constexpr DWORD kShowIntervalMs = 100;
// Below one block of the pipeline the per-file bar would only jump from 0
// to 100; such files are hashed without it.
constexpr uint64_t kPerFileBarMinimum = kReadBlockBytes;

struct StateFree {
  void operator()(CreateListState* p) const { std::free(p); }
};

bool Cancelled(const CreateListState* state) {
  return state->Cancelled != 0;
}

void Cancel(CreateListState* state) {
  InterlockedExchange(&state->Cancelled, 1);
}

ListTime ToListTime(const SYSTEMTIME& t) {
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

// Appends CR LF to a formatted line of state->Line and writes it. A line that
// could not be formatted or written cancels the command: a list with a line
// missing would be wrong.
void WriteLine(CreateListState* state, int length) {
  if (length < 0 || static_cast<size_t>(length) + 2 > sizeof state->Line) {
    Cancel(state);
    return;
  }
  state->Line[length] = '\r';
  state->Line[length + 1] = '\n';
  DWORD written = 0;
  DWORD size = static_cast<DWORD>(length + 2);
  if (!WriteFile(state->ListFile, state->Line, size, &written, nullptr) || written != size)
    Cancel(state);
}

// Brings the progress window up to date: now with `force`, else when the
// last update is kShowIntervalMs old.
void Show(CreateListState* state, bool force) {
  DWORD now = GetTickCount();
  if (!force && now - state->LastShown < kShowIntervalMs) return;
  state->LastShown = now;
  if (state->StatusChanged) SetDlgItemTextA(state->Progress, kStatusText, state->StatusText);
  state->StatusChanged = false;
  SendDlgItemMessageA(state->Progress, kOverallBar, PBM_SETPOS, state->OverallPosition, 0);
}

void SetStatus(CreateListState* state, const char* format, const char* name) {
  std::snprintf(state->StatusText, sizeof state->StatusText, format, name);
  state->StatusChanged = true;
  Show(state, false);
}

void SetOverall(CreateListState* state, uint32_t position) {
  state->OverallPosition = position;
  Show(state, false);
}

// The answer to a file that cannot be listed: asked unless "Yes to All" was
// chosen before. Counts the file as skipped unless the answer is "No", which
// cancels the command.
void FileProblem(CreateListState* state, const char* format, const char* path) {
  if (!state->SkipAll) {
    std::snprintf(state->Message, sizeof state->Message, format, path);
    int answer = AskOpenError(state, state->Message);
    if (answer == kAnswerNo) {
      Cancel(state);
      return;
    }
    if (answer == kAnswerYesToAll) state->SkipAll = true;
  }
  ++state->Skipped;
}

// Pumps the thread's messages until the job is done or the command is
// cancelled. True when the job is done.
bool WaitForJob(CreateListState* state, HANDLE done) {
  while (!Cancelled(state)) {
    DWORD woken = MsgWaitForMultipleObjects(1, &done, FALSE, kShowIntervalMs, QS_ALLINPUT);
    if (woken == WAIT_OBJECT_0) return true;
    // A long file: show what is being hashed, whether the wait timed out or
    // the pipeline's progress messages keep waking it.
    Show(state, woken == WAIT_TIMEOUT);
    if (woken == WAIT_TIMEOUT) continue;
    if (woken != WAIT_OBJECT_0 + 1) {
      Cancel(state);
      break;
    }
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {  // leave it for the thread's own loop
        PostQuitMessage(static_cast<int>(message.wParam));
        Cancel(state);
        break;
      }
      if (!state->Progress || !IsDialogMessageA(state->Progress, &message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
    }
  }
  return false;
}

void WriteHeader(CreateListState* state) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  bool compatible = state->Type == ListType::Sfv && ShellModule().CompatibilityMode;
  WriteLine(state,
            FormatGeneratorLine(state->Line, sizeof state->Line, compatible, ToListTime(now)));
  if (state->Type == ListType::Sfv && ShellModule().CompatibilityMode != state->CompatibleAtStart)
    WritePrivateProfileStringA(kSection, "CompatibilityMode",
                               ShellModule().CompatibilityMode ? "1" : "0",
                               state->Context->SettingsPath);
  WriteLine(state, std::snprintf(state->Line, sizeof state->Line, "%s", kWebAddressLine));
  WriteLine(state, std::snprintf(state->Line, sizeof state->Line, ";"));
}

// The files whose paths are too long to be listed, each one a problem to
// answer as a file that cannot be read.
void ReportRefused(CreateListState* state) {
  const Selection& files = *state->Context->Files;
  for (const SelectedFile* f = files.Refused; f && !Cancelled(state); f = f->Next)
    FileProblem(state, "The path is too long to be listed (over 511 characters): %s", f->Path);
}

void HashOne(CreateListState* state, SelectedFile* file) {
  const Selection& files = *state->Context->Files;
  HashJob& job = state->Context->Hash->Job;
  // The file's size and last-write time as the file system has them now.
  // (A directory search for the name would give the same; under Wine it
  // reads the whole folder for each file.)
  WIN32_FILE_ATTRIBUTE_DATA& found = state->Found;
  if (!GetFileAttributesExA(file->Path, GetFileExInfoStandard, &found) ||
      (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    FileProblem(state, "Could not locate fileinfo for %s", file->Path);
    return;
  }
  FILETIME local;
  SYSTEMTIME written{};
  FileTimeToLocalFileTime(&found.ftLastWriteTime, &local);
  FileTimeToSystemTime(&local, &written);
  uint64_t size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  WriteLine(state, FormatFileCommentLine(state->Line, sizeof state->Line, size, ToListTime(written),
                                         RelativeName(files, *file)));
  if (Cancelled(state)) return;

  std::strcpy(job.FilePath, file->Path);
  job.ExpectedSizeLow = found.nFileSizeLow;
  job.ExpectedSizeHigh = found.nFileSizeHigh;
  job.UseMd5 = state->Type == ListType::Md5 ? 1 : 0;
  job.ProgressWindow = size >= kPerFileBarMinimum ? state->Progress : nullptr;
  ReleaseSemaphore(job.StartSemaphore, 1, nullptr);
  SetStatus(state, "Processing %s...", RelativeName(files, *file));
  if (!WaitForJob(state, job.DoneEvent)) return;  // cancelled: the outcome is not wanted
  ++state->Started;
  ResetEvent(job.DoneEvent);
  switch (job.Status) {
    case Hashed:
      file->Hashed = 1;
      file->Crc = job.ResultCrc;
      std::memcpy(file->Md5, job.ResultMd5, sizeof file->Md5);
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
}

void HashingPass(CreateListState* state) {
  const Selection& files = *state->Context->Files;
  ReportRefused(state);
  uint32_t processed = 0;
  for (SelectedFile* f = files.Head; f && !Cancelled(state); f = f->Next) {
    // Hidden and system files found in selected folders stay out on request.
    if (!(state->ExcludeHidden && f->Hidden)) HashOne(state, f);
    SetOverall(state, ++processed);
  }
}

void WritingPass(CreateListState* state) {
  const Selection& files = *state->Context->Files;
  std::snprintf(state->StatusText, sizeof state->StatusText, "Writing CRC values...");
  state->StatusChanged = true;
  state->OverallPosition = 0;
  Show(state, true);
  uint32_t position = 0;
  for (const SelectedFile* f = files.Head; f && !Cancelled(state); f = f->Next) {
    if (f->Hashed) {
      const char* name = RelativeName(files, *f);
      WriteLine(state, state->Type == ListType::Md5
                           ? FormatMd5Line(state->Line, sizeof state->Line, name, f->Md5)
                           : FormatSfvLine(state->Line, sizeof state->Line, name, f->Crc));
    }
    SetOverall(state, ++position);
  }
  Show(state, true);
}

void Prepare(CreateListState* state) {
  const ShellCommandContext& context = *state->Context;
  const char* ini = context.SettingsPath;
  char value[512];
  GetPrivateProfileStringA(kSection, "DefaultExtension", "", value, sizeof value, ini);
  state->Type = CompareNoCase(value, ".md5") == 0 ? ListType::Md5 : ListType::Sfv;
  GetPrivateProfileStringA(kSection, "DefaultFilename", "", value, sizeof value, ini);
  state->UppercaseExtension = ShellModule().UppercaseExtension;
  const char* first = context.Files->Head ? context.Files->Head->Path : "";
  size_t base = context.Files->Head ? context.Files->BaseLength : 0;
  if (!ProposeListPath(state->ListPath, 260, first, base, value, state->Type,
                       state->UppercaseExtension))
    state->ListPath[0] = 0;  // too long to propose: the user types a name
  bool compatible = GetPrivateProfileIntA(kSection, "CompatibilityMode", 0, ini) != 0;
  ShellModule().CompatibilityMode = compatible;
  state->CompatibleAtStart = compatible;
}

void Finish(CreateListState* state) {
  const ShellCommandContext& context = *state->Context;
  if (Cancelled(state)) {
    DeleteFileA(state->ListPath);
    MessageBoxA(context.Owner, "SFV creation aborted", "Results", MB_OK);
    return;
  }
  if (GetPrivateProfileIntA(kSection, "ShowDoneCreate", 1, context.SettingsPath) == 0) return;
  const char* slash = std::strrchr(state->ListPath, '\\');
  const char* name = slash ? slash + 1 : state->ListPath;
  if (state->Skipped)
    std::snprintf(state->Message, sizeof state->Message,
                  "%s created successfully.  (%u file(s) skipped)", name, state->Skipped);
  else
    std::snprintf(state->Message, sizeof state->Message, "%s created successfully", name);
  MessageBoxA(context.Owner, state->Message, "Results", MB_OK);
}

}  // namespace

void RunCreateListCommand(const ShellCommandContext& context) {
  std::unique_ptr<CreateListState, StateFree> owned(
      static_cast<CreateListState*>(std::calloc(1, sizeof(CreateListState))));
  if (!owned) return;
  CreateListState* state = owned.get();
  state->Context = &context;
  // The progress window's bars; Explorer has them already, other hosts may not.
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  Prepare(state);
  if (RunCreateDialog(state) != IDOK) return;
  WritePrivateProfileStringA(kSection, "DefaultExtension",
                             state->Type == ListType::Md5 ? ".md5" : ".sfv", context.SettingsPath);
  state->ListFile = CreateFileA(state->ListPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (state->ListFile == INVALID_HANDLE_VALUE) {
    MessageBoxA(context.Owner, "Could not create database file", "Error", MB_OK | MB_ICONWARNING);
    return;
  }
  if (!StartShellHashing(context.Hash)) {
    CloseHandle(state->ListFile);
    DeleteFileA(state->ListPath);
    MessageBoxA(context.Owner, "SFV creation aborted", "Results", MB_OK);
    return;
  }
  state->Progress = CreateProgressDialog(state);
  context.Hash->Job.ProgressWindow = state->Progress;
  uint32_t total = context.Files->FileCount;
  SendDlgItemMessageA(state->Progress, kOverallBar, PBM_SETRANGE32, 0, total);
  Show(state, true);

  WriteHeader(state);
  HashingPass(state);
  WritingPass(state);

  CloseHandle(state->ListFile);
  StopShellHashing(context.Hash);
  context.Hash->Job.ProgressWindow = nullptr;
  if (state->Progress) DestroyWindow(state->Progress);
  state->Progress = nullptr;
  Finish(state);
}
