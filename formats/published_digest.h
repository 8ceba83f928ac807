// One digest as people publish it beside a download, found in any text a user
// pastes or copies: a web page's line, a command's output, a bare number.
//
// Forms recognised, in any letter case, with blanks, colons and hyphens
// between groups of digits ignored:
//   - bare hexadecimal of 8, 32, 40, 64 or 128 digits (and the lengths of any
//     other algorithm in kDigestAlgorithmsInOrder);
//   - an algorithm prefix: "sha256:HEX", "SHA256=HEX", "SHA-256: HEX" (the
//     prefix decides the algorithm);
//   - a line as sha256sum or md5sum writes it ("HEX  name", "HEX *name");
//   - a tagged line "SHA256 (name) = HEX";
//   - Subresource Integrity "sha256-BASE64" and "sha512-BASE64".
//
// Contract:
//   FindPublishedDigest(text, &out) looks for the first digest in `text`
//   (UTF-8, any length, not necessarily terminated) and returns true with
//   `out` filled, or false when no digest can be found (out is then
//   unspecified). It never reads outside `text` and allocates nothing.
//   out.algorithms lists every algorithm the digest may be, those whose
//   digest has out.length bytes: one when a prefix, a tag or Subresource
//   Integrity names it, else all of that length in kDigestAlgorithmsInOrder
//   (64 digits: SHA-256 and BLAKE3). The caller compares out.bytes with the
//   digest of each candidate and names the one that matches. out.bytes are in
//   the order their digits are printed (CRC-32: most significant byte first).
#pragma once

#include <cstdint>
#include <string_view>

#include "hashing/digest_algorithm.h"

struct PublishedDigest {
  unsigned char bytes[kMaxDigestBytes];
  int length;  // bytes of the digest
  DigestAlgorithm algorithms[8];
  int algorithmCount;
  bool named;  // a prefix, a tag or Subresource Integrity named the algorithm
};

bool FindPublishedDigest(std::string_view text, PublishedDigest* out);
