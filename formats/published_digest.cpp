#include "formats/published_digest.h"

#include <cstring>

#include "formats/base64.h"
#include "formats/digest_list.h"
#include "hashing/digest_names.h"
#include "hashing/digest_text.h"

namespace {

constexpr size_t kMaxDigits = 2 * static_cast<size_t>(kMaxDigestBytes);
// A group of more digits than this is a whole digest, never one group of
// several: fingerprints are printed in groups of 2, 4 or 8 digits (16 at most).
constexpr size_t kMaxGroupDigits = 16;
// How far a tagged line's name is searched for the ")" that ends it.
constexpr size_t kMaxTaggedName = 1024;

bool IsWordChar(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

size_t SkipBlanks(std::string_view text, size_t at) {
  while (at < text.size() && IsBlank(text[at])) ++at;
  return at;
}

// Whether a digest may end at `at`: the word ends there, and no hyphen joins
// another word to it ("deadbeef-linux").
bool EndsWord(std::string_view text, size_t at) {
  if (at == text.size()) return true;
  if (IsWordChar(text[at])) return false;
  return !(text[at] == '-' && at + 1 < text.size() && IsWordChar(text[at + 1]));
}

// Whether a bare digest may start at `at`, where a word starts.
bool StartsWord(std::string_view text, size_t at) {
  if (at == 0) return true;
  if (IsWordChar(text[at - 1])) return false;
  return !(text[at - 1] == '-' && at >= 2 && IsWordChar(text[at - 2]));
}

// Digits of the group of hexadecimal digits at `at`: the whole word, or 0
// when the word holds another character or no word starts there.
size_t GroupAt(std::string_view text, size_t at) {
  size_t n = 0;
  while (at + n < text.size() && HexDigitValue(text[at + n]) >= 0) ++n;
  if (at + n < text.size() && IsWordChar(text[at + n])) return 0;
  return n;
}

// Hexadecimal digits as people print them: one group, or several groups of
// the same length of at most kMaxGroupDigits digits with blanks, one colon or
// one hyphen between them.
struct HexRun {
  unsigned char bytes[kMaxDigestBytes];  // the first kMaxDigits digits
  size_t digits;                         // all of them
  size_t firstDigits;                    // of the first group
  size_t firstEnd;                       // behind the first group
  bool firstJoined;                      // a colon or hyphen follows the first group
  size_t end;                            // behind the last group
};

void TakeDigits(std::string_view text, size_t at, size_t n, HexRun* run) {
  for (size_t i = 0; i < n; ++i, ++run->digits) {
    if (run->digits >= kMaxDigits) continue;
    const auto v = static_cast<unsigned char>(HexDigitValue(text[at + i]));
    unsigned char& b = run->bytes[run->digits / 2];
    b = (run->digits % 2 == 0) ? static_cast<unsigned char>(v << 4)
                               : static_cast<unsigned char>(b | v);
  }
}

// Reads the groups at `at`; false when no group starts there. The run is read
// to its end, however long, so that the scan never starts again inside it.
bool ReadHexRun(std::string_view text, size_t at, HexRun* run) {
  const size_t first = GroupAt(text, at);
  if (first == 0) return false;
  run->digits = 0;
  TakeDigits(text, at, first, run);
  run->firstDigits = first;
  run->firstEnd = run->end = at + first;
  run->firstJoined = false;
  if (first > kMaxGroupDigits) return true;
  for (;;) {
    const size_t joiner = SkipBlanks(text, run->end);
    const bool joined = joiner < text.size() && (text[joiner] == ':' || text[joiner] == '-');
    const size_t p = joined ? SkipBlanks(text, joiner + 1) : joiner;
    // One or two blanks (fingerprints put two in their middle), or a joiner
    // with at most one blank on either side.
    const size_t before = joiner - run->end;
    if (joined ? (before > 1 || p - joiner - 1 > 1) : (before == 0 || before > 2)) break;
    if (GroupAt(text, p) != first) {
      if (run->end == run->firstEnd) run->firstJoined = joined;
      break;
    }
    if (run->end == run->firstEnd) run->firstJoined = joined;
    TakeDigits(text, p, first, run);
    run->end = p + first;
  }
  return true;
}

bool IsDigestLength(size_t digits) {
  for (DigestAlgorithm a : kDigestAlgorithmsInOrder)
    if (digits == 2 * static_cast<size_t>(DigestBytes(a))) return true;
  return false;
}

void FillNamed(const unsigned char* bytes, DigestAlgorithm algorithm, PublishedDigest* out) {
  out->length = DigestBytes(algorithm);
  std::memcpy(out->bytes, bytes, static_cast<size_t>(out->length));
  out->algorithms[0] = algorithm;
  out->algorithmCount = 1;
  out->named = true;
}

void FillBare(const unsigned char* bytes, size_t digits, PublishedDigest* out) {
  out->length = static_cast<int>(digits / 2);
  std::memcpy(out->bytes, bytes, digits / 2);
  out->algorithmCount = 0;
  for (DigestAlgorithm a : kDigestAlgorithmsInOrder)
    if (DigestBytes(a) == out->length && out->algorithmCount < 8)
      out->algorithms[out->algorithmCount++] = a;
  out->named = false;
}

// A bare digest at `at`: the whole run, or its first group alone when blanks
// part it from the rest ("HEX  name" with a name of hex digits). Sets
// `*resume` behind what was read.
bool FindBare(std::string_view text, size_t at, PublishedDigest* out, size_t* resume) {
  HexRun run;
  if (!ReadHexRun(text, at, &run)) return false;
  *resume = run.end;
  if (IsDigestLength(run.digits) && EndsWord(text, run.end)) {
    FillBare(run.bytes, run.digits, out);
    return true;
  }
  if (run.end != run.firstEnd && !run.firstJoined && IsDigestLength(run.firstDigits)) {
    FillBare(run.bytes, run.firstDigits, out);
    return true;
  }
  return false;
}

// The name of an algorithm at `at`, in any case: a tag ("SHA256",
// "SHA2-256"), a display name ("SHA-256") or a word ("sha256"). Returns the
// length of the longest that is a whole word, or 0.
size_t NameAt(std::string_view text, size_t at, DigestAlgorithm* algorithm, bool* isWord) {
  size_t best = 0;
  auto consider = [&](const char* name, DigestAlgorithm a, bool word) {
    const size_t n = std::strlen(name);
    if (n <= best || text.size() - at < n) return;
    for (size_t i = 0; i < n; ++i)
      if (Upper(text[at + i]) != Upper(name[i])) return;
    if (at + n < text.size() && IsWordChar(text[at + n])) return;
    best = n;
    *algorithm = a;
    *isWord = word;
  };
  for (const DigestLineTag& tag : DigestLineTags())
    consider(tag.Text, tag.Algorithm, std::strchr(tag.Text, '-') == nullptr);
  for (DigestAlgorithm a : kDigestAlgorithmsInOrder) {
    consider(DigestDisplayName(a), a, false);
    consider(DigestWord(a), a, true);
  }
  return best;
}

// The digest of `algorithm` at `at`, behind a prefix or a tag.
enum class Named { Found, Wrong, Absent };
Named NamedHexAt(std::string_view text, size_t at, DigestAlgorithm algorithm, PublishedDigest* out,
                 size_t* resume) {
  HexRun run;
  if (!ReadHexRun(text, at, &run)) return Named::Absent;
  *resume = run.end;
  if (run.digits != 2 * static_cast<size_t>(DigestBytes(algorithm)) || !EndsWord(text, run.end))
    return Named::Wrong;
  FillNamed(run.bytes, algorithm, out);
  return Named::Found;
}

// "TAG (name) = HEX", `at` on the "(": the name ends at the first ")" that a
// "=" and a digest of the tag's length follow, so a name may hold ")". Sets
// `*resume` behind digits of another length that end such a line.
bool FindTagged(std::string_view text, size_t at, DigestAlgorithm algorithm, PublishedDigest* out,
                size_t* resume) {
  const size_t limit = text.size() - at > kMaxTaggedName ? at + kMaxTaggedName : text.size();
  for (size_t close = at + 1; close < limit; ++close) {
    if (text[close] == '\n' || text[close] == '\r') return false;
    if (text[close] != ')') continue;
    size_t p = SkipBlanks(text, close + 1);
    if (p == text.size() || text[p] != '=') continue;
    p = SkipBlanks(text, p + 1);
    if (NamedHexAt(text, p, algorithm, out, resume) == Named::Found) return true;
  }
  return false;
}

// Subresource Integrity "sha256-BASE64", `at` behind the "-": exactly the
// characters of the digest's bytes, then its padding or none.
bool FindIntegrity(std::string_view text, size_t at, DigestAlgorithm algorithm,
                   PublishedDigest* out) {
  if (algorithm != DigestAlgorithm::Sha256 && algorithm != DigestAlgorithm::Sha512) return false;
  const size_t bytes = static_cast<size_t>(DigestBytes(algorithm));
  unsigned char decoded[kMaxDigestBytes + 1];
  size_t used = 0;
  const size_t got =
      Base64DecodeRun(text.data() + at, text.size() - at, decoded, sizeof decoded, &used);
  if (got != bytes || used != (bytes * 4 + 2) / 3) return false;
  size_t end = at + used;
  for (size_t pad = 0; pad < (4 - used % 4) % 4 && end < text.size() && text[end] == '='; ++pad)
    ++end;
  if (end < text.size() &&
      (IsWordChar(text[end]) || text[end] == '+' || text[end] == '/' || text[end] == '='))
    return false;
  FillNamed(decoded, algorithm, out);
  return true;
}

// A digest named at `at`, where a word starts. Sets `*resume` behind the
// digits of a prefix that do not fit its algorithm: they are no bare digest.
bool FindNamed(std::string_view text, size_t at, PublishedDigest* out, size_t* resume) {
  DigestAlgorithm algorithm = DigestAlgorithm::Crc32;
  bool isWord = false;
  const size_t name = NameAt(text, at, &algorithm, &isWord);
  if (name == 0) return false;
  const size_t behind = at + name;
  if (isWord && behind < text.size() && text[behind] == '-')
    return FindIntegrity(text, behind + 1, algorithm, out);
  const size_t p = SkipBlanks(text, behind);
  if (p == text.size()) return false;
  if (text[p] == '(') return FindTagged(text, p, algorithm, out, resume);
  if (text[p] != ':' && text[p] != '=') return false;
  return NamedHexAt(text, SkipBlanks(text, p + 1), algorithm, out, resume) == Named::Found;
}

}  // namespace

bool FindPublishedDigest(std::string_view text, PublishedDigest* out) {
  size_t at = 0;
  while (at < text.size()) {
    if (!IsWordChar(text[at]) || (at > 0 && IsWordChar(text[at - 1]))) {
      ++at;
      continue;
    }
    size_t resume = at;
    if (FindNamed(text, at, out, &resume)) return true;
    if (resume == at && StartsWord(text, at) && FindBare(text, at, out, &resume)) return true;
    if (resume == at) {
      while (at < text.size() && IsWordChar(text[at])) ++at;
    } else {
      at = resume;
    }
  }
  return false;
}
