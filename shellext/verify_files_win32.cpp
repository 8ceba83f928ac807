// "&Verify Individual Files": every selected file is looked up in the lists
// of the selection's folder, hashed by the file hasher (several files at
// once where the storage or the Threads setting allows, each with its list's
// own algorithm) and reported, in the selection's order, in a results window
// of its own, with a summary, until the user closes the window. The
// previously-verified database is neither read nor written.
#include <cstring>
#include <new>
#include <vector>

#include "hashing/file_hasher_win32.h"
#include "hashing/files_at_once_win32.h"
#include "platform/profile_win32.h"
#include "platform/window_text_win32.h"
#include "shellext/candidate_lists_win32.h"
#include "shellext/module_state_win32.h"
#include "shellext/settings_path_win32.h"
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

// A file handed to the hasher, by its sequence number modulo the window:
// what its row is judged against, and the rows that came before it.
struct InFlight {
  const SelectedFile* File = nullptr;
  bool Found = false;   // a list names it; else only its place in the order is kept
  bool Digest = false;  // an entry of a digest list: Algorithm and Expected
  bool UseMd5 = false;  // an entry of an MD5 or PAR list: Expected holds the MD5
  DigestAlgorithm Algorithm = DigestAlgorithm::Crc32;
  uint32_t ExpectedCrc = 0;
  unsigned char Expected[kMaxDigestBytes] = {};
  // "Couldn't open" rows of the search for this file, shown before its row.
  std::vector<VerifyRow> Before;
};

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
  // The files in flight: Submitted handed over, Taken of them delivered.
  FileHasher* Hasher = nullptr;
  InFlight Slots[kFileHasherWindow];
  uint32_t Submitted = 0;
  uint32_t Taken = 0;
  const SelectedFile* TitleFile = nullptr;  // the file the title names
  std::vector<VerifyRow> Early;             // rows of the search under way
};

void AddRow(VerifyRun& run, const VerifyRow& row) {
  AddResultRow(run.Window, row.Text, static_cast<RowKind>(static_cast<int>(row.Kind)));
}

// Held back until the file searched for takes its place in the order.
void AddCouldNotOpen(void* context, const VerifyRow& row) {
  static_cast<VerifyRun*>(context)->Early.push_back(row);
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

// Dispatches this thread's messages until `event` is signalled, the window
// is closed or kTitleIntervalMs have passed, showing a held-back title once
// the wait has lasted long enough. A quit message ends the run (and stays in
// the queue).
void WaitDispatching(VerifyRun& run, HANDLE event) {
  for (;;) {
    DWORD timeout = kTitleIntervalMs;  // the caller follows the file on the timer
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
      if (run.Cancel) return;  // the window was closed
      ShowTitle(run, false);
    } else if (r == WAIT_TIMEOUT) {
      ShowTitle(run, true);
      return;
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

// The title names the oldest file in flight, and the window's bar shows how
// far it is; both on the timer only.
void FollowOldest(VerifyRun& run) {
  if (run.Taken == run.Submitted) return;
  const InFlight& oldest = run.Slots[run.Taken % kFileHasherWindow];
  if (oldest.Found && oldest.File != run.TitleFile) {
    run.TitleFile = oldest.File;
    SetTitle(run, oldest.File->Path);
  }
  const int32_t percent = OldestFileProgress(run.Hasher);
  run.Band.FilePercent = percent < 0 ? 0 : static_cast<uint32_t>(percent);
}

// The row of the oldest file, and the rows held back before it.
void Deliver(VerifyRun& run, const Selection& files, const FileResult& result) {
  InFlight& f = run.Slots[result.Sequence % kFileHasherWindow];
  ++run.Taken;
  for (const VerifyRow& row : f.Before) AddRow(run, row);
  f.Before.clear();
  const char* relative = RelativeName(files, *f.File);
  if (!f.Found) {
    DescribeNotFound(relative, &run.Counters, &run.Row);
  } else if (f.Digest) {
    DescribeVerifiedDigest(relative, result.Status, f.Algorithm, result.Digest.Bytes, f.Expected,
                           &run.Counters, &run.Row);
  } else {
    DescribeVerifiedFile(relative, result.Status, f.UseMd5, result.Digest.Crc, f.ExpectedCrc,
                         result.Digest.Bytes, f.Expected, &run.Counters, &run.Row);
  }
  AddRow(run, run.Row);
  RefreshBand(run, false);
}

// Takes the oldest file's result: at once, or with `wait` once it is
// hashed, dispatching the thread's messages meanwhile. False when there is
// none to take (now, or at all), and once the run is cancelled (the window
// closed), which ends every file in the hasher: the file in flight gets no
// row.
bool TakeOne(VerifyRun& run, const Selection& files, bool wait) {
  for (;;) {
    if (run.Cancel) {
      CancelFileHasher(run.Hasher);
      return false;
    }
    FileResult result;
    switch (TakeFileResult(run.Hasher, &result)) {
      case TakeOutcome::Ready:
        Deliver(run, files, result);
        return true;
      case TakeOutcome::Empty:
        return false;
      case TakeOutcome::Cancelled:
        EndRun(run);
        return false;
      case TakeOutcome::Pending:
        if (!wait) return false;
        FollowOldest(run);
        WaitDispatching(run, FileHasherResultEvent(run.Hasher));
        break;
    }
  }
}

enum class LoopEnd { Done, OutOfMemory };

LoopEnd VerifyEachFile(VerifyRun& run, const ShellCommandContext& context) {
  const Selection& files = *context.Files;
  DWORD dispatchedAt = GetTickCount();
  for (const SelectedFile* file = files.Head; file && !run.Cancel; file = file->Next) {
    const char* relative = RelativeName(files, *file);
    LookupResult found = LookUpFile(&run.Lists, relative, &run.Match, AddCouldNotOpen, &run);
    if (found == LookupResult::OutOfMemory) return LoopEnd::OutOfMemory;
    // The window was closed while a locked list was waited for: the file
    // is not hashed for a window that is gone.
    if (found == LookupResult::Cancelled || run.Cancel) break;
    FileRequest request;
    InFlight entry;
    entry.File = file;
    entry.Before.swap(run.Early);
    if (found == LookupResult::NotFound) {
      request.Kind = FileRequestKind::PassThrough;
    } else {
      const ListEntry& listed = run.Match.Entry;
      entry.Found = true;
      entry.Digest = UsesDigest(run.Match.List->Reader.Format);
      entry.UseMd5 = !entry.Digest && run.Match.UseMd5;
      entry.Algorithm = entry.Digest   ? listed.Algorithm
                        : entry.UseMd5 ? DigestAlgorithm::Md5
                                       : DigestAlgorithm::Crc32;
      entry.ExpectedCrc = listed.ExpectedCrc;
      if (entry.Digest)
        std::memcpy(entry.Expected, listed.ExpectedDigest, sizeof entry.Expected);
      else
        std::memcpy(entry.Expected, listed.ExpectedMd5, sizeof listed.ExpectedMd5);
      request.Path = file->Path;
      request.ExpectedSize = listed.ExpectedSize;  // UnknownSize checks nothing
      request.Algorithm = entry.Algorithm;
    }
    for (;;) {
      uint32_t sequence = 0;
      const SubmitOutcome outcome = SubmitFile(run.Hasher, request, &sequence);
      if (outcome == SubmitOutcome::Accepted) {
        InFlight& slot = run.Slots[sequence % kFileHasherWindow];
        slot = entry;
        slot.Before.swap(entry.Before);
        ++run.Submitted;
        break;
      }
      if (outcome == SubmitOutcome::Refused || !TakeOne(run, files, true)) {
        EndRun(run);  // the hasher refuses, or the window is gone
        break;
      }
    }
    while (TakeOne(run, files, false)) {
    }
    // Messages, title and bar on the timer only.
    if (GetTickCount() - dispatchedAt >= kTitleIntervalMs) {
      dispatchedAt = GetTickCount();
      if (!DispatchPending()) EndRun(run);
      FollowOldest(run);
      ShowTitle(run, false);
    }
  }
  while (TakeOne(run, files, true)) {
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
  DestroyFileHasher(run->Hasher);
  DestroyResultsWindow(run->Window);
  if (run->ListsFound) FreeCandidateLists(&run->Lists);
  delete run;
}

}  // namespace

HRESULT RunVerifyFilesCommand(const ShellCommandContext& context) {
  if (!context.Files || !context.Files->Head) return S_OK;
  VerifyRun* run = new (std::nothrow) VerifyRun();
  if (!run) return E_FAIL;
  ReadSwitches(context.SettingsPath, *run);

  ResultsWindowOwner owner;
  owner.Counters = &run->Band;
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

  FileHasherOptions hasherOptions =
      HasherOptionsFor(files.Head->Path, ReadThreadsSetting(context.SettingsPath));
  hasherOptions.ShellVariant = true;
  run->Hasher = CreateFileHasher(hasherOptions);
  if (!run->Hasher) {
    Release(run);
    return E_FAIL;
  }
  DescribeVersion(&run->Row);
  AddRow(*run, run->Row);

  LoopEnd end = VerifyEachFile(*run, context);
  DestroyFileHasher(run->Hasher);
  run->Hasher = nullptr;
  if (end == LoopEnd::OutOfMemory) {
    Release(run);
    return E_FAIL;
  }
  Summarize(*run);
  Release(run);
  return S_OK;
}
