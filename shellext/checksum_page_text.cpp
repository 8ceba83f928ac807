#include "shellext/checksum_page_text.h"

#include <cstdio>
#include <cstring>

#include "hashing/digest_text.h"

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

int ParseChecksumAlgorithms(std::string_view value, DigestAlgorithm out[kDigestAlgorithmCount]) {
  bool named[kDigestAlgorithmCount] = {};
  bool any = false;
  while (!value.empty()) {
    const size_t comma = value.find(',');
    const std::string_view word = Trim(value.substr(0, comma));
    value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
    DigestAlgorithm algorithm;
    if (!DigestFromWord(word, &algorithm)) continue;
    for (size_t i = 0; i < kDigestAlgorithmCount; ++i) {
      if (kDigestAlgorithmsInOrder[i] == algorithm) named[i] = any = true;
    }
  }
  int count = 0;
  for (size_t i = 0; i < kDigestAlgorithmCount; ++i) {
    if (named[i] || !any) out[count++] = kDigestAlgorithmsInOrder[i];
  }
  return count;
}

void FormatRowDigest(const DigestValue& value, char out[kRowDigestChars]) {
  if (value.Algorithm == DigestAlgorithm::Crc32) {
    std::snprintf(out, kRowDigestChars, "%08X", static_cast<unsigned>(value.Crc));
    return;
  }
  FormatDigestHexN(value.Bytes, DigestBytes(value.Algorithm), out, false);
}

bool MatchesPublished(const PublishedDigest& published, const DigestValue& value) {
  if (published.length != DigestBytes(value.Algorithm)) return false;
  bool candidate = false;
  for (int i = 0; i < published.algorithmCount && i < 8; ++i)
    candidate = candidate || published.algorithms[i] == value.Algorithm;
  return candidate &&
         std::memcmp(published.bytes, value.Bytes, static_cast<size_t>(published.length)) == 0;
}

int FindMatchingRow(const PublishedDigest& published, const DigestValue* const* rows,
                    size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (rows[i] && MatchesPublished(published, *rows[i])) return static_cast<int>(i);
  }
  return -1;
}

std::string_view LineWithDigest(std::string_view text) {
  while (!text.empty()) {
    const size_t end = text.find_first_of("\r\n");
    const std::string_view line = Trim(text.substr(0, end));
    PublishedDigest found;
    if (!line.empty() && FindPublishedDigest(line, &found)) return line;
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return {};
}

void AppendCopyLine(std::string* out, const char* hex, const char* name) {
  *out += hex;
  *out += "  ";
  *out += name;
  *out += "\r\n";
}
