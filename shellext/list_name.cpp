#include "shellext/list_name.h"

#include <cstring>

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
  for (;; ++a, ++b) {
    unsigned char x = Fold(static_cast<unsigned char>(*a));
    unsigned char y = Fold(static_cast<unsigned char>(*b));
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
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
