// crvn check: every list through the readers the verifier uses, every file
// through the same hasher, the lines and warnings as sha256sum -c prints
// them. Lists are only read: no previously-verified database is read or
// written, so every file is hashed.
#include <windows.h>

#include <cstring>
#include <memory>
#include <vector>

#include "console/commands_win32.h"
#include "console/console_output_win32.h"
#include "console/hash_in_order_win32.h"
#include "formats/list_detection.h"
#include "hashing/files_at_once_win32.h"
#include "platform/file.h"
#include "platform/unique_handle.h"
#include "verifier/entry_paths_win32.h"

namespace {

struct Pending {
  DigestAlgorithm algorithm;
  unsigned char expected[kMaxDigestBytes];
  EntryRoute route;
};

struct ListCheck {
  const CrvnOptions* options;
  ListReader reader;
  NativeFile file;
  std::string folder;
  uint32_t utf8Confirmed = 0;
  ListEntry entry;
  Pending pending[kFileHasherWindow];
  uint32_t entries = 0;
  uint32_t invalidLines = 0;
  uint32_t mismatched = 0;
  uint32_t unreadable = 0;
};

void CountInvalidLine(void* context, const char*) {
  ++static_cast<ListCheck*>(context)->invalidLines;
}

bool NextEntry(void* context, uint32_t sequence, NextFile* next) {
  auto* c = static_cast<ListCheck*>(context);
  ListEntry& entry = c->entry;
  if (ReadListEntry(&c->reader, c->file, &entry) <= 0) return false;
  ++c->entries;
  TakeAnsiReadingWhenItExists(&c->reader, &c->utf8Confirmed, c->folder, &entry);
  Pending& p = c->pending[sequence % kFileHasherWindow];
  p.algorithm = entry.Algorithm;
  std::memcpy(p.expected, entry.ExpectedDigest, sizeof p.expected);
  uint32_t nameStart = 0;
  p.route = EntryPath(c->folder, entry.FileName, &next->path, &nameStart);
  next->shown = c->reader.Format == ListFormat::DigestList ? ShownName(entry.FileName)
                                                           : std::string(entry.FileName);
  next->request.Algorithm = entry.Algorithm;
  next->request.ExpectedSize =
      entry.ExpectedSize == UnknownSize ? kNoLengthCheck : entry.ExpectedSize;
  next->request.NameStart = nameStart;
  next->request.Kind =
      p.route == EntryRoute::Open ? FileRequestKind::Hash : FileRequestKind::PassThrough;
  // The digest tools' lists name their files exactly: no renamed file stands
  // in for a missing one.
  next->request.ResolveMissing = c->reader.Format != ListFormat::DigestList;
  next->sizeHint = entry.ExpectedSize == UnknownSize ? 0 : entry.ExpectedSize;
  return true;
}

void TakeEntry(void* context, const FileResult& result, const std::string& shown) {
  auto* c = static_cast<ListCheck*>(context);
  const Pending& p = c->pending[result.Sequence % kFileHasherWindow];
  const CrvnOptions& o = *c->options;
  // The message names the file as the line does, without the escape mark.
  const char* bare = shown.c_str() + (shown[0] == '\\' ? 1 : 0);
  const char* verdict = "OK";
  if (p.route == EntryRoute::NotOpened) {
    PrintError(std::string(bare) + ": Network or device path not opened");
    verdict = "FAILED open or read";
  } else if (p.route == EntryRoute::TooLong || result.Kind == FileRequestKind::PassThrough) {
    PrintError(std::string(bare) + ": File name too long");
    verdict = "FAILED open or read";
  } else if (result.Status == FileMissing || result.Status == Unresolved) {
    PrintError(std::string(bare) + ": No such file or directory");
    verdict = "FAILED open or read";
  } else if (result.Status == ReadError) {
    PrintError(std::string(bare) + ": Permission denied");
    verdict = "FAILED open or read";
  } else if (result.Status != Hashed ||
             std::memcmp(result.Digest.Bytes, p.expected, DigestBytes(p.algorithm)) != 0) {
    verdict = "FAILED";  // another length is another content
  }
  const bool ok = verdict[0] == 'O';
  if (!ok) ++(verdict[6] ? c->unreadable : c->mismatched);
  if (o.Status || (ok && o.Quiet)) return;
  Print(OutStream::Out, shown + ": " + verdict + "\n");
}

void Warn(uint32_t n, const char* one, const char* many) {
  if (n == 0) return;
  PrintError("WARNING: " + std::to_string(n) + " " + (n == 1 ? one : many));
}

// Checks one list; the exit code it alone would give.
int CheckList(const CrvnOptions& o, const std::string& given, ListCheck* c) {
  const std::string path = FullPathOf(given.c_str());
  OpenError why = OpenError::None;
  UniqueFile list(OpenFile(path.c_str(), OpenMode::ReadShared, &why));
  if (!list) {
    const bool missing = why == OpenError::NotFound || why == OpenError::PathNotFound;
    PrintError(given + (missing ? ": No such file or directory" : ": Permission denied"));
    return 2;
  }
  InitListReader(&c->reader, ListHost::Verifier, nullptr, nullptr);
  DetectListFormat(&c->reader, path.c_str(), list.Get());
  int64_t total = 0;
  if (!c->reader.Invalid) total = CountListEntries(&c->reader, list.Get());
  if (c->reader.Invalid || !PositionListForReading(&c->reader, list.Get())) {
    PrintError(given + ": not a valid checksum list");
    return 2;
  }
  c->reader.Report = CountInvalidLine;
  c->reader.ReportContext = c;
  c->options = &o;
  c->file = list.Get();
  c->folder = ListFolderOf(path);
  c->utf8Confirmed = c->entries = c->invalidLines = c->mismatched = c->unreadable = 0;

  HashLoop loop;
  loop.context = c;
  loop.next = NextEntry;
  loop.take = TakeEntry;
  loop.options = HasherOptionsFor(c->folder.c_str(), o.Threads);
  loop.progress = ErrorIsConsole() && !o.NoProgress;
  loop.totalFiles = total > 0 ? static_cast<uint64_t>(total) : 0;
  if (!HashInOrder(loop)) {
    PrintError("not enough memory");
    return 2;
  }
  if (c->entries == 0) {
    PrintError(given + ": no properly formatted checksum lines found");
    return 1;
  }
  if (!o.Status) {
    Warn(c->invalidLines, "line is improperly formatted", "lines are improperly formatted");
    Warn(c->unreadable, "listed file could not be read", "listed files could not be read");
    Warn(c->mismatched, "computed checksum did NOT match", "computed checksums did NOT match");
  }
  if (c->mismatched || c->unreadable || (o.Strict && c->invalidLines)) return 1;
  return 0;
}

}  // namespace

int RunCheck(const CrvnOptions& o) {
  // The reader and the entry hold long names: on the heap, once.
  std::unique_ptr<ListCheck> c(new ListCheck);
  int code = 0;
  for (const std::string& list : o.Arguments) {
    const int one = CheckList(o, list, c.get());
    if (one > code) code = one;
  }
  FlushOutput();
  return code;
}
