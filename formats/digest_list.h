// The lists of the digest tools (sha1sum, sha256sum, sha512sum, b3sum,
// md5sum, openssl dgst): their names, their line grammar and their reader.
//
// Untagged lines: "HEX  name" or "HEX *name" (the "*" is the binary flag and
// means nothing here). Tagged lines: "SHA256 (name) = HEX", with any blanks
// between tag and "(", and OpenSSL's "SHA2-256(name)= HEX"; the tag decides
// the line's algorithm, so one list may mix them. A line that starts with
// "\" has an escaped name, in which "\\", "\n" and "\r" stand for a
// backslash, a line feed and a carriage return; any other escape makes the
// line malformed. Lines starting with "#" are comments. Digests are read in
// either case.
//
// Names are yielded with every "/" turned into "\": the lists come from
// systems that separate folders with "/", the file names are resolved with
// "\".
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "formats/list_reader.h"
#include "hashing/digest_algorithm.h"
#include "platform/file.h"

// The algorithm a list's name gives: the extensions ".sha1", ".sha256",
// ".sha512", ".b3", ".blake3" and ".md5", and the file names "SHA1SUMS",
// "SHA256SUMS", "SHA512SUMS", "B3SUMS" and "MD5SUMS", alone or with any
// extension behind them ("SHA256SUMS.txt"); all ignoring case. False for any
// other name. `*extensionOnly` (when given) tells whether it was one of the
// extensions, which win over every other list extension, while a "SUMS" name
// gives way to one (ClassifyListPath).
bool DigestListNameAlgorithm(const char* path, DigestAlgorithm* algorithm,
                             bool* byExtension = nullptr);

// One digest line taken apart.
struct DigestLine {
  DigestAlgorithm Algorithm;
  unsigned char Digest[kMaxDigestBytes];  // DigestBytes(Algorithm) of them
  char Name[kMaxEntryName + 1];           // unescaped, "/" turned into "\"
  uint32_t NameLength;
  bool Tagged;
  bool Escaped;  // the line started with "\"
};

// Parses one line (without its terminator). `named` is the list's algorithm
// by its name, or null; an untagged line must then have its length, while
// without it the length decides (32 MD5, 40 SHA-1, 64 SHA-256, 128 SHA-512).
// False for a malformed line: wrong shape, an unknown tag, a digest of the
// wrong length or with a non-hex digit, an empty name, a bad escape or a
// name longer than 511 bytes.
bool ParseDigestLine(const char* line, size_t length, const DigestAlgorithm* named,
                     DigestLine* out);

// What the first lines of a list say about it.
enum class DigestContent {
  None,      // not a digest list (or no line at all)
  PlainMd5,  // untagged, unescaped lines of 32-digit digests: the Md5 reader's lines
  Digest,    // digest lines the Md5 reader cannot read (tagged, escaped, longer digests)
};

// Reads the list from its first line (in the list's encoding, which the reader
// has decided) and looks at its first three lines that are
// not comments: each must be a digest line by itself (ParseDigestLine without
// a name's algorithm); the untagged ones must all have the same length. The
// file position is left anywhere.
DigestContent SniffDigestList(const ListReader& reader, NativeFile file);

// One tag that tagged lines carry before the name ("SHA256", "SHA2-256").
struct DigestLineTag {
  const char* Text;
  DigestAlgorithm Algorithm;
};

// Every tag the reader accepts, in upper case as the tools print them. The
// published-digest finder names algorithms by the same tags.
std::span<const DigestLineTag> DigestLineTags();

// The tag the lists print for `algorithm` ("SHA256", "BLAKE3", "MD5"...).
const char* DigestTag(DigestAlgorithm algorithm);

// Reads the next entry of a DigestList: skips comments; reports malformed
// lines ("Invalid line in SHA256 file: ...", or "checksum file" when the
// list's name gives no algorithm) and goes on. `algorithm` and `digest` may
// be null (the counting pass). Returns the length of the name (> 0), or what
// the line reader returned at the end.
int32_t ReadDigestListEntry(const ListReader& reader, NativeFile file, char* name, int32_t nameSize,
                            DigestAlgorithm* algorithm, unsigned char* digest);
