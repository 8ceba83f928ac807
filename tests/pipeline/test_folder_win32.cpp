#include "tests/pipeline/test_folder_win32.h"

#include "platform/files_win32.h"

#include "platform/handles_win32.h"

TestFolder::TestFolder() {
  char buffer[MAX_PATH];
  GetCurrentDirectoryA(sizeof buffer, buffer);
  previous_ = buffer;
  path_ = MakeTempFolder("pipe");
  path_.pop_back();  // without the trailing '\'
  SetCurrentDirectoryA(path_.c_str());
}

TestFolder::~TestFolder() {
  SetCurrentDirectoryA(previous_.c_str());
  RemoveTree(path_);
}

bool WriteBytes(const char* name, const std::vector<unsigned char>& bytes) {
  UniqueFileHandle file(
      CreateFileUtf8(name, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
  if (!file) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk =
        static_cast<DWORD>(bytes.size() - done > (1u << 24) ? (1u << 24) : bytes.size() - done);
    DWORD wrote = 0;
    if (!WriteFile(file.Get(), bytes.data() + done, chunk, &wrote, nullptr) || wrote != chunk)
      return false;
    done += chunk;
  }
  return true;
}

bool MakeFolder(const char* name) {
  return CreateFolderUtf8(name);
}

std::vector<unsigned char> PatternBytes(size_t size, uint32_t seed) {
  std::vector<unsigned char> bytes(size);
  uint32_t x = 0x9E3779B9u ^ seed;
  for (size_t i = 0; i < size; ++i) {
    x = x * 1664525u + 1013904223u;
    bytes[i] = static_cast<unsigned char>(x >> 24);
  }
  return bytes;
}
