// The console program's one loop over the file hasher: files handed over in
// order (as many at once as the storage allows), results taken in the same
// order, and the progress line kept up to date meanwhile. check, hash and
// create differ only in where their files come from and what they make of
// each result.
#pragma once

#include <cstdint>
#include <string>

#include "hashing/file_hasher_win32.h"

// The next file to hash. `path` is lent to the hasher until the file's
// result is taken; `shown` names the file in the progress line; `sizeHint`
// (or 0) lets the progress count bytes while the file is read.
struct NextFile {
  FileRequest request;
  std::string path;
  std::string shown;
  uint64_t sizeHint = 0;
};

struct HashLoop {
  void* context = nullptr;
  // Fills `*next` for file number `sequence` (0, 1, 2...); false when there
  // are no more files.
  bool (*next)(void* context, uint32_t sequence, NextFile* next) = nullptr;
  // Receives each result in order, with the file's `shown` name.
  void (*take)(void* context, const FileResult& result, const std::string& shown) = nullptr;
  FileHasherOptions options;
  bool progress = false;    // show the progress line (standard error is a console)
  uint64_t totalFiles = 0;  // for the progress line; 0 when not known
  uint64_t totalBytes = 0;  // likewise
};

// Runs every file through a hasher of its own. False when the hasher could
// not be created (nothing was taken then).
bool HashInOrder(const HashLoop& loop);
