// Byte-level helpers of the list-format tests, free of gtest so that the fuzz
// targets use them too: a file read back whole, and PAR 1.0 index files built
// field by field with a correct control hash.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hashing/md5.h"
#include "platform/file.h"

namespace listtest {

// Every byte of the file at `path`; empty when it cannot be opened.
inline std::string ReadWhole(const std::string& path) {
  UniqueFile in(OpenFile(path.c_str(), OpenMode::ReadShared));
  std::string all;
  char chunk[4096];
  uint32_t got = 0;
  while (in && ReadFromFile(in.Get(), chunk, sizeof chunk, &got) && got > 0) all.append(chunk, got);
  return all;
}

inline std::string Le64(uint64_t v) {
  std::string b(8, '\0');
  for (int i = 0; i < 8; ++i) b[static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
  return b;
}

inline std::string Utf16(const std::u16string& text) {
  std::string b;
  for (char16_t u : text) {
    b += static_cast<char>(u & 0xFF);
    b += static_cast<char>(u >> 8);
  }
  return b;
}

// The 16-byte MD5 digest of `bytes`.
inline std::string Md5Of(const std::string& bytes) {
  MD5_CTX c;
  MD5Init(&c);
  MD5Update(&c, bytes.data(), static_cast<uint32_t>(bytes.size()));
  std::string d(16, '\0');
  MD5Final(reinterpret_cast<unsigned char*>(&d[0]), &c);
  return d;
}

// Writes the control hash of `par` (bytes 16 to 31) for what it now holds.
inline void Seal(std::string* par) {
  par->replace(16, 16, Md5Of(par->substr(32)));
}

struct ParFile {
  std::string Name;  // UTF-16LE bytes
  uint64_t Status;
  uint64_t Size;
  char Fill;               // the two digests are made of this byte
  uint64_t EntrySize = 0;  // 0: the true size
};

// A sealed index of `files`, its file list right behind the 96-byte header
// unless `listOffset` says otherwise.
inline std::string MakePar(const std::vector<ParFile>& files, uint64_t listOffset = 96) {
  std::string list;
  for (const ParFile& f : files) {
    const uint64_t size = f.EntrySize ? f.EntrySize : 56 + f.Name.size();
    list += Le64(size) + Le64(f.Status) + Le64(f.Size) + std::string(16, f.Fill) +
            std::string(16, f.Fill) + f.Name;
  }
  std::string par = std::string("PAR\0\0\0\0\0", 8) + Le64(0x00010000) + std::string(16, '\0') +
                    std::string(16, 's') + Le64(0) + Le64(files.size()) + Le64(listOffset) +
                    Le64(list.size()) + Le64(96 + list.size()) + Le64(0) + list;
  Seal(&par);
  return par;
}

}  // namespace listtest
