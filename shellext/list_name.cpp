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

const char* ListExtension(ListType type, bool upper) {
  if (type == ListType::Md5) return upper ? ".MD5" : ".md5";
  return upper ? ".SFV" : ".sfv";
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
  if (CompareNoCase(dot, ".sfv") == 0 || CompareNoCase(dot, ".md5") == 0)
    return ReplaceFrom(text, capacity, dot, ListExtension(type, false));
  return true;
}

bool CompleteListPath(char* text, size_t capacity, ListType type, bool upper) {
  if (FindExtension(text)) return true;
  return Append(text, capacity, ListExtension(type, upper));
}
