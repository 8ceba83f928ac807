// Helpers of the end-to-end tests: a private folder with its own copy of
// Corvana.exe and Corvana.ini, files with known checksums, and runs of the
// real executable through CreateProcess.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/handles_win32.h"
#include "tests/pipeline/test_files_win32.h"

struct TestFolder {
  std::string path;  // ends with '\'
};

// A new, empty folder under the system's temporary folder.
TestFolder MakeTestFolder(const char* tag);
void RemoveTestFolder(const TestFolder& folder);

void PutFile(const std::string& path, const std::string& bytes);
std::string GetFile(const std::string& path);
bool FileThere(const std::string& path);

// The lines of a results file, split at "\r\n".
std::vector<std::string> Lines(const std::string& text);

uint32_t Crc32Of(const std::string& bytes);
std::string Md5HexOf(const std::string& bytes);  // 32 lower-case digits
void Md5Of(const std::string& bytes, unsigned char digest[16]);

// The Windows path of the built Corvana.exe.
std::string BuiltCorvana();

// Copies Corvana.exe into `folder` and writes `ini` as its Corvana.ini.
std::string InstallCorvana(const TestFolder& folder, const std::string& ini);

// Starts `exe` with `arguments` in `workingDir`; the process handle, or an
// empty one.
UniqueKernelHandle StartCorvana(const std::string& exe, const std::string& arguments,
                                const std::string& workingDir);

// Runs it to its end (at most `timeoutMs`) and returns its exit code, or
// 0xDEADBEEF on a timeout (the process is then ended).
DWORD RunCorvana(const std::string& exe, const std::string& arguments,
                 const std::string& workingDir, DWORD timeoutMs = 60000);
