// A throwaway folder that is the current directory while a test runs, and
// helpers that create real files in it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/pipeline/test_files_win32.h"

class TestFolder {
 public:
  TestFolder();
  ~TestFolder();
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  std::string previous_;
};

bool WriteBytes(const char* name, const std::vector<unsigned char>& bytes);
bool MakeFolder(const char* name);

// Bytes that differ from block to block, so a block hashed twice or out of
// order changes the digest.
std::vector<unsigned char> PatternBytes(size_t size, uint32_t seed = 0);
