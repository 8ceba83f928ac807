#include "shellext/list_name.h"

#include <cstring>

#include "shellext/name_case.h"

namespace {

unsigned char Fold(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

bool Append(char* text, size_t capacity, const char* tail) {
  size_t length = std::strlen(text), more = std::strlen(tail);
  if (length + more + 1 > capacity) return false;
  std::memcpy(text + length, tail, more + 1);
  return true;
}

// Replaces the text from `at` on by `tail`.
bool ReplaceFrom(char* text, size_t capacity, char* at, const char* tail) {
  size_t keep = static_cast<size_t>(at - text), more = std::strlen(tail);
  if (keep + more + 1 > capacity) return false;
  std::memcpy(at, tail, more + 1);
  return true;
}

}  // namespace

int CompareNoCase(const char* a, const char* b) {
  return CompareNoCase(a, std::strlen(a), b, std::strlen(b));
}

int CompareNoCase(const char* a, size_t aLength, const char* b, size_t bLength) {
  const size_t n = aLength < bLength ? aLength : bLength;
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    // Every byte before is ASCII, so both texts are at a character's start.
    if ((x | y) & 0x80) return CompareUnicodeNoCase(a + i, aLength - i, b + i, bLength - i);
    x = Fold(x);
    y = Fold(y);
    if (x != y) return x < y ? -1 : 1;
  }
  return aLength == bLength ? 0 : aLength < bLength ? -1 : 1;
}

uint32_t HashNameNoCase(const char* name, size_t length) {
  uint32_t hash = 2166136261u;  // FNV-1a
  for (size_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (c & 0x80) return HashUnicodeNoCase(name + i, length - i, hash);
    hash ^= c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - ('a' - 'A')) : c;
    hash *= 16777619u;
  }
  return hash;
}

const char* FindExtension(const char* path) {
  const char* slash = std::strrchr(path, '\\');
  const char* dot = std::strrchr(slash ? slash : path, '.');
  return dot;
}

namespace {

struct TypeName {
  const char* Lower;
  const char* Upper;
  DigestAlgorithm Algorithm;
};
constexpr TypeName kTypes[kCreatedListTypes] = {
    {".sfv", ".SFV", DigestAlgorithm::Crc32},
    {".md5", ".MD5", DigestAlgorithm::Md5},
    {".sha1", ".SHA1", DigestAlgorithm::Sha1},
    {".sha256", ".SHA256", DigestAlgorithm::Sha256},
    {".sha512", ".SHA512", DigestAlgorithm::Sha512},
    {".b3", ".B3", DigestAlgorithm::Blake3},
    {".xxh3", ".XXH3", DigestAlgorithm::Xxh3},
    {".xxh128", ".XXH128", DigestAlgorithm::Xxh128},
};

const TypeName& NameOf(ListType type) {
  const int i = static_cast<int>(type);
  return kTypes[i >= 0 && i < kCreatedListTypes ? i : 0];
}

}  // namespace

const char* ListExtension(ListType type, bool upper) {
  return upper ? NameOf(type).Upper : NameOf(type).Lower;
}

bool ListTypeFromExtension(const char* extension, ListType* type) {
  for (int i = 0; i < kCreatedListTypes; ++i) {
    if (CompareNoCase(extension, kTypes[i].Lower) == 0) {
      *type = static_cast<ListType>(i);
      return true;
    }
  }
  if (CompareNoCase(extension, ".blake3") == 0) {
    *type = ListType::Blake3;
    return true;
  }
  return false;
}

DigestAlgorithm ListTypeAlgorithm(ListType type) {
  return NameOf(type).Algorithm;
}

bool ListTypeHasComments(ListType type) {
  return type == ListType::Sfv || type == ListType::Md5;
}

const char* ListTypeTag(ListType type) {
  return type == ListType::Xxh3 ? "XXH3" : nullptr;
}

const char* ListTypeLineEnd(ListType type) {
  return ListTypeHasComments(type) ? "\r\n" : "\n";
}

bool ProposeListPath(char* out, size_t capacity, const char* firstPath, size_t baseLength,
                     const char* defaultFilename, ListType type, bool upper) {
  if (capacity == 0 || baseLength >= capacity || baseLength > std::strlen(firstPath)) return false;
  const char* name = defaultFilename;
  if (!name || !*name) {
    const char* slash = std::strrchr(firstPath, '\\');
    name = slash ? slash + 1 : firstPath;
  }
  std::memcpy(out, firstPath, baseLength);
  out[baseLength] = 0;
  if (!Append(out, capacity, name)) return false;
  char* dot = const_cast<char*>(FindExtension(out + baseLength));
  const char* extension = ListExtension(type, upper);
  return dot ? ReplaceFrom(out, capacity, dot, extension) : Append(out, capacity, extension);
}

bool SwitchListExtension(char* text, size_t capacity, ListType type, bool upper) {
  char* dot = const_cast<char*>(FindExtension(text));
  if (!dot) return Append(text, capacity, ListExtension(type, upper));
  ListType current;
  if (ListTypeFromExtension(dot, &current))
    return ReplaceFrom(text, capacity, dot, ListExtension(type, false));
  return true;
}

bool CompleteListPath(char* text, size_t capacity, ListType type, bool upper) {
  if (FindExtension(text)) return true;
  return Append(text, capacity, ListExtension(type, upper));
}
