// What a list reader yields: the list formats and one entry of a list.
#pragma once

#include <cstdint>

enum class ListFormat { Sfv, Md5, Ckz, Csv, SheriffCrc, TextCrc, BinaryCrc, Par };

// Md5 and Par lists are verified with MD5, every other format with CRC-32.
inline bool UsesMd5(ListFormat f) {
  return f == ListFormat::Md5 || f == ListFormat::Par;
}

// ExpectedSize when the list gives no size: no length check is made.
constexpr uint64_t UnknownSize = ~uint64_t{0};

// FileName holds at most this many bytes of UTF-8: a name or relative path
// of any length a list is likely to give (the system's paths stop at 32,767
// UTF-16 units). A longer name is an invalid line, never a cut one.
constexpr int kMaxEntryName = 32767;

struct ListEntry {
  char FileName[kMaxEntryName + 1];
  uint64_t ExpectedSize;
  uint32_t ExpectedCrc;
  unsigned char ExpectedMd5[16];
  uint64_t ParStatus;
};
