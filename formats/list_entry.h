// What a list reader yields: the list formats and one entry of a list.
#pragma once

#include <cstdint>

#include "hashing/digest_algorithm.h"

// DigestList: the lists of the digest tools ("HEX  name", "HEX *name" and the
// tagged "SHA256 (name) = HEX"), for SHA-1, SHA-256, SHA-512, BLAKE3, MD5 and
// the XXH family; each entry carries its own algorithm.
enum class ListFormat { Sfv, Md5, Ckz, Csv, SheriffCrc, TextCrc, BinaryCrc, Par, DigestList };

// Md5 and Par lists are verified with MD5, every other format with CRC-32,
// except DigestList, whose entries say which algorithm (ListEntry::Algorithm).
inline bool UsesMd5(ListFormat f) {
  return f == ListFormat::Md5 || f == ListFormat::Par;
}

// The entries name their own algorithm and carry their digest in
// ListEntry::ExpectedDigest only in these lists.
inline bool UsesDigest(ListFormat f) {
  return f == ListFormat::DigestList;
}

// Lists that are never written to by their format: no previously-verified
// database is kept in them and the list operations refuse them. The digest
// tools' lists stay exactly as their tools wrote them, so those tools still
// check them. Whether one particular list may keep a database is decided by
// ListMayKeepDatabase (formats/list_detection.h), which also refuses signed
// lists and lists without a sound entry.
inline bool ListIsReadOnly(ListFormat f) {
  return f == ListFormat::DigestList;
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
  // Set by ReadListEntry for every format: Crc32 for the CRC lists, Md5 for
  // Md5 and Par lists, the line's own algorithm in a DigestList.
  DigestAlgorithm Algorithm;
  // The first DigestBytes(Algorithm) bytes hold the expected digest in the
  // order it is printed: the CRC-32 most significant byte first, the MD5 as
  // in ExpectedMd5, the others as their lists give them. An MD5 entry of a
  // DigestList fills ExpectedMd5 too.
  unsigned char ExpectedDigest[kMaxDigestBytes];
};
