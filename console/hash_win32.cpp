// crvn hash: the lines sha256sum, md5sum and b3sum print (or the tagged
// lines of --tag), one per file and algorithm; --expect checks one file
// against a published digest in any form the digest finder knows.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "console/commands_win32.h"
#include "console/console_output_win32.h"
#include "console/hash_in_order_win32.h"
#include "formats/digest_list.h"
#include "formats/published_digest.h"
#include "hashing/digest_names.h"
#include "hashing/digest_text.h"
#include "hashing/files_at_once_win32.h"
#include "platform/files_win32.h"
#include "results/record_pool.h"
#include "shellext/collect_selection_win32.h"
#include "shellext/list_text.h"
#include "verifier/entry_paths_win32.h"

namespace {

struct Item {
  std::string path;   // what the file is opened by
  std::string shown;  // its name in the lines
  uint64_t size;
};

uint64_t SizeOf(const WIN32_FILE_ATTRIBUTE_DATA& data) {
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The files the arguments name, folders walked with -r as "&Create .SFV
// File" walks them, each found file named by its folder's argument, "/" and
// its path below it. False when an argument names nothing to hash (it is
// reported, the others are still hashed).
bool CollectItems(const CrvnOptions& o, std::vector<Item>* items) {
  bool all = true;
  for (const std::string& arg : o.Arguments) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExUtf8(arg.c_str(), &data)) {
      PrintError(arg + ": No such file or directory");
      all = false;
      continue;
    }
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      items->push_back({FullPathOf(arg.c_str()), arg, SizeOf(data)});
      continue;
    }
    if (!o.Recursive) {
      PrintError(arg + ": Is a directory");
      all = false;
      continue;
    }
    std::string folder = FullPathOf(arg.c_str());
    while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    std::string prefix = arg;
    while (!prefix.empty() && (prefix.back() == '\\' || prefix.back() == '/')) prefix.pop_back();
    RecordPool* pool = CreateRecordPool(sizeof(SelectedFile), 64, 1024);
    Selection selection{};
    SelectedFile* tail = nullptr;
    if (!pool || !CollectFolder(folder.c_str(), false, pool, &selection, &tail)) {
      PrintError(arg + ": not enough memory");
      all = false;
    }
    const size_t below = folder.size() + (folder.back() == '\\' ? 0 : 1);
    for (const SelectedFile* f = selection.Head; f; f = f->Next) {
      WIN32_FILE_ATTRIBUTE_DATA found{};
      GetFileAttributesExUtf8(f->Path, &found);
      items->push_back({f->Path, prefix + "/" + std::string(f->Path + below), SizeOf(found)});
    }
    for (const SelectedFile* f = selection.Refused; f; f = f->Next) {
      PrintError(std::string(f->Path) + ": File name too long");
      all = false;
    }
    FreePathStore(&selection.Paths);
    if (pool) DestroyRecordPool(pool);
  }
  return all;
}

struct HashRun {
  const CrvnOptions* options;
  const std::vector<Item>* items;
  std::vector<DigestAlgorithm> algorithms;  // each item is hashed once per algorithm
  bool failed = false;
  // --expect
  const PublishedDigest* expected = nullptr;
  bool matched = false;
  DigestAlgorithm match = DigestAlgorithm::Sha256;
};

bool NextItem(void* context, uint32_t sequence, NextFile* next) {
  auto* r = static_cast<HashRun*>(context);
  const size_t perItem = r->algorithms.size();
  const size_t index = sequence / perItem;
  if (index >= r->items->size()) return false;
  const Item& item = (*r->items)[index];
  next->path = item.path;
  next->shown = item.shown;
  next->sizeHint = item.size;
  next->request.Algorithm = r->algorithms[sequence % perItem];
  next->request.Tag = sequence % perItem;
  return true;
}

// "name: No such file or directory" and the like for a file not hashed.
bool ReportUnhashed(const FileResult& result, const std::string& shown) {
  if (result.Status == Hashed) return false;
  if (result.Status == FileMissing || result.Status == Unresolved) {
    PrintError(shown + ": No such file or directory");
  } else if (result.Status == ReadError) {
    PrintError(shown + ": Permission denied");
  } else {
    PrintError(shown + ": changed while it was read");
  }
  return true;
}

void TakeLine(void* context, const FileResult& result, const std::string& shown) {
  auto* r = static_cast<HashRun*>(context);
  if (result.Status != Hashed) {
    if (result.Tag == 0) ReportUnhashed(result, shown);  // once, not once per algorithm
    r->failed = true;
    return;
  }
  const DigestAlgorithm a = r->algorithms[result.Tag];
  const int bytes = DigestBytes(a);
  std::string line(shown.size() * 2 + 2 * kMaxDigestBytes + 32, '\0');
  // "TAG (name) = hex" with --tag, as the tools write it, and XXH3 always
  // (xxhsum writes it only so: its 16 digits alone would read as XXH64);
  // "hex  name" else.
  const bool tagged = r->options->Tag || a == DigestAlgorithm::Xxh3;
  const int length = FormatDigestLine(line.data(), line.size(), shown.c_str(), result.Digest.Bytes,
                                      bytes, tagged ? DigestTag(a) : nullptr);
  if (length < 0) return;
  line.resize(static_cast<size_t>(length));
  line += '\n';
  Print(OutStream::Out, line);
}

void TakeExpect(void* context, const FileResult& result, const std::string& shown) {
  auto* r = static_cast<HashRun*>(context);
  if (result.Status != Hashed) {
    if (result.Tag == 0 && ReportUnhashed(result, shown)) r->failed = true;
    return;
  }
  if (r->matched) return;
  const DigestAlgorithm a = r->algorithms[result.Tag];
  if (std::memcmp(result.Digest.Bytes, r->expected->bytes, r->expected->length) == 0) {
    r->matched = true;
    r->match = a;
  }
}

HashLoop LoopFor(HashRun* run, const std::vector<Item>& items) {
  HashLoop loop;
  loop.context = run;
  loop.next = NextItem;
  loop.options = HasherOptionsFor(items.empty() ? "." : ListFolderOf(items[0].path).c_str(),
                                  run->options->Threads);
  loop.progress = ErrorIsConsole() && !run->options->NoProgress;
  loop.totalFiles = items.size() * run->algorithms.size();
  for (const Item& item : items) loop.totalBytes += item.size * run->algorithms.size();
  return loop;
}

}  // namespace

int RunHash(const CrvnOptions& o) {
  std::vector<Item> items;
  const bool all = CollectItems(o, &items);
  HashRun run;
  run.options = &o;
  run.items = &items;
  run.algorithms = o.Algorithms;
  HashLoop loop = LoopFor(&run, items);
  loop.take = TakeLine;
  if (!items.empty() && !HashInOrder(loop)) {
    PrintError("not enough memory");
    return 2;
  }
  FlushOutput();
  return all && !run.failed ? 0 : 1;
}

int RunHashExpect(const CrvnOptions& o) {
  PublishedDigest expected;
  if (!FindPublishedDigest(o.Expect, &expected)) {
    PrintError("no checksum found in '" + o.Expect + "'");
    return 2;
  }
  std::vector<Item> items;
  if (!CollectItems(o, &items)) return 1;
  HashRun run;
  run.options = &o;
  run.items = &items;
  run.expected = &expected;
  run.algorithms.assign(expected.algorithms, expected.algorithms + expected.algorithmCount);
  HashLoop loop = LoopFor(&run, items);
  loop.take = TakeExpect;
  if (!HashInOrder(loop)) {
    PrintError("not enough memory");
    return 2;
  }
  const std::string& name = o.Arguments[0];
  if (run.failed) {
    Print(OutStream::Out, name + ": FAILED open or read\n");
  } else if (run.matched) {
    Print(OutStream::Out, name + ": OK (" + DigestDisplayName(run.match) + ")\n");
  } else {
    Print(OutStream::Out, name + ": FAILED\n");
  }
  FlushOutput();
  return run.matched ? 0 : 1;
}
