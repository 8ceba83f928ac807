// A throwaway folder that is the current directory while a test runs, and
// helpers that create real files in it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

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

// Deletes a folder and everything below it.
void RemoveTree(const std::string& path);

bool WriteBytes(const char* name, const std::vector<unsigned char>& bytes);
// A file of `size` bytes that occupies no disk space: every byte reads as 0.
bool MakeSparseFile(const char* name, uint64_t size);
bool MakeFolder(const char* name);

// Bytes that differ from block to block, so a block hashed twice or out of
// order changes the digest.
std::vector<unsigned char> PatternBytes(size_t size, uint32_t seed = 0);
