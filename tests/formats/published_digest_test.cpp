// One digest found in pasted text: every form people publish, the letter case
// and the grouping they print, and the text that holds none.
#include "formats/published_digest.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "hashing/digest_names.h"
#include "hashing/digest_text.h"

namespace {

// The digests of the empty input (CRC-32 of "123456789").
const std::string kCrc = "cbf43926";
const std::string kMd5 = "d41d8cd98f00b204e9800998ecf8427e";
const std::string kSha1 = "da39a3ee5e6b4b0d3255bfef95601890afd80709";
const std::string kSha256 = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
const std::string kSha512 =
    "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce"
    "47d0d13c5d85f2b0ff8318d2877eec2f63b931bd47417a81a538327af927da3e";

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

// `hex` in groups of `size` digits with `separator` between them.
std::string Grouped(const std::string& hex, size_t size, const std::string& separator) {
  std::string out;
  for (size_t i = 0; i < hex.size(); i += size) {
    if (i) out += separator;
    out += hex.substr(i, size);
  }
  return out;
}

// What was found, as one line: the digest, the candidates and whether they
// were named ("" when nothing was found).
std::string Find(const std::string& text) {
  // A copy without a terminator behind it, so that reading past the end of
  // the text shows under AddressSanitizer.
  std::unique_ptr<char[]> copy(new char[text.size() + 1]);
  std::memcpy(copy.get(), text.data(), text.size());
  PublishedDigest d;
  if (!FindPublishedDigest(std::string_view(copy.get(), text.size()), &d)) return "";
  char hex[2 * kMaxDigestBytes + 1];
  FormatDigestHexN(d.bytes, d.length, hex, false);
  std::string out = hex;
  for (int i = 0; i < d.algorithmCount; ++i)
    out += std::string(i ? "," : " ") + DigestDisplayName(d.algorithms[i]);
  if (d.named) out += " named";
  return out;
}

struct Case {
  std::string text;
  std::string found;  // as Find gives it
};

TEST(PublishedDigest, EveryForm) {
  const std::string sha256Any = kSha256 + " SHA-256,BLAKE3";
  const std::string sha256Named = kSha256 + " SHA-256 named";
  const Case cases[] = {
      // Bare hexadecimal of every length, in either case.
      {kCrc, kCrc + " CRC-32"},
      {Upper(kCrc), kCrc + " CRC-32"},
      {kMd5, kMd5 + " MD5"},
      {kSha1, kSha1 + " SHA-1"},
      {kSha256, sha256Any},
      {Upper(kSha256), sha256Any},
      {kSha512, kSha512 + " SHA-512"},
      {"  " + kMd5 + "\r\n", kMd5 + " MD5"},
      {"The MD5 is " + kMd5 + ".", kMd5 + " MD5"},
      {"checksum:" + kSha1, kSha1 + " SHA-1"},
      // Prefixes: the prefix decides the algorithm.
      {"sha256:" + kSha256, sha256Named},
      {"SHA256=" + kSha256, sha256Named},
      {"SHA-256: " + kSha256, sha256Named},
      {"sha-256 : " + Upper(kSha256), sha256Named},
      {"blake3:" + kSha256, kSha256 + " BLAKE3 named"},
      {"MD5: " + kMd5, kMd5 + " MD5 named"},
      {"SHA-1: " + kSha1, kSha1 + " SHA-1 named"},
      {"CRC-32: " + Upper(kCrc), kCrc + " CRC-32 named"},
      {"crc32=" + kCrc, kCrc + " CRC-32 named"},
      {"sha512:" + kSha512, kSha512 + " SHA-512 named"},
      {"SHA2-256: " + kSha256, sha256Named},
      // The lines of sha256sum and md5sum.
      {kSha256 + "  file.iso", sha256Any},
      {kSha256 + " *file.iso\n", sha256Any},
      {kMd5 + "  " + kSha1 + ".bin", kMd5 + " MD5"},
      {kCrc + "  cafebabe.txt", kCrc + " CRC-32"},
      {"\\" + kMd5 + "  a\\nb", kMd5 + " MD5"},  // an escaped name
      // Tagged lines, the name holding anything, OpenSSL's spacing.
      {"SHA256 (file.iso) = " + kSha256, sha256Named},
      {"MD5 (a) b) = c) = " + kMd5, kMd5 + " MD5 named"},
      {"BLAKE3 (" + kSha1 + ") = " + kSha256, kSha256 + " BLAKE3 named"},
      {"SHA2-512(x)= " + kSha512, kSha512 + " SHA-512 named"},
      {"sha1 (x) = " + Upper(kSha1), kSha1 + " SHA-1 named"},
      // Subresource Integrity, with its padding or without.
      {"sha256-47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU=", sha256Named},
      {"integrity=\"sha256-47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU\"", sha256Named},
      {"sha512-z4PhNX7vuL3xVChQ1m2AB9Yg5AULVxXcg/SpIdNs6c5H0NE8XYXysP+DGNKHfuwvY7kxvUdBeoGlODJ6+"
       "SfaPg==",
       kSha512 + " SHA-512 named"},
      {"sha256-47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFUx", ""},  // one character too many
      {"sha256-47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuF", ""},    // one too few
      {"md5-1B2M2Y8AsgTpgAmY7PhCfg==", ""},  // no Subresource Integrity algorithm
      // Blanks, colons and hyphens between groups.
      {Grouped(kSha256, 4, " "), sha256Any},
      {Grouped(Upper(kSha256), 2, ":"), sha256Any},
      {Grouped(kSha1, 8, "-"), kSha1 + " SHA-1"},
      {Grouped(kSha1.substr(0, 20), 4, " ") + "  " + Grouped(kSha1.substr(20), 4, " "),
       kSha1 + " SHA-1"},
      {"SHA-256: " + Grouped(kSha256, 8, " "), sha256Named},
      {Grouped(kSha512, 16, " "), kSha512 + " SHA-512"},
      {Grouped(kMd5, 2, " : "), kMd5 + " MD5"},
      // Text without a digest, digits of a wrong length, hex inside words.
      {"", ""},
      {"no checksum here", ""},
      {"deadbeef1", ""},
      {kMd5.substr(1), ""},
      {kSha256 + "0", ""},
      {"x" + kSha256, ""},
      {kSha256 + "g", ""},
      {"_" + kMd5, ""},
      {"release-" + kCrc, ""},
      {kCrc + "-linux", ""},
      {"123e4567-e89b-12d3-a456-426614174000", ""},
      {Grouped(kSha256, 4, " ") + " abcd", ""},
      {Grouped(kSha256, 4, "   "), ""},  // wider than a fingerprint's gap
      {"sha256:" + kSha1, ""},           // the prefix's algorithm has another length
      {"SHA256 (x) = " + kMd5, ""},
      {"sha2567:" + kSha256, sha256Any},  // no name: the digits alone
      // The first digest wins.
      {"MD5 " + kMd5 + "\nSHA-256 " + kSha256, kMd5 + " MD5"},
      {"bad " + kCrc + " then " + kSha1, kCrc + " CRC-32"},
  };
  for (const Case& c : cases) EXPECT_EQ(Find(c.text), c.found) << c.text;
}

// Every length of bare digits: only the lengths of an algorithm are digests.
TEST(PublishedDigest, BareLengths) {
  const std::string digits = kSha512 + kSha512;
  for (size_t n = 1; n <= 160; ++n) {
    const bool digest = n == 8 || n == 32 || n == 40 || n == 64 || n == 128;
    EXPECT_EQ(!Find(digits.substr(0, n)).empty(), digest) << n;
  }
}

}  // namespace
