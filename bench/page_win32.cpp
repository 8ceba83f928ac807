// The "Checksums" page, timed in one process under Wine:
//
//   page_bench.exe addpages REPEAT ITEM...
//     Initialize and AddPages of the handler from CoCreateInstance on the
//     built CRVNShll.dll, on the shell's selection of the items (one parent
//     folder; a folder given stands for the files in it): the best time of
//     AddPages alone ("= addpages SECONDS").
//   page_bench.exe digests FILE REPEAT
//     Every digest of FILE from one read with the page's hasher, digest
//     threads as the page starts them ("= all SECONDS", the best of REPEAT
//     runs before and REPEAT after the others), and each digest alone with
//     the file hasher as list creation and verification run it ("= single
//     WORD SECONDS", the best of REPEAT); the digests of both ways are
//     compared.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/ticks_win32.h"
#include "hashing/digest_names.h"
#include "hashing/file_hasher_win32.h"
#include "hashing/multi_digest_win32.h"
#include "tests/pipeline/test_files_win32.h"
#include "tests/shellext/explorer_host_win32.h"

namespace {

int AddPages(int repeat, const std::vector<std::string>& items) {
  ComApartment apartment;
  std::string install = MakeTempFolder("pagebench");
  if (InstallShellExtension(install).empty()) return 1;
  double best = 1e30;
  for (int r = 0; r < repeat; ++r) {
    ShellHandler handler;
    ComPtr<IDataObject> data = SelectionOf(items);
    if (!handler.Create() || !data || handler.Initialize(data.Get()) != S_OK) return 1;
    std::vector<HPROPSHEETPAGE> pages;
    const uint64_t start = Now();
    const HRESULT result = handler.AddPages(&pages);
    const double s = Seconds(Now() - start);
    if (result != S_OK || pages.size() != 1) return 1;
    for (HPROPSHEETPAGE page : pages) DestroyPropertySheetPage(page);
    if (s < best) best = s;
  }
  UnregisterShellExtension();
  RemoveTree(install);
  std::printf("= addpages %.6f\n", best);
  return 0;
}

bool HashAlone(const char* path, DigestAlgorithm algorithm, DigestValue* out) {
  FileHasherOptions options;
  options.SplitBlake3Blocks = true;
  FileHasher* hasher = CreateFileHasher(options);
  if (!hasher) return false;
  FileRequest request;
  request.Path = path;
  request.Algorithm = algorithm;
  FileResult result{};
  const bool ok = SubmitFile(hasher, request) == SubmitOutcome::Accepted &&
                  WaitFileResult(hasher, &result, INFINITE) == TakeOutcome::Ready &&
                  result.Status == Hashed;
  DestroyFileHasher(hasher);
  *out = result.Digest;
  return ok;
}

// The best of `repeat` runs of every digest from one read.
bool TimeAll(const std::string& path, int repeat, DigestValue* all, double* best) {
  for (int r = 0; r < repeat; ++r) {
    MultiDigestHasher* hasher = CreateMultiDigestHasher(MultiDigestThreadsPay());
    if (!hasher) return false;
    DWORD error = 0;
    const uint64_t start = Now();
    const MultiDigestOutcome outcome =
        HashAllDigests(hasher, path.c_str(), kDigestAlgorithmsInOrder,
                       static_cast<int>(kDigestAlgorithmCount), all, &error, nullptr);
    const double s = Seconds(Now() - start);
    DestroyMultiDigestHasher(hasher);
    if (outcome != MultiDigestOutcome::Hashed) return false;
    if (s < *best) *best = s;
  }
  return true;
}

int Digests(const char* file, int repeat) {
  const std::string path = WindowsPath(file);
  DigestValue all[kDigestAlgorithmCount];
  // Timed before and after the digests alone, so that a change in the
  // machine's load during the run favours neither side.
  double bestAll = 1e30;
  if (!TimeAll(path, repeat, all, &bestAll)) return 1;
  double best;
  for (size_t i = 0; i < kDigestAlgorithmCount; ++i) {
    best = 1e30;
    DigestValue alone{};
    for (int r = 0; r < repeat; ++r) {
      const uint64_t start = Now();
      if (!HashAlone(path.c_str(), kDigestAlgorithmsInOrder[i], &alone)) return 1;
      const double s = Seconds(Now() - start);
      if (s < best) best = s;
    }
    if (std::memcmp(alone.Bytes, all[i].Bytes, kMaxDigestBytes) != 0) {
      std::printf("the %s of one read differs from the digest alone\n",
                  DigestDisplayName(kDigestAlgorithmsInOrder[i]));
      return 1;
    }
    std::printf("= single %s %.4f\n", DigestWord(kDigestAlgorithmsInOrder[i]), best);
  }
  if (!TimeAll(path, repeat, all, &bestAll)) return 1;
  std::printf("= all %.4f\n", bestAll);
  return 0;
}

// The item, or the files in it when it is a folder (a command line cannot
// name a thousand files).
void AddItem(const std::string& item, std::vector<std::string>* items) {
  const DWORD attributes = GetFileAttributesA(item.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    items->push_back(item);
    return;
  }
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((item + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      items->push_back(item + "\\" + found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::strcmp(argv[1], "addpages") == 0) {
    std::vector<std::string> items;
    for (int i = 3; i < argc; ++i) AddItem(WindowsPath(argv[i]), &items);
    return AddPages(std::atoi(argv[2]), items);
  }
  if (argc == 4 && std::strcmp(argv[1], "digests") == 0)
    return Digests(argv[2], std::atoi(argv[3]));
  std::fprintf(stderr, "usage: page_bench addpages REPEAT ITEM... | digests FILE REPEAT\n");
  return 2;
}
