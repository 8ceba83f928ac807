// crvn create: a list of one type, byte for byte as "&Create .SFV File"
// writes it (the same line formatters, the same walk of folders, names
// relative to the folder of the first path), through the same hasher. The
// list is written beside its place and takes it only once complete; an
// existing list is replaced only with --force.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "console/commands_win32.h"
#include "console/console_output_win32.h"
#include "console/hash_in_order_win32.h"
#include "hashing/files_at_once_win32.h"
#include "platform/files_win32.h"
#include "platform/handles_win32.h"
#include "platform/text_win32.h"
#include "results/record_pool.h"
#include "shellext/collect_selection_win32.h"
#include "shellext/list_file_win32.h"
#include "shellext/list_name.h"
#include "shellext/list_text.h"
#include "verifier/entry_paths_win32.h"

namespace {

struct CreateRun {
  ListType type;
  Selection* selection;
  std::vector<const SelectedFile*> files;  // those to hash, in the selection's order
  HANDLE list = INVALID_HANDLE_VALUE;
  std::vector<char> line;
  bool writeFailed = false;
  bool skipped = false;
};

void WriteLine(CreateRun* run, int length) {
  if (!WriteListLine(run->list, run->type, run->line.data(), run->line.size(), length))
    run->writeFailed = true;
}

bool NextCreated(void* context, uint32_t sequence, NextFile* next) {
  auto* run = static_cast<CreateRun*>(context);
  if (sequence >= run->files.size()) return false;
  const SelectedFile* f = run->files[sequence];
  next->path = f->Path;
  next->shown = RelativeName(*run->selection, *f);
  next->request.Algorithm = ListTypeAlgorithm(run->type);
  next->request.Tag = sequence;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (GetFileAttributesExUtf8(f->Path, &data))
    next->sizeHint = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

void TakeCreated(void* context, const FileResult& result, const std::string& shown) {
  auto* run = static_cast<CreateRun*>(context);
  SelectedFile* f = const_cast<SelectedFile*>(run->files[result.Tag]);
  if (result.Status != Hashed) {
    PrintError(shown + (result.Status == ReadError ? ": Permission denied"
                                                   : ": No such file or directory"));
    run->skipped = true;
    return;
  }
  f->Hashed = 1;
  if (ListTypeHasComments(run->type)) {
    // Written after every comment line, as the shell extension writes them.
    f->Crc = result.Digest.Crc;
    std::memcpy(f->Md5, result.Digest.Bytes, sizeof f->Md5);
    return;
  }
  WriteLine(run,
            FormatDigestLine(run->line.data(), run->line.size(), shown.c_str(), result.Digest.Bytes,
                             static_cast<int>(DigestBytes(result.Digest.Algorithm)),
                             ListTypeTag(run->type)));
}

// The header (SFV and MD5 only), then a comment line per file with its size
// and last-write time.
void WriteComments(CreateRun* run) {
  if (!ListTypeHasComments(run->type)) return;
  char* out = run->line.data();
  const size_t capacity = run->line.size();
  if (!WriteListHeader(run->list, run->type, false, out, capacity)) run->writeFailed = true;
  for (const SelectedFile* f : run->files) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExUtf8(f->Path, &data)) continue;
    WriteLine(run,
              FormatFileCommentFromData(out, capacity, data, RelativeName(*run->selection, *f)));
  }
}

void WriteChecksums(CreateRun* run) {
  if (!ListTypeHasComments(run->type)) return;  // written as the files came
  for (const SelectedFile* f : run->files) {
    if (!f->Hashed) continue;
    const char* name = RelativeName(*run->selection, *f);
    WriteLine(run, run->type == ListType::Md5
                       ? FormatMd5Line(run->line.data(), run->line.size(), name, f->Md5)
                       : FormatSfvLine(run->line.data(), run->line.size(), name, f->Crc));
  }
}

}  // namespace

int RunCreate(const CrvnOptions& o) {
  CreateRun run;
  std::string extension = ".";
  extension += o.Type;
  if (!ListTypeFromExtension(extension.c_str(), &run.type)) {
    PrintError("unknown list type '" + o.Type + "'");
    return 2;
  }
  const std::string target = FullPathOf(o.Output.c_str());
  const DWORD existing = GetFileAttributesUtf8(target.c_str());
  if (existing != INVALID_FILE_ATTRIBUTES && ((existing & FILE_ATTRIBUTE_DIRECTORY) || !o.Force)) {
    PrintError(o.Output + ((existing & FILE_ATTRIBUTE_DIRECTORY) ? ": Is a directory"
                                                                 : ": File exists (use --force)"));
    return 2;
  }

  std::vector<std::string> items;
  bool missing = false;
  for (const std::string& arg : o.Arguments) {
    if (GetFileAttributesUtf8(arg.c_str()) == INVALID_FILE_ATTRIBUTES) {
      PrintError(arg + ": No such file or directory");
      missing = true;
      continue;
    }
    items.push_back(FullPathOf(arg.c_str()));
  }
  RecordPool* pool = CreateRecordPool(sizeof(SelectedFile), 64, 1024);
  Selection selection{};
  run.selection = &selection;
  if (!pool || !CollectSelection(items, pool, &selection)) {
    PrintError("not enough memory");
    FreePathStore(&selection.Paths);
    if (pool) DestroyRecordPool(pool);
    return 2;
  }
  for (const SelectedFile* f = selection.Refused; f; f = f->Next) {
    PrintError(std::string(f->Path) + ": File name too long");
    missing = true;
  }
  // The list it replaces is no file of the list.
  const std::wstring targetWide = Wide(target);
  for (const SelectedFile* f = selection.Head; f; f = f->Next)
    if (::lstrcmpiW(Wide(f->Path).c_str(), targetWide.c_str()) != 0) run.files.push_back(f);

  std::string writePath;
  run.list = CreateFileBeside(target, &writePath);
  int code = 0;
  if (run.list == INVALID_HANDLE_VALUE) {
    PrintError(o.Output + ": cannot be created");
    code = 2;
  } else {
    SetFileToDropOnStop(writePath);
    run.line.resize(3 * size_t{kLongPathUnits} + 256);
    WriteComments(&run);
    HashLoop loop;
    loop.context = &run;
    loop.next = NextCreated;
    loop.take = TakeCreated;
    loop.options = HasherOptionsFor(ListFolderOf(target).c_str(), o.Threads);
    loop.options.ShellVariant = true;
    loop.progress = ErrorIsConsole() && !o.NoProgress;
    loop.totalFiles = run.files.size();
    if (!HashInOrder(loop)) run.writeFailed = true;
    WriteChecksums(&run);
    ::CloseHandle(run.list);
    if (run.writeFailed || !MoveFileUtf8(writePath.c_str(), target.c_str(),
                                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      DeleteFileUtf8(writePath.c_str());
      PrintError(o.Output + ": could not be written");
      code = 2;
    }
    SetFileToDropOnStop("");
  }
  FreePathStore(&selection.Paths);
  DestroyRecordPool(pool);
  if (code == 0 && (missing || run.skipped)) code = 1;
  return code;
}
