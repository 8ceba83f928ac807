#include "formats/digest_list.h"

#include <cstring>

#include "formats/line_reader.h"
#include "hashing/digest_text.h"
#include "hashing/search.h"

namespace {

size_t HexRun(const char* text, size_t length) {
  size_t n = 0;
  while (n < length && HexDigitValue(text[n]) >= 0) ++n;
  return n;
}

void DecodeHex(const char* hex, size_t digits, unsigned char* out) {
  for (size_t i = 0; i < digits / 2; ++i)
    out[i] = static_cast<unsigned char>((HexDigitValue(hex[2 * i]) << 4) |
                                        HexDigitValue(hex[2 * i + 1]));
}

bool EqualIgnoringCase(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (FoldToUpper(a[i]) != FoldToUpper(b[i])) return false;
  return true;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The algorithm of an untagged digest by its number of hex digits.
bool AlgorithmByDigits(size_t digits, DigestAlgorithm* algorithm) {
  switch (digits) {
    case 32:
      *algorithm = DigestAlgorithm::Md5;
      return true;
    case 40:
      *algorithm = DigestAlgorithm::Sha1;
      return true;
    case 64:
      *algorithm = DigestAlgorithm::Sha256;
      return true;
    case 128:
      *algorithm = DigestAlgorithm::Sha512;
      return true;
    default:
      return false;
  }
}

using Tag = DigestLineTag;
// The tags of coreutils' --tag lines and OpenSSL's (SHA2-256 since 3.0).
constexpr Tag kTags[] = {
    {"MD5", DigestAlgorithm::Md5},         {"SHA1", DigestAlgorithm::Sha1},
    {"SHA256", DigestAlgorithm::Sha256},   {"SHA512", DigestAlgorithm::Sha512},
    {"BLAKE3", DigestAlgorithm::Blake3},   {"SHA2-256", DigestAlgorithm::Sha256},
    {"SHA2-512", DigestAlgorithm::Sha512},
};

// Copies the name into `out`, unescaping it when `escaped` and turning "/"
// into "\". False for a bad escape or a name that does not fit.
bool TakeName(const char* name, size_t length, bool escaped, DigestLine* out) {
  size_t n = 0;
  for (size_t i = 0; i < length; ++i) {
    char c = name[i];
    // A zero byte would end the name early: no file name holds one.
    if (c == '\0') return false;
    if (escaped && c == '\\') {
      if (++i == length) return false;
      switch (name[i]) {
        case '\\':
          c = '\\';
          break;
        case 'n':
          c = '\n';
          break;
        case 'r':
          c = '\r';
          break;
        default:
          return false;
      }
    } else if (c == '/') {
      c = '\\';
    }
    if (n == static_cast<size_t>(kMaxEntryName)) return false;
    out->Name[n++] = c;
  }
  if (n == 0) return false;
  out->Name[n] = '\0';
  out->NameLength = static_cast<uint32_t>(n);
  return true;
}

// "HEX  name" or "HEX *name", `text` behind any escape mark.
bool ParseUntagged(const char* text, size_t length, const DigestAlgorithm* named, DigestLine* out) {
  const size_t digits = HexRun(text, length);
  if (named) {
    if (digits != 2 * static_cast<size_t>(DigestBytes(*named))) return false;
    out->Algorithm = *named;
  } else if (!AlgorithmByDigits(digits, &out->Algorithm)) {
    return false;
  }
  if (length < digits + 2 || text[digits] != ' ' ||
      (text[digits + 1] != ' ' && text[digits + 1] != '*'))
    return false;
  DecodeHex(text, digits, out->Digest);
  out->Tagged = false;
  return TakeName(text + digits + 2, length - digits - 2, out->Escaped, out);
}

// "TAG (name) = HEX" with any blanks before "(", or "TAG(name)= HEX".
bool ParseTagged(const char* text, size_t length, DigestLine* out) {
  const Tag* tag = nullptr;
  for (const Tag& t : kTags) {
    const size_t n = std::strlen(t.Text);
    if (length > n && std::memcmp(text, t.Text, n) == 0 && (IsBlank(text[n]) || text[n] == '(')) {
      tag = &t;
      break;
    }
  }
  if (!tag) return false;
  size_t at = std::strlen(tag->Text);
  while (at < length && IsBlank(text[at])) ++at;
  if (at == length || text[at] != '(') return false;
  const size_t nameStart = at + 1;
  // The digest ends the line; the name ends at the ")" of the ") = " or
  // ")= " before it, so a name may itself hold ") = ".
  const size_t digits = 2 * static_cast<size_t>(DigestBytes(tag->Algorithm));
  if (length < nameStart + digits + 3) return false;
  const size_t hexStart = length - digits;
  if (HexRun(text + hexStart, digits) != digits) return false;
  // A digest of the wrong length runs on before its expected start.
  if (text[hexStart - 1] != ' ' || text[hexStart - 2] != '=') return false;
  size_t close = hexStart - 3;
  if (text[close] == ' ') {
    if (close == nameStart) return false;
    --close;
  }
  if (text[close] != ')') return false;
  out->Algorithm = tag->Algorithm;
  DecodeHex(text + hexStart, digits, out->Digest);
  out->Tagged = true;
  return TakeName(text + nameStart, close - nameStart, out->Escaped, out);
}

const char* FileNamePart(const char* path) {
  const char* name = path;
  for (const char* p = path; *p; ++p)
    if (*p == '\\' || *p == '/') name = p + 1;
  return name;
}

}  // namespace

bool DigestListNameAlgorithm(const char* path, DigestAlgorithm* algorithm, bool* byExtension) {
  const char* name = FileNamePart(path);
  const size_t length = std::strlen(name);
  static const Tag kExtensions[] = {
      {".sha1", DigestAlgorithm::Sha1},     {".sha256", DigestAlgorithm::Sha256},
      {".sha512", DigestAlgorithm::Sha512}, {".b3", DigestAlgorithm::Blake3},
      {".blake3", DigestAlgorithm::Blake3}, {".md5", DigestAlgorithm::Md5},
  };
  for (const Tag& e : kExtensions) {
    const size_t n = std::strlen(e.Text);
    if (length >= n && EqualIgnoringCase(name + length - n, e.Text, n)) {
      *algorithm = e.Algorithm;
      if (byExtension) *byExtension = true;
      return true;
    }
  }
  static const Tag kSums[] = {
      {"SHA1SUMS", DigestAlgorithm::Sha1},     {"SHA256SUMS", DigestAlgorithm::Sha256},
      {"SHA512SUMS", DigestAlgorithm::Sha512}, {"B3SUMS", DigestAlgorithm::Blake3},
      {"MD5SUMS", DigestAlgorithm::Md5},
  };
  for (const Tag& s : kSums) {
    const size_t n = std::strlen(s.Text);
    if (length >= n && EqualIgnoringCase(name, s.Text, n) && (name[n] == '\0' || name[n] == '.')) {
      *algorithm = s.Algorithm;
      if (byExtension) *byExtension = false;
      return true;
    }
  }
  return false;
}

bool ParseDigestLine(const char* line, size_t length, const DigestAlgorithm* named,
                     DigestLine* out) {
  out->Escaped = length > 0 && line[0] == '\\';
  const char* text = line + (out->Escaped ? 1 : 0);
  const size_t rest = length - (out->Escaped ? 1 : 0);
  // No tag is made of hex digits alone, and no untagged line starts with a
  // tag's letters followed by a blank or "(", so the two shapes never
  // overlap.
  return ParseUntagged(text, rest, named, out) || ParseTagged(text, rest, out);
}

DigestContent SniffDigestList(const ListReader& reader, NativeFile file) {
  SetFilePosition(file, ListTextStart(reader));
  char* line = reader.Line;
  DigestLine parsed;
  int seen = 0;
  size_t untaggedDigits = 0;
  bool plainMd5 = true;
  // Comment lines are passed over, but only so many: a file that is nothing
  // but "#" lines is no digest list.
  for (int lines = 0; lines < 64 && seen < 3; ++lines) {
    bool cut = false;
    const int32_t got = ReadListTextLine(reader, file, line, sizeof reader.Line, &cut);
    if (got <= 0) break;
    if (line[0] == '#') continue;
    const size_t length = static_cast<size_t>(got);
    if (cut || !ParseDigestLine(line, length, nullptr, &parsed)) return DigestContent::None;
    if (!parsed.Tagged) {
      const size_t digits = 2 * static_cast<size_t>(DigestBytes(parsed.Algorithm));
      if (untaggedDigits != 0 && digits != untaggedDigits) return DigestContent::None;
      untaggedDigits = digits;
    }
    if (parsed.Tagged || parsed.Escaped || parsed.Algorithm != DigestAlgorithm::Md5)
      plainMd5 = false;
    ++seen;
  }
  if (seen == 0) return DigestContent::None;
  return plainMd5 ? DigestContent::PlainMd5 : DigestContent::Digest;
}

std::span<const DigestLineTag> DigestLineTags() {
  return kTags;
}

const char* DigestTag(DigestAlgorithm algorithm) {
  switch (algorithm) {
    case DigestAlgorithm::Crc32:
      return "CRC32";
    case DigestAlgorithm::Md5:
      return "MD5";
    case DigestAlgorithm::Sha1:
      return "SHA1";
    case DigestAlgorithm::Sha256:
      return "SHA256";
    case DigestAlgorithm::Sha512:
      return "SHA512";
    case DigestAlgorithm::Blake3:
      return "BLAKE3";
  }
  return "";
}

int32_t ReadDigestListEntry(const ListReader& reader, NativeFile file, char* name, int32_t nameSize,
                            DigestAlgorithm* algorithm, unsigned char* digest) {
  const DigestAlgorithm* named = reader.DigestNamed ? &reader.NamedAlgorithm : nullptr;
  const char* kind = named ? DigestTag(*named) : "checksum";
  char* line = reader.Line;
  DigestLine parsed;
  for (;;) {
    bool cut = false;
    const int32_t length = ReadListTextLine(reader, file, line, sizeof reader.Line, &cut);
    if (length <= 0) return length;
    if (line[0] == '#') continue;
    // A cut line has lost its end, where the digest or the name's end is.
    if (cut || !ParseDigestLine(line, static_cast<size_t>(length), named, &parsed) ||
        parsed.NameLength >= static_cast<uint32_t>(nameSize)) {
      ReportInvalidLine(reader, kind, line);
      continue;
    }
    std::memcpy(name, parsed.Name, parsed.NameLength + 1);
    if (algorithm) *algorithm = parsed.Algorithm;
    if (digest) std::memcpy(digest, parsed.Digest, DigestBytes(parsed.Algorithm));
    return static_cast<int32_t>(parsed.NameLength);
  }
}
