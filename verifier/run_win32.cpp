#include "verifier/run_win32.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "formats/ckz_csv_readers.h"
#include "formats/list_detection.h"
#include "formats/par_list.h"
#include "hashing/name_resolution_win32.h"
#include "hashing/pipeline_win32.h"
#include "platform/file_time_win32.h"
#include "platform/handles_win32.h"
#include "verifier/database_file.h"
#include "verifier/exact_names_win32.h"
#include "verifier/report_win32.h"
#include "verifier/result_lines.h"
#include "verifier/run_state.h"
#include "verifier/run_window_win32.h"

namespace {

constexpr const char* kVersionLine = "Corvana v2.33";

void CopyCut(char* out, size_t capacity, const char* text) {
  std::snprintf(out, capacity, "%s", text);
}

void Report(const ReportText& line) {
  ReportLine(static_cast<RowKind>(line.kind), "%s", line.text);
}

// Every pending message of this thread, for the OUTPUT: run that has no window.
void DispatchPending() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

bool WindowGone() {
  return !g_verifier.OutputMode && RunWindowHandle() == nullptr;
}

// Waits for the pipeline to finish the file, keeping the window live. False
// when the wait ended without a result (a stop, or the window was closed).
bool WaitForFile(HashJob* job) {
  VerifierState& v = g_verifier;
  DWORD timeout = 3000;
  LONG shown = -1;
  for (;;) {
    DWORD r = ::MsgWaitForMultipleObjects(1, &job->DoneEvent, FALSE, timeout, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0 + 1) {
      if (v.OutputMode) {
        DispatchPending();
      } else {
        PumpMessages();
      }
      if (v.StopRequested && !v.OutputMode) return false;
      continue;
    }
    if (r == WAIT_TIMEOUT) {
      if (v.OutputMode) continue;
      LONG progress = job->Progress;
      if (!v.Counters.ShowFileProgress && progress >= 75) continue;
      v.Counters.ShowFileProgress = true;
      timeout = 500;
      if (progress != shown) {
        RunWindowInvalidateBand(false);
        shown = progress;
      }
      continue;
    }
    return !WindowGone();  // the event was set (or the wait failed)
  }
}

struct ParStatusContext {
  VerifiedBitmap* bitmap;
  bool use;
};

void TakeParStatus(void* context, uint32_t k, uint64_t status) {
  auto* c = static_cast<ParStatusContext*>(context);
  if (c->use && (status & kParVerifiedBit) != 0) SetEntryBit(c->bitmap, k);
}

// The folder part of a path (up to its last '\'), or "" when it has none.
void FolderOf(const char* path, char* out, size_t capacity) {
  const char* slash = std::strrchr(path, '\\');
  size_t length = slash ? static_cast<size_t>(slash - path) : 0;
  if (length == 2 && path[1] == ':') length = 3;  // "C:\" stays a root
  if (length >= capacity) length = 0;
  std::memcpy(out, path, length);
  out[length] = '\0';
}

// Clears PendingBase when it names the current folder.
void DropPendingBaseWhenCurrent() {
  VerifierState& v = g_verifier;
  if (v.PendingBase[0] == '\0') return;
  char current[MAX_PATH + 2] = {};
  DWORD n = ::GetCurrentDirectoryA(MAX_PATH, current);
  if (n == 0 || n >= MAX_PATH) return;
  if (current[n - 1] != '\\') {
    current[n] = '\\';
    current[n + 1] = '\0';
  }
  if (::lstrcmpiA(current, v.PendingBase) == 0) v.PendingBase[0] = '\0';
}

// The run's own storage: the bitmap is large, the reader holds a PAR entry.
struct RunStorage {
  VerifiedBitmap bitmap;
  ListReader reader;
  ListEntry entry;
  ExactNames names;
};

// Whether a previously verified entry may skip hashing: its file exists under
// its exact name and, where times are checked, was last written before the
// previous run started. A file whose time cannot be read is hashed.
bool StillVerified(ExactNames* names, const char* name, bool checkTimes, uint64_t lastVerified) {
  if (!ExistsExactly(names, name)) return false;
  if (!checkTimes) return true;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(name, GetFileExInfoStandard, &data)) return false;
  return FileTimeTicks(data.ftLastWriteTime) < lastVerified;
}

}  // namespace

RunOutcome RunList(HINSTANCE instance, HashJob* job) {
  VerifierState& v = g_verifier;
  RunCounters& c = v.Counters;
  static RunStorage storage;  // one run at a time, for the life of the process
  VerifiedBitmap& bitmap = storage.bitmap;
  ListReader& reader = storage.reader;
  ListEntry& entry = storage.entry;

  // The list's full path, so that reopening it works after the current
  // folder has moved to the list's folder (and on a rerun).
  char full[MAX_PATH + 1];
  DWORD fullLength = ::GetFullPathNameA(v.ListPath, sizeof full, full, nullptr);
  if (fullLength > 0 && fullLength < sizeof v.ListPath)
    CopyCut(v.ListPath, sizeof v.ListPath, full);

  DropPendingBaseWhenCurrent();
  v.StopRequested = false;
  c.RunFinished = false;

  UniqueFile list(OpenFile(v.ListPath, OpenMode::ReadShared));
  if (!list) return RunOutcome::ListOpenFailed;

  c.TotalEntries = -1;
  InitListReader(&reader, ListHost::Verifier, ReportInvalidListLine, nullptr);
  DetectListFormat(&reader, v.ListPath, list.Get());
  const ListFormat format = reader.Format;

  c.CheckedCount = c.BadCount = c.MissingCount = c.UnresolvedCount = 0;
  c.ShowFileProgress = false;
  ClearBitmap(&bitmap);
  ResetExactNames(&storage.names);
  v.LastVerifiedTime = 0;

  // The counting pass runs before any output exists: readers' lines are
  // dropped (ReportLine has no window and no file yet).
  SetReportFile(INVALID_HANDLE_VALUE);
  if (!reader.Invalid) {
    ParStatusContext par{&bitmap, !v.VerifyAll};
    int64_t count = CountListEntries(&reader, list.Get(), TakeParStatus, &par);
    c.TotalEntries = count > INT32_MAX ? INT32_MAX : static_cast<int32_t>(count);
  }

  char folder[MAX_PATH + 1];
  FolderOf(v.ListPath, folder, sizeof folder);
  if (folder[0] != '\0') ::SetCurrentDirectoryA(folder);

  UniqueFileHandle output;
  if (v.OutputMode) {
    output.Reset(reinterpret_cast<HANDLE>(OpenFile(v.OutputPath, OpenMode::CreateExclusive)));
    if (!output) return RunOutcome::OutputOpenFailed;
    SetReportFile(output.Get());
  } else {
    BeginRunWindow(instance, job);
  }

  job->UseMd5 = UsesMd5(format) ? 1 : 0;
  StartHashing(job);
  ReportLine(Info, "%s", kVersionLine);
  const uint64_t runStarted = SystemTimeTicks();

  bool invalid = reader.Invalid;
  if (format == ListFormat::Sfv && !v.VerifyAll) {
    DatabaseScan scan;
    LoadSfvDatabase(
        list.Get(),
        DatabaseContext{v.Settings.Signature, v.Settings.ExpireTicks, SystemTimeTicks()}, &bitmap,
        &scan);
    if (scan.disableDatabase) v.VerifyAll = true;
    if (scan.hasTime) {
      v.LastVerifiedTime = scan.lastVerifiedTime;
    } else if (scan.found) {
      // No time line (the older form): the list was last written by the run
      // that stored this database, so its own last-write time stands in.
      FILETIME written;
      if (::GetFileTime(reinterpret_cast<HANDLE>(list.Get()), nullptr, nullptr, &written)) {
        v.LastVerifiedTime = FileTimeTicks(written);
      }
    }
  }
  if (!invalid && !PositionListForReading(&reader, list.Get())) invalid = true;
  if (format == ListFormat::Ckz && invalid) ReportLine(Bad, "Invalid .CKZ format");
  if (format == ListFormat::Par && v.Settings.UpdateDb) {
    if (invalid) {
      ReportLine(Bad, "%s: :   Invalid .PAR file", v.ListPath);
    } else {
      FILETIME written;
      EntryStatus why;
      if (GetEntryFileTime(v.ListPath, &written, &why)) v.LastVerifiedTime = FileTimeTicks(written);
      if (IsExpired(v.LastVerifiedTime, v.Settings.ExpireTicks, SystemTimeTicks())) {
        v.VerifyAll = true;
        ClearBitmap(&bitmap);
      }
    }
  }
  if (!invalid && v.PendingBase[0] != '\0') {
    CopyCut(v.ActiveBase, sizeof v.ActiveBase, v.PendingBase);
    v.PendingBase[0] = '\0';
  }

  const bool checkTimes =
      format == ListFormat::Sfv || (format == ListFormat::Par && v.Settings.UpdateDb);
  BitmapCursor cursor;
  while (!invalid && ((RunWindowHandle() != nullptr && !v.StopRequested) || v.OutputMode)) {
    if (ReadListEntry(&reader, list.Get(), &entry) <= 0) break;
    if (v.ActiveBase[0] != '\0') {
      std::snprintf(job->FilePath, sizeof job->FilePath, "%s%s", v.ActiveBase, entry.FileName);
    } else {
      CopyCut(job->FilePath, sizeof job->FilePath, entry.FileName);
    }
    job->ExpectedSizeLow = static_cast<uint32_t>(entry.ExpectedSize);
    job->ExpectedSizeHigh = static_cast<uint32_t>(entry.ExpectedSize >> 32);
    const char* name = job->FilePath;

    // Only a set bit can let the entry skip hashing, so only then do its
    // file's name and time need checking.
    if (TestBit(bitmap, cursor) &&
        !StillVerified(&storage.names, name, checkTimes, v.LastVerifiedTime)) {
      ClearBit(&bitmap, cursor);
    }

    ReportText line;
    if (TestBit(bitmap, cursor)) {
      ++c.CheckedCount;
      DescribePreviouslyVerified(name, format == ListFormat::Par, entry.ExpectedCrc,
                                 entry.ExpectedMd5, &line);
      Report(line);
      if (c.CheckedCount % 32 == 0 && !v.OutputMode) PumpMessages();
    } else {
      ::ResetEvent(job->DoneEvent);
      ::ReleaseSemaphore(job->StartSemaphore, 1, nullptr);
      if (!v.OutputMode) RunWindowFileStarted(name);
      bool finished = WaitForFile(job);
      ++c.CheckedCount;
      c.ShowFileProgress = false;
      ::ResetEvent(job->DoneEvent);
      if (finished) {
        EntryOutcome outcome =
            DescribeEntry(name, job->Status, job->UseMd5 != 0, job->ResultCrc, job->ResultMd5,
                          entry.ExpectedCrc, entry.ExpectedMd5, &line);
        Report(line);
        if (outcome.verified) SetBit(&bitmap, cursor);
        switch (outcome.counter) {
          case OutcomeCounter::Bad:
            ++c.BadCount;
            break;
          case OutcomeCounter::Missing:
            ++c.MissingCount;
            break;
          case OutcomeCounter::Unresolved:
            ++c.UnresolvedCount;
            break;
          case OutcomeCounter::None:
            break;
        }
      } else {
        --c.CheckedCount;  // stopped before the file had a result
      }
    }
    AdvanceCursor(&cursor);
    if (!v.OutputMode) RunWindowInvalidateBand(true);
  }
  list.Reset();

  if (WindowGone()) {
    EndRunWindow();
    StopHashing(job);
    return RunOutcome::Done;
  }

  bool stored = true;
  if (v.Settings.UpdateDb && format == ListFormat::Sfv) {
    // The time of the run's start: a file changed while the run was going
    // on is then verified again next time.
    stored = StoreSfvDatabase(v.ListPath, v.Settings.Signature, runStarted, bitmap,
                              EntriesReached(cursor));
  } else if (v.Settings.UpdateDb && format == ListFormat::Par && !invalid) {
    stored = RewriteParStatus(v.ListPath, ParFileListOffset(reader), BitmapDecision, &bitmap);
  }
  if (!stored) ReportLine(Bad, "Could not update DB");

  ReportText summary[4];
  bool allOk = false;
  int lines = BuildSummary(c, summary, &allOk);
  for (int i = 0; i < lines; ++i) Report(summary[i]);
  if (allOk && v.Settings.AddTag) {
    UniqueFileHandle tag(::CreateFileA("_Verified_", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  c.RunFinished = true;

  if (v.OutputMode) {
    SetReportFile(INVALID_HANDLE_VALUE);
    output.Reset();
  } else {
    RunWindowFinish();
  }
  StopHashing(job);
  return RunOutcome::Done;
}
