// List creation of the shell extension, timed in one process under Wine:
//
//   shellext_bench.exe create sfv|md5|sha1|sha256|sha512|b3 LIST REPEAT ITEM...
//     (CORVANA_THREADS=N sets the "Threads" setting)
//     InvokeCommand of "&Create .SFV File" on the items (one parent folder),
//     the handler from CoCreateInstance on the built CRVNShll.dll, the name
//     dialog answered from a second thread (final message off). Prints the
//     best time from OK to the end of InvokeCommand ("= create SECONDS").
//   shellext_bench.exe pieces FOLDER
//     Where the time of one small file goes, measured with the calls the
//     command makes, over every file of FOLDER: the directory search of the
//     file, its opening as the shell's hasher opens it (bypassing the cache),
//     the hand-off to a file hasher of the shell's kind and back, one file at
//     a time (hashing included), and the writing of its two lines.
//     Microseconds per file.
//   shellext_bench.exe reads FILE
//     FILE read in 1 MiB blocks bypassing the cache and with the sequential
//     hint: what the shell's way of opening costs on a cached file.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/ticks_win32.h"
#include "hashing/file_hasher_win32.h"
#include "platform/handles_win32.h"
#include "tests/pipeline/test_files_win32.h"
#include "tests/shellext/explorer_host_win32.h"

namespace {

int Create(int argc, char** argv) {
  // The drop-down's entries in their order.
  static const char* const kTypes[] = {"sfv", "md5", "sha1", "sha256", "sha512", "b3"};
  int type = 0;
  for (int i = 0; i < 6; ++i)
    if (std::strcmp(argv[2], kTypes[i]) == 0) type = i;
  std::string list = WindowsPath(argv[3]);
  int repeat = std::atoi(argv[4]);
  std::vector<std::string> items;
  for (int i = 5; i < argc; ++i) items.push_back(WindowsPath(argv[i]));
  ComApartment apartment;
  std::string install = MakeTempFolder("shellbench");
  if (InstallShellExtension(install).empty()) return 1;
  WritePrivateProfileStringA("Corvana", "ShowDoneCreate", "0", (install + "Corvana.ini").c_str());
  // CORVANA_THREADS: the "Threads" setting (files hashed at once).
  if (const char* threads = std::getenv("CORVANA_THREADS"))
    WritePrivateProfileStringA("Corvana", "Threads", threads, (install + "Corvana.ini").c_str());
  double best = 1e30;
  for (int r = 0; r < repeat; ++r) {
    ShellHandler handler;
    ComPtr<IDataObject> data = SelectionOf(items);
    if (!handler.Create() || !data) return 1;
    handler.Initialize(data.Get());
    volatile uint64_t pressed = 0;
    DialogDriver driver({{"Create .SFV file - Corvana", [&](HWND dialog, DialogDriver&) {
                            SelectComboEntry(dialog, 1003, type);
                            SetControlText(dialog, 1000, list);
                            pressed = Now();
                            PressButton(dialog, IDOK);
                          }}});
    HRESULT result = handler.Invoke(0);
    uint64_t end = Now();
    if (!driver.Finish() || result != S_OK) return 1;
    double s = Seconds(end - pressed);
    std::printf("run %d: %.3f s\n", r + 1, s);
    if (s < best) best = s;
  }
  UnregisterShellExtension();
  RemoveTree(install);
  std::printf("= create %.4f\n", best);
  return 0;
}

int Pieces(const char* folderArg) {
  std::string folder = WindowsPath(folderArg);
  if (folder.back() != '\\') folder += '\\';
  std::vector<std::string> files;
  WIN32_FIND_DATAA found;
  uint64_t t0 = Now();
  {
    UniqueFindHandle search(FindFirstFileA((folder + "*.*").c_str(), &found));
    if (!search) return 1;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        files.push_back(folder + found.cFileName);
    } while (FindNextFileA(search.Get(), &found));
  }
  double listing = Seconds(Now() - t0);
  double n = static_cast<double>(files.size());
  if (files.empty()) return 1;

  t0 = Now();
  for (const std::string& f : files) {
    UniqueFindHandle one(FindFirstFileA(f.c_str(), &found));
  }
  double search = Seconds(Now() - t0);

  t0 = Now();
  for (const std::string& f : files) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    GetFileAttributesExA(f.c_str(), GetFileExInfoStandard, &data);
  }
  double attributes = Seconds(Now() - t0);

  t0 = Now();
  for (const std::string& f : files) {
    UniqueFileHandle file(CreateFileA(f.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_NO_BUFFERING, nullptr));
  }
  double open = Seconds(Now() - t0);

  FileHasherOptions hasherOptions;
  hasherOptions.ShellVariant = true;
  FileHasher* hasher = CreateFileHasher(hasherOptions);
  if (!hasher) return 1;
  t0 = Now();
  for (const std::string& f : files) {
    FileRequest request;
    request.Path = f.c_str();
    FileResult result;
    if (SubmitFile(hasher, request) == SubmitOutcome::Accepted)
      WaitFileResult(hasher, &result, INFINITE);
  }
  double handOff = Seconds(Now() - t0);
  DestroyFileHasher(hasher);

  std::string listPath = folder + "..\\pieces.tmp";
  UniqueFileHandle list(CreateFileA(listPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  char line[] = ";         4096  12:00.00 2026-01-01 file00000.bin\r\n";
  t0 = Now();
  for (size_t i = 0; i < 2 * files.size(); ++i) {
    DWORD written = 0;
    WriteFile(list.Get(), line, sizeof line - 1, &written, nullptr);
  }
  double writes = Seconds(Now() - t0);
  list.Reset();
  DeleteFileA(listPath.c_str());

  std::printf("%zu files in %s\n", files.size(), folder.c_str());
  std::printf("%-52s %9.1f us/file\n", "listing the folder (FindFirst/NextFile)",
              listing / n * 1e6);
  std::printf("%-52s %9.1f us/file\n", "directory search of the file (FindFirstFile)",
              search / n * 1e6);
  std::printf("%-52s %9.1f us/file\n", "the same by GetFileAttributesEx", attributes / n * 1e6);
  std::printf("%-52s %9.1f us/file\n", "open + close, bypassing the cache", open / n * 1e6);
  std::printf("%-52s %9.1f us/file\n", "hasher hand-off and back, hashing included",
              handOff / n * 1e6);
  std::printf("%-52s %9.1f us/file\n", "two list lines, one WriteFile each", writes / n * 1e6);
  std::printf("= pieces %.1f %.1f %.1f %.1f %.1f\n", listing / n * 1e6, search / n * 1e6,
              open / n * 1e6, handOff / n * 1e6, writes / n * 1e6);
  return 0;
}

// Reads FILE in 1 MiB blocks opened as the shell's hasher opens it
// (bypassing the cache) and as the verifier's does (sequential hint): what
// bypassing the cache costs on a cached file.
int Reads(const char* fileArg) {
  std::string path = WindowsPath(fileArg);
  void* buffer = VirtualAlloc(nullptr, 1 << 20, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  const struct {
    const char* what;
    DWORD flags;
  } modes[] = {{"1 MiB reads bypassing the cache (shell)", FILE_FLAG_NO_BUFFERING},
               {"1 MiB reads with the sequential hint (verifier)", FILE_FLAG_SEQUENTIAL_SCAN}};
  for (const auto& mode : modes) {
    double best = 1e30;
    for (int r = 0; r < 3; ++r) {
      UniqueFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, mode.flags, nullptr));
      if (!file) return 1;
      uint64_t t0 = Now(), total = 0;
      DWORD got = 0;
      while (ReadFile(file.Get(), buffer, 1 << 20, &got, nullptr) && got) total += got;
      double s = Seconds(Now() - t0);
      if (s < best) best = s;
    }
    std::printf("%-52s %9.3f s\n", mode.what, best);
  }
  VirtualFree(buffer, 0, MEM_RELEASE);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 6 && std::strcmp(argv[1], "create") == 0) return Create(argc, argv);
  if (argc == 3 && std::strcmp(argv[1], "pieces") == 0) return Pieces(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "reads") == 0) return Reads(argv[2]);
  std::fprintf(stderr,
               "usage: shellext_bench create sfv|md5|sha1|sha256|sha512|b3 LIST REPEAT ITEM...\n"
               "       shellext_bench pieces FOLDER\n"
               "       shellext_bench reads FILE\n");
  return 2;
}
