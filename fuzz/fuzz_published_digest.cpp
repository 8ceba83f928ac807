// A digest found in pasted text: the input is the text itself, read from a
// buffer of exactly its size so that a read past its end is caught. What is
// found must be a digest of one of its candidates' lengths, and it must be
// found again, the same, when it is printed in the forms people publish.
#include <cstring>
#include <memory>
#include <string>

#include "formats/published_digest.h"
#include "hashing/digest_names.h"
#include "hashing/digest_text.h"
#include "list_fuzz.h"

namespace {

bool Same(const PublishedDigest& a, const PublishedDigest& b) {
  return a.length == b.length && std::memcmp(a.bytes, b.bytes, static_cast<size_t>(a.length)) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<char[]> text(new char[size ? size : 1]);
  if (size) std::memcpy(text.get(), data, size);
  PublishedDigest found;
  if (!FindPublishedDigest(std::string_view(text.get(), size), &found)) return 0;

  FUZZ_CHECK(found.algorithmCount >= 1 && found.algorithmCount <= 8);
  FUZZ_CHECK(!found.named || found.algorithmCount == 1);
  for (int i = 0; i < found.algorithmCount; ++i)
    FUZZ_CHECK(DigestBytes(found.algorithms[i]) == found.length);

  char hex[2 * kMaxDigestBytes + 1];
  FormatDigestHexN(found.bytes, found.length, hex, false);
  PublishedDigest again;
  // Bare, it is every algorithm of its length.
  FUZZ_CHECK(FindPublishedDigest(hex, &again) && Same(found, again) && !again.named);
  FUZZ_CHECK(again.algorithmCount >= found.algorithmCount);
  // Named, the name decides.
  const DigestAlgorithm first = found.algorithms[0];
  const std::string prefixed = std::string(DigestDisplayName(first)) + ": " + hex;
  FUZZ_CHECK(FindPublishedDigest(prefixed, &again) && Same(found, again) && again.named &&
             again.algorithms[0] == first);
  return 0;
}
