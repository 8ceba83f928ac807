// Stand-in until the finder is merged: bare hexadecimal runs only.
#include "formats/published_digest.h"

#include "hashing/digest_names.h"

namespace {
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace

bool FindPublishedDigest(std::string_view text, PublishedDigest* out) {
  size_t i = 0;
  while (i < text.size()) {
    size_t j = i;
    while (j < text.size() && HexValue(text[j]) >= 0) ++j;
    const size_t digits = j - i;
    if (digits > 0 && digits % 2 == 0 && digits <= 2 * kMaxDigestBytes) {
      out->length = static_cast<int>(digits / 2);
      out->algorithmCount = 0;
      out->named = false;
      for (DigestAlgorithm a : kDigestAlgorithmsInOrder)
        if (DigestBytes(a) == out->length && out->algorithmCount < 8)
          out->algorithms[out->algorithmCount++] = a;
      if (out->algorithmCount > 0) {
        for (int k = 0; k < out->length; ++k)
          out->bytes[k] = static_cast<unsigned char>(HexValue(text[i + 2 * k]) * 16 +
                                                     HexValue(text[i + 2 * k + 1]));
        return true;
      }
    }
    i = j + 1;
  }
  return false;
}
