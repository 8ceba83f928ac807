#include "hashing/digest_names.h"

namespace {

struct NameRow {
  DigestAlgorithm algorithm;
  const char* display;
  const char* word;
};

constexpr NameRow kNames[] = {
    {DigestAlgorithm::Crc32, "CRC-32", "crc32"},    {DigestAlgorithm::Md5, "MD5", "md5"},
    {DigestAlgorithm::Sha1, "SHA-1", "sha1"},       {DigestAlgorithm::Sha256, "SHA-256", "sha256"},
    {DigestAlgorithm::Sha512, "SHA-512", "sha512"}, {DigestAlgorithm::Blake3, "BLAKE3", "blake3"},
    {DigestAlgorithm::Xxh32, "XXH32", "xxh32"},     {DigestAlgorithm::Xxh64, "XXH64", "xxh64"},
    {DigestAlgorithm::Xxh3, "XXH3", "xxh3"},        {DigestAlgorithm::Xxh128, "XXH128", "xxh128"},
};

const NameRow* RowOf(DigestAlgorithm algorithm) {
  for (const NameRow& row : kNames) {
    if (row.algorithm == algorithm) return &row;
  }
  return nullptr;
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

const char* DigestDisplayName(DigestAlgorithm algorithm) {
  const NameRow* row = RowOf(algorithm);
  return row ? row->display : "";
}

const char* DigestWord(DigestAlgorithm algorithm) {
  const NameRow* row = RowOf(algorithm);
  return row ? row->word : "";
}

bool DigestFromWord(std::string_view word, DigestAlgorithm* algorithm) {
  for (const NameRow& row : kNames) {
    std::string_view candidate(row.word);
    if (candidate.size() != word.size()) continue;
    bool same = true;
    for (size_t i = 0; i < word.size() && same; ++i) same = Lower(word[i]) == candidate[i];
    if (same) {
      *algorithm = row.algorithm;
      return true;
    }
  }
  return false;
}
