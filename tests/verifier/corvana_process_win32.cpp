#include "corvana_process_win32.h"

#include <cstdio>
#include <vector>

#include "hashing/crc32.h"
#include "hashing/md5.h"
#include "platform/files_win32.h"
#include "platform/text_win32.h"

TestFolder MakeTestFolder(const char* tag) {
  return TestFolder{MakeTempFolder(tag)};
}

void RemoveTestFolder(const TestFolder& folder) {
  RemoveTree(folder.path);
}

void PutFile(const std::string& path, const std::string& bytes) {
  UniqueFileHandle f(
      CreateFileUtf8(path.c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
  DWORD n = 0;
  if (f && !bytes.empty())
    ::WriteFile(f.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
}

std::string GetFile(const std::string& path) {
  UniqueFileHandle f(CreateFileUtf8(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
  std::string out;
  if (!f) return out;
  char buffer[65536];
  DWORD n = 0;
  while (::ReadFile(f.Get(), buffer, sizeof buffer, &n, nullptr) && n > 0) out.append(buffer, n);
  return out;
}

bool FileThere(const std::string& path) {
  return GetFileAttributesUtf8(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find("\r\n", at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

uint32_t Crc32Of(const std::string& bytes) {
  return ~UpdateCRC32(0xFFFFFFFFu, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

void Md5Of(const std::string& bytes, unsigned char digest[16]) {
  MD5_CTX ctx;
  MD5Init(&ctx);
  MD5Update(&ctx, bytes.data(), static_cast<uint32_t>(bytes.size()));
  MD5Final(digest, &ctx);
}

std::string Md5HexOf(const std::string& bytes) {
  unsigned char d[16];
  Md5Of(bytes, d);
  char hex[33];
  for (int i = 0; i < 16; ++i) std::snprintf(hex + 2 * i, 3, "%02x", d[i]);
  return hex;
}

std::string BuiltCorvana() {
  std::string unixPath = CORVANA_EXE_PATH;
  std::string path = "Z:";
  for (char c : unixPath) path += c == '/' ? '\\' : c;
  return path;
}

std::string InstallCorvana(const TestFolder& folder, const std::string& ini) {
  std::string exe = folder.path + "Corvana.exe";
  ::CopyFileA(BuiltCorvana().c_str(), exe.c_str(), FALSE);
  PutFile(folder.path + "Corvana.ini", ini);
  return exe;
}

UniqueKernelHandle StartCorvana(const std::string& exe, const std::string& arguments,
                                const std::string& workingDir) {
  // Wide, so that arguments may name any file.
  std::wstring line = Wide("\"" + exe + "\" " + arguments);
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  const std::wstring program = Wide(exe), folder = Wide(workingDir);
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!::CreateProcessW(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingDir.empty() ? nullptr : folder.c_str(), &si, &pi)) {
    return UniqueKernelHandle();
  }
  ::CloseHandle(pi.hThread);
  return UniqueKernelHandle(pi.hProcess);
}

DWORD RunCorvana(const std::string& exe, const std::string& arguments,
                 const std::string& workingDir, DWORD timeoutMs) {
  UniqueKernelHandle process = StartCorvana(exe, arguments, workingDir);
  if (!process) return 0xDEADBEEF;
  if (::WaitForSingleObject(process.Get(), timeoutMs) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.Get(), 1);
    return 0xDEADBEEF;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process.Get(), &code);
  return code;
}
