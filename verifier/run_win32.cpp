#include "verifier/run_win32.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "formats/ckz_csv_readers.h"
#include "formats/list_detection.h"
#include "formats/par_list.h"
#include "hashing/file_hasher_win32.h"
#include "hashing/files_at_once_win32.h"
#include "hashing/name_resolution_win32.h"
#include "platform/ansi_codepage.h"
#include "platform/file_time_win32.h"
#include "platform/files_win32.h"
#include "platform/handles_win32.h"
#include "platform/long_path_win32.h"
#include "platform/text_win32.h"
#include "platform/utf8.h"
#include "platform/windows_path.h"
#include "verifier/database_file.h"
#include "verifier/entry_paths_win32.h"
#include "verifier/exact_names_win32.h"
#include "verifier/report_win32.h"
#include "verifier/result_lines.h"
#include "verifier/run_state.h"
#include "verifier/run_window_win32.h"

namespace {

// Copies the whole text or nothing: a cut path would name another file.
bool CopyWhole(char* out, size_t capacity, const std::string& text) {
  if (text.size() >= capacity) return false;
  std::memcpy(out, text.c_str(), text.size() + 1);
  return true;
}

void Report(const ReportText& line) {
  ReportLine(static_cast<RowKind>(line.kind), "%s", line.text);
}

// Every pending message of this thread, for the OUTPUT: run that has no window.
void DispatchPending() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

bool WindowGone() {
  return !g_verifier.OutputMode && RunWindowHandle() == nullptr;
}

// Waits until the oldest file in flight has its result, keeping the window
// live: the caption names the file only once the wait has lasted a moment,
// and its percentage is painted from the hasher's progress. False when the
// wait ended without a result (a stop, or the window was closed).
bool WaitForResult(FileHasher* hasher, const char* name) {
  VerifierState& v = g_verifier;
  HANDLE ready = FileHasherResultEvent(hasher);
  DWORD timeout = 250;
  bool named = false;
  LONG shown = -1;
  for (;;) {
    DWORD r = ::MsgWaitForMultipleObjects(1, &ready, FALSE, timeout, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0 + 1) {
      if (v.OutputMode) {
        DispatchPending();
      } else {
        PumpMessages();
      }
      if (WindowGone() || (v.StopRequested && !v.OutputMode)) return false;
      continue;
    }
    if (r == WAIT_TIMEOUT) {
      if (v.OutputMode) continue;
      if (!named) {
        RunWindowFileStarted(name);
        named = true;
        timeout = 2750;
        continue;
      }
      const int32_t progress = OldestFileProgress(hasher);
      v.Counters.FilePercent = progress < 0 ? 0 : static_cast<uint32_t>(progress);
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

// The invalid lines of the reading pass. The list is read ahead of the
// results, so a line is held until the entries before it are reported, and
// counted (ERRORLEVEL counts an unreadable entry as a file not verified).
struct InvalidLines {
  uint32_t* count;
  std::vector<std::string> held;
};

void HoldInvalidLine(void* context, const char* text) {
  auto* lines = static_cast<InvalidLines*>(context);
  ++*lines->count;
  lines->held.emplace_back(text);
}

void ReportHeldLines(std::vector<std::string>* held) {
  for (const std::string& text : *held) ReportInvalidListLine(nullptr, text.c_str());
  held->clear();
}

struct ParStatusContext {
  VerifiedBitmap* bitmap;
  bool use;
};

void TakeParStatus(void* context, uint32_t k, uint64_t status) {
  auto* c = static_cast<ParStatusContext*>(context);
  if (c->use && (status & kParVerifiedBit) != 0) SetEntryBit(c->bitmap, k);
}

// The folder the entries' names are taken in: the last run's list folder,
// at first the current folder. (The current folder follows it where the
// system allows, which stops at 260 characters; names are joined to it
// explicitly.)
std::string& RunFolder() {
  static std::string folder = CurrentFolder();
  return folder;
}

// Clears PendingBase when it names the run's folder.
void DropPendingBaseWhenCurrent() {
  VerifierState& v = g_verifier;
  if (v.PendingBase[0] == '\0') return;
  std::string current = RunFolder();
  if (current.empty()) return;
  if (current.back() != '\\') current += '\\';
  if (::lstrcmpiW(Wide(current).c_str(), Wide(v.PendingBase).c_str()) == 0) v.PendingBase[0] = '\0';
}

// One entry from its submission to the hasher until its result is taken:
// what its line needs. Path is lent to the hasher for that time.
struct EntryInFlight {
  enum class Kind : uint8_t { Hash, PreviouslyVerified, TooLong, NotOpened };
  Kind kind;
  DigestAlgorithm algorithm;
  BitmapCursor cursor;
  uint32_t expectedCrc;
  unsigned char expectedMd5[16];
  unsigned char expectedDigest[kMaxDigestBytes];
  std::vector<std::string> linesBefore;  // the list's invalid lines before the entry
  std::string shown;                     // the name the lines show
  std::string path;                      // the path the file is opened by
};

// The run's own storage: the bitmap is large, the reader holds a PAR entry
// and its work buffers, names and lines may be as long as a path.
struct RunStorage {
  VerifiedBitmap bitmap;
  ListReader reader;
  ListEntry entry;
  ExactNames names;
  ReportText line;
  ReportText summary[4];
  EntryInFlight inFlight[kFileHasherWindow];
};

// Whether a previously verified entry may skip hashing: its file exists under
// its exact name and, where times are checked, was last written before the
// previous run started. A file whose time cannot be read is hashed.
bool StillVerified(ExactNames* names, const char* name, bool checkTimes, uint64_t lastVerified) {
  if (!ExistsExactly(names, name)) return false;
  if (!checkTimes) return true;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExUtf8(name, &data)) return false;
  return FileTimeTicks(data.ftLastWriteTime) < lastVerified;
}

}  // namespace

RunOutcome RunList(HINSTANCE instance) {
  VerifierState& v = g_verifier;
  RunCounters& c = v.Counters;
  static RunStorage storage;  // one run at a time, for the life of the process
  VerifiedBitmap& bitmap = storage.bitmap;
  ListReader& reader = storage.reader;
  ListEntry& entry = storage.entry;

  // The list's full path, so that reopening it works after the current
  // folder has moved to the list's folder (and on a rerun).
  CopyWhole(v.ListPath, sizeof v.ListPath, FullPathOf(v.ListPath));

  DropPendingBaseWhenCurrent();
  v.StopRequested = false;
  v.ListRead = false;
  v.InvalidLines = 0;
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

  // Names are joined to the list's folder; the current folder follows it
  // where the system lets it (up to 260 characters), for the results file
  // and anything else named relative to it.
  const std::string folder = ListFolderOf(v.ListPath);
  if (!folder.empty()) {
    RunFolder() = folder;
    ::SetCurrentDirectoryW(Wide(folder).c_str());
  }

  UniqueFileHandle output;
  if (v.OutputMode) {
    // Relative to the list's folder, as it always was.
    const std::string outputPath =
        StandsAlone(v.OutputPath) ? std::string(v.OutputPath) : JoinPath(folder, v.OutputPath);
    output.Reset(reinterpret_cast<HANDLE>(OpenFile(outputPath.c_str(), OpenMode::CreateExclusive)));
    if (!output) return RunOutcome::OutputOpenFailed;
    SetReportFile(output.Get());
    // The results file is in the encoding the list was read in: UTF-8 for a
    // UTF-8 or UTF-16 list, the ANSI code page (byte for byte as the names
    // came) for any other.
    SetReportEncoding(reader.Encoding == TextEncoding::Utf8 ||
                      reader.Encoding == TextEncoding::Utf8Bom || IsUtf16(reader.Encoding));
  } else {
    BeginRunWindow(instance);
  }

  ReportLine(Info, "%s", kVersionLine);
  if (reader.Clearsigned.Signed)
    ReportLine(Info, "The list is signed; its signature is not checked here");
  const uint64_t runStarted = SystemTimeTicks();

  bool invalid = reader.Invalid;
  // Only a list that may keep a database has one to load: no other list is
  // written to, so database lines in it were never this program's.
  const bool keepsDatabase = ListMayKeepDatabase(reader);
  if (format == ListFormat::Sfv && !v.VerifyAll && keepsDatabase) {
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
  // From here on the reader's invalid lines are the run's own: counted for
  // the exit code as well as reported.
  v.InvalidLines = 0;
  InvalidLines invalidLines{&v.InvalidLines, {}};
  reader.Report = HoldInvalidLine;
  reader.ReportContext = &invalidLines;
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
    CopyWhole(v.ActiveBase, sizeof v.ActiveBase, v.PendingBase);
    v.PendingBase[0] = '\0';
  }

  uint32_t utf8Confirmed = 0;
  const bool checkTimes =
      format == ListFormat::Sfv || (format == ListFormat::Par && v.Settings.UpdateDb);
  v.ListRead = !invalid;

  FileHasher* hasher =
      invalid ? nullptr : CreateFileHasher(HasherOptionsFor(folder.c_str(), v.Settings.Threads));
  if (!invalid && hasher == nullptr) {
    ReportLine(Bad, "%s", EntryStatusMessage(~0u));  // "Internal allocation error"
    invalid = true;
  }

  // Entries go to the hasher in list order, up to its window ahead of the
  // results; results come back in the same order, so rows and lines are
  // exactly those of one file at a time. A previously verified entry and a
  // path too long for the system are passed through to keep their place.
  EntryInFlight* inFlight = storage.inFlight;
  BitmapCursor cursor;
  uint32_t submitted = 0;
  bool more = !invalid;
  uint32_t sincePump = 0;
  DWORD bandDrawn = ::GetTickCount();
  while (hasher != nullptr) {
    if (!v.OutputMode && (RunWindowHandle() == nullptr || v.StopRequested)) break;
    while (more && FilesInFlight(hasher) < kFileHasherWindow) {
      if (ReadListEntry(&reader, list.Get(), &entry) <= 0) {
        more = false;
        break;
      }
      if (v.ActiveBase[0] == '\0')
        TakeAnsiReadingWhenItExists(&reader, &utf8Confirmed, folder, &entry);
      EntryInFlight& e = inFlight[submitted % kFileHasherWindow];
      // The name the lines show: the entry's, behind the base folder in
      // effect; the path the file is opened by: the name taken in that
      // folder (or the list's).
      e.shown = v.ActiveBase;
      e.shown += entry.FileName;
      uint32_t nameStart = 0;
      const EntryRoute route =
          EntryPath(v.ActiveBase[0] == '\0' ? folder : JoinPath(folder, v.ActiveBase),
                    entry.FileName, &e.path, &nameStart);
      const bool fits = route == EntryRoute::Open;
      e.linesBefore.swap(invalidLines.held);
      invalidLines.held.clear();
      e.cursor = cursor;
      e.algorithm = entry.Algorithm;
      e.expectedCrc = entry.ExpectedCrc;
      std::memcpy(e.expectedMd5, entry.ExpectedMd5, sizeof e.expectedMd5);
      std::memcpy(e.expectedDigest, entry.ExpectedDigest, sizeof e.expectedDigest);
      // Only a set bit can let the entry skip hashing, so only then do its
      // file's name and time need checking.
      if (TestBit(bitmap, cursor) && (!fits || !StillVerified(&storage.names, e.path.c_str(),
                                                              checkTimes, v.LastVerifiedTime))) {
        ClearBit(&bitmap, cursor);
      }
      e.kind = route == EntryRoute::NotOpened ? EntryInFlight::Kind::NotOpened
               : !fits                        ? EntryInFlight::Kind::TooLong
               : TestBit(bitmap, cursor)      ? EntryInFlight::Kind::PreviouslyVerified
                                              : EntryInFlight::Kind::Hash;
      AdvanceCursor(&cursor);

      FileRequest request;
      request.Path = e.path.c_str();
      request.NameStart = nameStart;
      // The digest tools' lists name their files exactly: no renamed file
      // stands in for a missing one.
      request.ResolveMissing = format != ListFormat::DigestList;
      request.ExpectedSize = entry.ExpectedSize;
      request.Algorithm = entry.Algorithm;
      request.Kind = e.kind == EntryInFlight::Kind::Hash ? FileRequestKind::Hash
                                                         : FileRequestKind::PassThrough;
      if (SubmitFile(hasher, request) != SubmitOutcome::Accepted) {
        more = false;  // cancelled: nothing more is taken either
        break;
      }
      ++submitted;
    }

    FileResult result;
    const TakeOutcome taken = TakeFileResult(hasher, &result);
    if (taken == TakeOutcome::Empty) {
      if (!more) {
        ReportHeldLines(&invalidLines.held);  // the lines after the last entry
        break;
      }
      continue;
    }
    if (taken == TakeOutcome::Cancelled) break;
    if (taken == TakeOutcome::Pending) {
      const EntryInFlight& oldest =
          inFlight[(submitted - FilesInFlight(hasher)) % kFileHasherWindow];
      if (!WaitForResult(hasher, oldest.shown.c_str())) break;
      c.ShowFileProgress = false;
      continue;
    }

    EntryInFlight& e = inFlight[result.Sequence % kFileHasherWindow];
    ReportHeldLines(&e.linesBefore);
    const char* name = e.shown.c_str();
    ReportText& line = storage.line;
    ++c.CheckedCount;
    if (e.kind == EntryInFlight::Kind::TooLong || e.kind == EntryInFlight::Kind::NotOpened) {
      // A path longer than the system's paths: a failure of its own, never a
      // cut path that might name another file. A name on another machine or
      // a device: a bad file, never opened.
      ++c.BadCount;
      DescribeEntry(name, e.kind == EntryInFlight::Kind::TooLong ? ReadError : NotOpened, false, 0,
                    e.expectedMd5, 0, e.expectedMd5, &line);
      Report(line);
    } else if (e.kind == EntryInFlight::Kind::PreviouslyVerified) {
      DescribePreviouslyVerified(name, format == ListFormat::Par, e.expectedCrc, e.expectedMd5,
                                 &line);
      Report(line);
    } else {
      EntryOutcome outcome = DescribeDigestEntry(name, result.Status, e.algorithm,
                                                 result.Digest.Bytes, e.expectedDigest, &line);
      Report(line);
      if (outcome.verified) SetBit(&bitmap, e.cursor);
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
    }
    if (!v.OutputMode) {
      // The window is kept live and its band drawn at a timer's pace, not
      // once per file.
      if (++sincePump % 32 == 0) PumpMessages();
      const DWORD now = ::GetTickCount();
      if (now - bandDrawn >= 50) {
        RunWindowInvalidateBand(true);
        bandDrawn = now;
      }
    }
  }
  // A run that stopped early leaves nothing half-done: every file still in
  // flight is cancelled and none of them is reported.
  DestroyFileHasher(hasher);
  if (!v.OutputMode && RunWindowHandle() != nullptr) RunWindowInvalidateBand(true);
  list.Reset();

  if (WindowGone()) {
    EndRunWindow();
    return RunOutcome::Done;
  }

  bool stored = true;
  if (v.Settings.UpdateDb && format == ListFormat::Sfv && keepsDatabase) {
    // The time of the run's start: a file changed while the run was going
    // on is then verified again next time.
    stored = StoreSfvDatabase(v.ListPath, v.Settings.Signature, runStarted, bitmap,
                              EntriesReached(cursor));
  } else if (v.Settings.UpdateDb && format == ListFormat::Par && !invalid && keepsDatabase) {
    stored = RewriteParStatus(v.ListPath, ParFileListOffset(reader), BitmapDecision, &bitmap);
  }
  if (!stored) ReportLine(Bad, "Could not update DB");

  ReportText* summary = storage.summary;
  bool allOk = false;
  int lines = BuildSummary(c, summary, &allOk);
  for (int i = 0; i < lines; ++i) Report(summary[i]);
  if (allOk && v.Settings.AddTag) {
    UniqueFileHandle tag(CreateFileUtf8(JoinPath(folder, "_Verified_").c_str(), GENERIC_WRITE, 0,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
  }
  c.RunFinished = true;

  if (v.OutputMode) {
    SetReportFile(INVALID_HANDLE_VALUE);
    output.Reset();
  } else {
    RunWindowFinish();
  }
  return RunOutcome::Done;
}
