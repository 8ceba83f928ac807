// "&Verify Individual Files": every selected file is looked up in the lists
// of the selection's folder, hashed through the command's own pipeline and
// reported in a results window of its own, with a summary, until the user
// closes the window. The previously-verified database is neither read nor
// written.
#include <cstring>
#include <new>

#include "platform/profile_win32.h"
#include "platform/window_text_win32.h"
#include "shellext/candidate_lists_win32.h"
#include "shellext/module_state_win32.h"
#include "shellext/shell_command_win32.h"
#include "shellext/verify_lines.h"
#include "shellext/verify_settings.h"
#include "shellext/verify_window_win32.h"

namespace {

constexpr DWORD kFinishedPauseMs = 10;
// Titles that follow each other faster than this are not all shown: under
// Wine each change of a window's title costs milliseconds, more than a small
// file's whole hashing, and nobody could read them anyway. The title a file
// is waiting behind is shown once its hashing has lasted this long.
constexpr DWORD kTitleIntervalMs = 100;

// Everything one verification holds, in one allocation, given back on every
// path. The window's user data points at Window and its owner record at the
// flags and counters beside it.
struct VerifyRun {
  ResultsWindowState Window;
  RunCounters Band;           // what the status band paints
  VerifyCounters Counters{};  // what the rows and the summary count
  bool Cancel = false;        // set when the window goes
  bool UpdateDb = true;       // shown and toggled in the system menu only
  CandidateLists Lists{};
  bool ListsFound = false;
  ListMatch Match{};
  VerifyRow Row{};
  char Title[kVerifyRowText] = {};
  bool TitlePending = false;  // Title is not shown yet
  DWORD TitleShownAt = 0;     // tick count of the last change
  DWORD BandShownAt = 0;      // tick count of the last band redraw
};

void AddRow(VerifyRun& run, const VerifyRow& row) {
  AddResultRow(run.Window, row.Text, static_cast<RowKind>(static_cast<int>(row.Kind)));
}

void AddCouldNotOpen(void* context, const VerifyRow& row) {
  AddRow(*static_cast<VerifyRun*>(context), row);
}

// Shows the wanted title unless the last change is too recent (`now`: in
// any case).
void ShowTitle(VerifyRun& run, bool now) {
  if (!run.TitlePending || !run.Window.Main) return;
  DWORD tick = GetTickCount();
  if (!now && tick - run.TitleShownAt < kTitleIntervalMs) return;
  SetWindowTextUtf8(run.Window.Main, run.Title);
  run.TitleShownAt = tick;
  run.TitlePending = false;
}

void SetTitle(VerifyRun& run, const char* name) {
  FormatCheckingTitle(name, run.Title);
  run.TitlePending = true;
  ShowTitle(run, false);
}

// The thread was told to quit, or the window is gone: the run ends.
void EndRun(VerifyRun& run) {
  run.Cancel = true;
}

// Waits `ms` while this thread's messages are dispatched (the pause of a
// wait for a locked list). False once the run is cancelled.
bool PauseDispatching(void* context, uint32_t ms) {
  VerifyRun& run = *static_cast<VerifyRun*>(context);
  const DWORD start = GetTickCount();
  for (DWORD elapsed = 0; elapsed < ms && !run.Cancel; elapsed = GetTickCount() - start) {
    if (MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT) != WAIT_OBJECT_0)
      break;
    if (!DispatchPending()) EndRun(run);
  }
  return !run.Cancel;
}

// Dispatches this thread's messages until `event` is signalled, showing a
// held-back title once the wait has lasted long enough. A quit message ends
// the run (and stays in the queue).
void WaitDispatching(VerifyRun& run, HANDLE event) {
  for (;;) {
    DWORD timeout = INFINITE;
    if (run.TitlePending) {
      DWORD since = GetTickCount() - run.TitleShownAt;
      timeout = since >= kTitleIntervalMs ? 0 : kTitleIntervalMs - since;
    }
    DWORD r = MsgWaitForMultipleObjects(1, &event, FALSE, timeout, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0 + 1) {
      if (!DispatchPending()) {
        EndRun(run);
        return;
      }
      ShowTitle(run, false);
    } else if (r == WAIT_TIMEOUT) {
      ShowTitle(run, true);
    } else {
      return;  // signalled (or the wait failed)
    }
  }
}

// The band shows a file that could not be read among the bad ones, so that
// "Ok:" counts only files that were read and matched.
// Like the titles, the band is redrawn at most every kTitleIntervalMs while
// files follow each other (`now`: at once).
void RefreshBand(VerifyRun& run, bool now) {
  const VerifyCounters& c = run.Counters;
  run.Band.CheckedCount = c.CheckedCount;
  run.Band.BadCount = c.BadCount + c.UnreadCount;
  run.Band.MissingCount = c.MissingCount;
  run.Band.UnresolvedCount = c.UnresolvedCount;
  DWORD tick = GetTickCount();
  if (!now && tick - run.BandShownAt < kTitleIntervalMs) return;
  InvalidateStatusBand(run.Window, true);
  run.BandShownAt = tick;
}

void ReadSwitches(const char* settingsPath, VerifyRun& run) {
  // The bare name, as the settings locator falls back to; never win.ini.
  if (!settingsPath) settingsPath = "Corvana.ini";
  run.UpdateDb =
      UpdateDbIsOn(ReadProfileStringUtf8("Corvana", "UpdateDB", "1", settingsPath).c_str());
  ShellModule().UppercaseExtension = UppercaseExtensionIsOn(
      ReadProfileStringUtf8("Corvana", "UppercaseExtension", "1", settingsPath).c_str());
}

// Hands one file to the pipeline and waits for it, keeping the window live.
// False when the window was closed before the file had a result.
bool HashFile(VerifyRun& run, HashJob& job, const SelectedFile& file) {
  std::memcpy(job.FilePath, file.Path, file.PathLength + 1);  // it fits: see ListedPathLimit
  const uint64_t size = run.Match.Entry.ExpectedSize;
  job.ExpectedSizeLow = static_cast<uint32_t>(size);
  job.ExpectedSizeHigh = static_cast<uint32_t>(size >> 32);
  job.UseMd5 = run.Match.UseMd5 ? 1 : 0;
  ResetEvent(job.DoneEvent);
  ReleaseSemaphore(job.StartSemaphore, 1, nullptr);
  SetTitle(run, file.Path);
  WaitDispatching(run, job.DoneEvent);
  ResetEvent(job.DoneEvent);
  return !run.Cancel;
}

enum class LoopEnd { Done, OutOfMemory };

LoopEnd VerifyEachFile(VerifyRun& run, const ShellCommandContext& context) {
  HashJob& job = context.Hash->Job;
  const Selection& files = *context.Files;
  for (const SelectedFile* file = files.Head; file && !run.Cancel; file = file->Next) {
    const char* relative = RelativeName(files, *file);
    SetTitle(run, relative);
    LookupResult found = LookUpFile(&run.Lists, relative, &run.Match, AddCouldNotOpen, &run);
    if (found == LookupResult::OutOfMemory) return LoopEnd::OutOfMemory;
    // The window was closed while a locked list was waited for: the file
    // is not hashed for a window that is gone.
    if (found == LookupResult::Cancelled || run.Cancel) break;
    if (found == LookupResult::NotFound) {
      DescribeNotFound(relative, &run.Counters, &run.Row);
    } else {
      // Closing the window ends the run at once; the file in flight gets no row.
      if (!HashFile(run, job, *file)) break;
      DescribeVerifiedFile(relative, job.Status, job.UseMd5 != 0, job.ResultCrc,
                           run.Match.Entry.ExpectedCrc, job.ResultMd5, run.Match.Entry.ExpectedMd5,
                           &run.Counters, &run.Row);
    }
    AddRow(run, run.Row);
    RefreshBand(run, false);
    if (!DispatchPending()) EndRun(run);
  }
  return LoopEnd::Done;
}

void Summarize(VerifyRun& run) {
  VerifyRow rows[kMaxSummaryRows];
  int n = BuildVerifySummary(run.Counters, rows);
  for (int i = 0; i < n; ++i) AddRow(run, rows[i]);
  RefreshBand(run, true);
  if (run.Window.Main) {
    MessageBeep(MB_OK);
    SetWindowTextUtf8(run.Window.Main, kFinishedTitle);
  }
  // Until the user closes the window, or the thread is told to quit (the
  // window then goes with the command).
  while (run.Window.Main) {
    if (!DispatchPending()) break;
    if (!run.Window.Main) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kFinishedPauseMs, QS_ALLINPUT);
  }
}

void Release(VerifyRun* run) {
  DestroyResultsWindow(run->Window);
  if (run->ListsFound) FreeCandidateLists(&run->Lists);
  delete run;
}

}  // namespace

HRESULT RunVerifyFilesCommand(const ShellCommandContext& context) {
  if (!context.Files || !context.Files->Head || !context.Hash) return S_OK;
  VerifyRun* run = new (std::nothrow) VerifyRun();
  if (!run) return E_FAIL;
  ReadSwitches(context.SettingsPath, *run);

  ResultsWindowOwner owner;
  owner.Counters = &run->Band;
  owner.Job = &context.Hash->Job;
  owner.Cancel = &run->Cancel;
  owner.UpdateDb = &run->UpdateDb;
  owner.SettingsPath = context.SettingsPath;
  if (!CreateVerifyWindow(&run->Window, context.Instance, owner)) {
    Release(run);
    return S_OK;  // nothing could be shown
  }

  const Selection& files = *context.Files;
  CandidateOptions options;
  options.Pause = PauseDispatching;
  options.PauseContext = run;
  if (!FindCandidateLists(files.Head->Path, files.BaseLength, options, &run->Lists)) {
    Release(run);
    return E_FAIL;
  }
  run->ListsFound = true;
  if (run->Cancel) {  // closed while a locked list was waited for
    Release(run);
    return S_OK;
  }

  context.Hash->Job.ProgressWindow = nullptr;  // this command shows no progress bar
  if (!StartShellHashing(context.Hash)) {
    Release(run);
    return E_FAIL;
  }
  DescribeVersion(&run->Row);
  AddRow(*run, run->Row);

  LoopEnd end = VerifyEachFile(*run, context);
  StopShellHashing(context.Hash);
  if (end == LoopEnd::OutOfMemory) {
    Release(run);
    return E_FAIL;
  }
  Summarize(*run);
  Release(run);
  return S_OK;
}
