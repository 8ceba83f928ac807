// The names people and files give each digest algorithm, in one table, so
// that the page, the console program and the lists agree on them.
//
//   DigestDisplayName(a): as shown to people: "CRC-32", "MD5", "SHA-1",
//     "SHA-256", "SHA-512", "BLAKE3", "XXH32", "XXH64", "XXH3", "XXH128".
//   DigestWord(a): as written in settings and on command lines: "crc32",
//     "md5", "sha1", "sha256", "sha512", "blake3", "xxh32", "xxh64", "xxh3",
//     "xxh128".
//   DigestFromWord(word, &a): the algorithm of a word, ignoring case; false
//     for any other word (a is then unchanged).
//   kDigestAlgorithmsInOrder: every algorithm in the order rows show them.
#pragma once

#include <cstddef>
#include <string_view>

#include "hashing/digest_algorithm.h"

const char* DigestDisplayName(DigestAlgorithm algorithm);
const char* DigestWord(DigestAlgorithm algorithm);
bool DigestFromWord(std::string_view word, DigestAlgorithm* algorithm);

inline constexpr DigestAlgorithm kDigestAlgorithmsInOrder[] = {
    DigestAlgorithm::Crc32,  DigestAlgorithm::Md5,    DigestAlgorithm::Sha1,
    DigestAlgorithm::Sha256, DigestAlgorithm::Sha512, DigestAlgorithm::Blake3,
    DigestAlgorithm::Xxh32,  DigestAlgorithm::Xxh64,  DigestAlgorithm::Xxh3,
    DigestAlgorithm::Xxh128,
};
inline constexpr size_t kDigestAlgorithmCount = std::size(kDigestAlgorithmsInOrder);
