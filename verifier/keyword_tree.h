// A ternary search tree mapping keywords to small identifiers, matched
// case-insensitively and as whole words. Nodes come from blocks of 50 so the
// tree costs a handful of allocations however many words it holds.
#pragma once

struct KeywordNode {
  char ch;  // lower-cased; 0 marks the end of a word
  KeywordNode* lower;
  KeywordNode* higher;
  union {
    KeywordNode* equal;  // the next character's subtree (ch != 0)
    int identifier;      // the word's identifier (ch == 0)
  };
};

constexpr int kKeywordBlockNodes = 50;

struct KeywordBlock {
  KeywordBlock* next;
  int used;
  KeywordNode nodes[kKeywordBlockNodes];
};

struct KeywordTree {
  KeywordNode* root = nullptr;
  KeywordBlock* blocks = nullptr;  // newest first
};

// Adds `word` (a later insert of the same word replaces its identifier).
// False only when no memory was left.
bool KeywordInsert(KeywordTree* tree, const char* word, int identifier);

// True with `*identifier` set when `word` is one of the tree's words.
bool KeywordLookup(const KeywordTree* tree, const char* word, int* identifier);

// Gives every block back; the tree is empty afterwards.
void KeywordTreeFree(KeywordTree* tree);
