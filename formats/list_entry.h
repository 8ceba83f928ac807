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

constexpr int kMaxEntryName = 511;  // FileName holds at most this many bytes

struct ListEntry {
  char FileName[kMaxEntryName + 1];
  uint64_t ExpectedSize;
  uint32_t ExpectedCrc;
  unsigned char ExpectedMd5[16];
  uint64_t ParStatus;
};
