#include "verifier/command_line.h"

#include <cstdlib>
#include <cstring>

namespace {

char* CopyText(const char* begin, size_t length) {
  char* copy = static_cast<char*>(std::malloc(length + 1));
  if (copy == nullptr) return nullptr;
  std::memcpy(copy, begin, length);
  copy[length] = '\0';
  return copy;
}

// Builds one word from `word` (length `length`, already cut to the maximum).
CommandArg* MakeArg(const char* word, size_t length, bool quoted) {
  CommandArg* arg = static_cast<CommandArg*>(std::calloc(1, sizeof(CommandArg)));
  if (arg == nullptr) return nullptr;
  size_t keyLength = length;
  const char* split = nullptr;
  if (!quoted) {
    split = static_cast<const char*>(std::memchr(word, '=', length));
    if (split == nullptr) split = static_cast<const char*>(std::memchr(word, ':', length));
  }
  if (split != nullptr) {
    keyLength = static_cast<size_t>(split - word);
    arg->separator = *split;
    const char* value = split + 1;
    const char* end = word + length;
    while (value < end && (*value == ' ' || *value == arg->separator)) ++value;
    if (value < end) {
      if (*value == '"') {
        ++value;
        if (value < end && end[-1] == '"') --end;
      }
      arg->value = CopyText(value, static_cast<size_t>(end - value));
      if (arg->value == nullptr) {
        std::free(arg);
        return nullptr;
      }
      arg->valueLength = static_cast<int>(end - value);
    }
  }
  arg->key = CopyText(word, keyLength);
  if (arg->key == nullptr) {
    std::free(arg->value);
    std::free(arg);
    return nullptr;
  }
  return arg;
}

size_t Cut(size_t length) {
  return length > kMaxCommandWord ? static_cast<size_t>(kMaxCommandWord) : length;
}

}  // namespace

CommandArg* ParseCommandLine(const char* text) {
  CommandArg* first = nullptr;
  CommandArg** tail = &first;
  if (text == nullptr) return nullptr;
  const char* p = text;
  for (;;) {
    while (*p == ' ') ++p;
    if (*p == '\0') break;
    CommandArg* arg;
    if (*p == '"') {
      const char* begin = p + 1;
      const char* close = std::strchr(begin, '"');
      size_t length = close ? static_cast<size_t>(close - begin) : std::strlen(begin);
      arg = MakeArg(begin, Cut(length), true);
      p = close ? close + 1 : begin + length;
    } else {
      const char* begin = p;
      bool inside = false;
      while (*p != '\0' && (inside || *p != ' ')) {
        if (*p == '"') inside = !inside;
        ++p;
      }
      arg = MakeArg(begin, Cut(static_cast<size_t>(p - begin)), false);
      if (*p == ' ') ++p;
    }
    if (arg == nullptr) break;  // out of memory: keep the words so far
    *tail = arg;
    tail = &arg->next;
  }
  return first;
}

void FreeCommandLine(CommandArg* first) {
  while (first != nullptr) {
    CommandArg* next = first->next;
    std::free(first->key);
    std::free(first->value);
    std::free(first);
    first = next;
  }
}
