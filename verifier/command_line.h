// The verifier's command line split into words. Each word is one CommandArg
// in a singly linked list, in command-line order; key and value are own
// copies taken from the heap and freed together by FreeCommandLine.
#pragma once

// Longer words are cut at this length: a path of 32,767 bytes of UTF-8.
constexpr int kMaxCommandWord = 32767;

struct CommandArg {
  CommandArg* next;
  char* key;        // the word up to its separator, or the whole word
  char* value;      // text after the separator, trimmed; null when absent
  int valueLength;  // characters in value
  char separator;   // '=' or ':' when the word was split, else 0
};

// Splits `text` (the command line after the program name) into words:
// quoted words are taken whole; other words run to the first space outside
// double quotes and are split at their first '=' or, without one, at their
// first ':'. Returns the first word, or null for an empty command line.
CommandArg* ParseCommandLine(const char* text);

void FreeCommandLine(CommandArg* first);
