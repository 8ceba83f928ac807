// Looking selected files up in the lists beside them, as "&Verify Individual
// Files" does, under Wine: every file of FOLDER whose name starts with
// "sel" is a selected file, and the folder's lists are searched for each.
//   - the look-up alone with the index (each list read once per command);
//   - the look-up alone reading the lists again for every file (measured on
//     every k-th selected file, so that their places in the list are spread
//     as the whole selection's, and scaled to the whole selection);
//   - the whole verification with the index: look-up, then hashing through
//     a file hasher of the shell extension's kind, one file at a time, and
//     the row of each file.
// Every figure is the best of REPEAT runs. Lines that start with "=" carry
// key and value for scripts.
//
//   shell_lookup_bench.exe FOLDER\ [REPEAT] [SEARCHED_FILES]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/ticks_win32.h"
#include "hashing/file_hasher_win32.h"
#include "platform/handles_win32.h"
#include "shellext/candidate_lists_win32.h"
#include "shellext/verify_lines.h"

namespace {

void CountRow(void* context, const VerifyRow&) {
  ++*static_cast<int*>(context);
}

struct Selected {
  std::string Path;
  std::string Relative;
};

// Looks up every file in `files` (every `step`-th one); returns seconds, or
// -1 when a file is not found or memory runs out.
double LookUpAll(const std::string& folder, const std::vector<Selected>& files, size_t step,
                 bool useIndex) {
  const double start = NowSeconds();
  CandidateOptions options;
  options.UseIndex = useIndex;
  CandidateLists lists{};
  if (!FindCandidateLists(files[0].Path.c_str(), static_cast<uint32_t>(folder.size()), options,
                          &lists))
    return -1;
  static ListMatch match;
  int rows = 0;
  bool ok = true;
  for (size_t i = 0; i < files.size() && ok; i += step)
    ok = LookUpFile(&lists, files[i].Relative.c_str(), &match, CountRow, &rows) ==
         LookupResult::Found;
  FreeCandidateLists(&lists);
  return ok ? NowSeconds() - start : -1;
}

// Look-up, hashing and the row of each file; `*good` counts the "OK" rows.
double VerifyAll(const std::string& folder, const std::vector<Selected>& files, int* good) {
  const double start = NowSeconds();
  FileHasherOptions hasherOptions;
  hasherOptions.ShellVariant = true;
  FileHasher* hasher = CreateFileHasher(hasherOptions);
  if (!hasher) return -1;
  CandidateLists lists{};
  FindCandidateLists(files[0].Path.c_str(), static_cast<uint32_t>(folder.size()), {}, &lists);
  static ListMatch match;
  static VerifyRow row;
  VerifyCounters counters{};
  int rows = 0;
  for (const Selected& f : files) {
    if (LookUpFile(&lists, f.Relative.c_str(), &match, CountRow, &rows) != LookupResult::Found) {
      DescribeNotFound(f.Relative.c_str(), &counters, &row);
      continue;
    }
    FileRequest request;
    request.Path = f.Path.c_str();
    request.ExpectedSize = match.Entry.ExpectedSize;
    request.Algorithm = match.UseMd5 ? DigestAlgorithm::Md5 : DigestAlgorithm::Crc32;
    FileResult result{};
    if (SubmitFile(hasher, request) != SubmitOutcome::Accepted ||
        WaitFileResult(hasher, &result, INFINITE) != TakeOutcome::Ready)
      break;
    DescribeVerifiedFile(f.Relative.c_str(), result.Status, match.UseMd5, result.Digest.Crc,
                         match.Entry.ExpectedCrc, result.Digest.Bytes, match.Entry.ExpectedMd5,
                         &counters, &row);
    if (row.Kind == VerifyRowKind::Good) ++*good;
  }
  FreeCandidateLists(&lists);
  DestroyFileHasher(hasher);
  return NowSeconds() - start;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: shell_lookup_bench FOLDER\\ [REPEAT] [SEARCHED_FILES]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const int repeat = argc > 2 ? std::atoi(argv[2]) : 3;
  const size_t searched = argc > 3 ? static_cast<size_t>(std::atoi(argv[3])) : 50;

  std::vector<Selected> files;
  WIN32_FIND_DATAA found;
  UniqueFindHandle find(FindFirstFileA((folder + "sel*").c_str(), &found));
  if (find) {
    do files.push_back({folder + found.cFileName, found.cFileName});
    while (FindNextFileA(find.Get(), &found));
  }
  if (files.empty()) {
    std::fprintf(stderr, "no selected files in %s\n", folder.c_str());
    return 1;
  }
  const size_t step = searched >= files.size() || searched == 0 ? 1 : files.size() / searched;
  const size_t linearFiles = (files.size() + step - 1) / step;

  double indexed = 1e30, linear = 1e30, whole = 1e30;
  int good = 0;
  for (int r = 0; r < repeat; ++r) {
    const double a = LookUpAll(folder, files, 1, true);
    const double b = LookUpAll(folder, files, step, false);
    good = 0;
    const double c = VerifyAll(folder, files, &good);
    if (a < 0 || b < 0 || c < 0) {
      std::fprintf(stderr, "a selected file was not found\n");
      return 1;
    }
    indexed = a < indexed ? a : indexed;
    linear = b < linear ? b : linear;
    whole = c < whole ? c : whole;
  }
  const double linearAll =
      linear * static_cast<double>(files.size()) / static_cast<double>(linearFiles);
  const double n = static_cast<double>(files.size());
  std::printf("%zu selected files, best of %d:\n", files.size(), repeat);
  std::printf("%-58s %9.3f s %9.3f ms/file\n", "look-up, index (each list read once)", indexed,
              1000 * indexed / n);
  char what[128];
  std::snprintf(what, sizeof what, "look-up, reading the list per file (%zu files, scaled)",
                linearFiles);
  std::printf("%-58s %9.3f s %9.3f ms/file\n", what, linearAll, 1000 * linearAll / n);
  std::printf("%-58s %9.3f s %9.3f ms/file\n", "verification with the index (look-up + hash + row)",
              whole, 1000 * whole / n);
  std::printf("%-58s %9.3f s\n", "verification reading the list per file (estimate)",
              whole - indexed + linearAll);
  std::printf("= files %zu\n= good %d\n= indexed %.4f\n= linear %.4f\n= whole %.4f\n", files.size(),
              good, indexed, linearAll, whole);
  return 0;
}
