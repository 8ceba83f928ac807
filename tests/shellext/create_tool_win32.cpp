// Writes a list through the shell extension as Explorer would have it
// written: shellext_create_tool sfv|md5|sha1|sha256|sha512|b3|xxh3|xxh128 LIST ITEM...
// ITEMs (files or folders of one parent folder) and LIST are Windows paths or
// Unix paths (taken as Z:), in any characters. The dialogs are answered from
// a second thread; the final message is switched off. Prints the time the
// command took. The environment variable CORVANA_THREADS, when set, is
// written as the "Threads" setting.
// shellext_create_tool probe FILE: exit status 0 when this build's file hasher
// opens FILE (a name outside the ANSI code page, say), 3 when it does not.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "platform/text_win32.h"
#include "tests/pipeline/test_files_win32.h"
#include "tests/shellext/explorer_host_win32.h"

int main() {
  // The wide command line: the arguments' names may hold any character.
  int argc = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.push_back(Utf8(wide[i]));
  LocalFree(wide);
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  if (argc == 3 && std::strcmp(argv[1], "probe") == 0)
    return HasherOpens(WindowsPath(argv[2])) ? 0 : 3;
  // The drop-down's entries in their order.
  static const char* const kTypes[] = {"sfv",    "md5", "sha1", "sha256",
                                       "sha512", "b3",  "xxh3", "xxh128"};
  int type = -1;
  for (int i = 0; argc >= 4 && i < static_cast<int>(std::size(kTypes)); ++i)
    if (std::strcmp(argv[1], kTypes[i]) == 0) type = i;
  if (type < 0) {
    std::fprintf(stderr,
                 "usage: shellext_create_tool sfv|md5|sha1|sha256|sha512|b3|xxh3|xxh128 LIST "
                 "ITEM...\n");
    return 2;
  }
  std::string list = WindowsPath(argv[2]);
  std::vector<std::string> items;
  for (int i = 3; i < argc; ++i) items.push_back(WindowsPath(argv[i]));

  ComApartment apartment;
  std::string install = MakeTempFolder("shelltool");
  int status = 1;
  if (InstallShellExtension(install).empty()) {
    std::fprintf(stderr, "cannot register the extension\n");
  } else {
    WritePrivateProfileStringA("Corvana", "ShowDoneCreate", "0", (install + "Corvana.ini").c_str());
    if (const char* threads = std::getenv("CORVANA_THREADS"))
      WritePrivateProfileStringA("Corvana", "Threads", threads, (install + "Corvana.ini").c_str());
    ShellHandler handler;
    ComPtr<IDataObject> data = SelectionOf(items);
    if (!handler.Create() || !data) {
      std::fprintf(stderr, "cannot create the handler or the selection\n");
    } else {
      handler.Initialize(data.Get());
      DialogDriver driver({{"Create .SFV file - Corvana", [&](HWND dialog, DialogDriver&) {
                              SelectComboEntry(dialog, 1003, type);
                              SetControlText(dialog, 1000, list);
                              PressButton(dialog, IDOK);
                            }}});
      LARGE_INTEGER start, end, frequency;
      QueryPerformanceFrequency(&frequency);
      QueryPerformanceCounter(&start);
      HRESULT result = handler.Invoke(0);
      QueryPerformanceCounter(&end);
      bool answered = driver.Finish();
      std::printf("command: %.3f s\n",
                  static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
      status = result == S_OK && answered &&
                       GetFileAttributesW(Wide(list).c_str()) != INVALID_FILE_ATTRIBUTES
                   ? 0
                   : 1;
    }
    handler.Reset();
    UnregisterShellExtension();
  }
  CoFreeUnusedLibraries();
  RemoveTree(install);
  return status;
}
