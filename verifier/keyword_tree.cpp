#include "verifier/keyword_tree.h"

#include <cstdlib>

namespace {

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

KeywordNode* NewNode(KeywordTree* tree, char ch) {
  KeywordBlock* block = tree->blocks;
  if (block == nullptr || block->used == kKeywordBlockNodes) {
    block = static_cast<KeywordBlock*>(std::calloc(1, sizeof(KeywordBlock)));
    if (block == nullptr) return nullptr;
    block->next = tree->blocks;
    tree->blocks = block;
  }
  KeywordNode* node = &block->nodes[block->used++];
  node->ch = ch;
  return node;
}

}  // namespace

bool KeywordInsert(KeywordTree* tree, const char* word, int identifier) {
  KeywordNode** link = &tree->root;
  const char* p = word;
  for (;;) {
    char ch = Lower(*p);
    if (*link == nullptr) {
      *link = NewNode(tree, ch);
      if (*link == nullptr) return false;
    }
    KeywordNode* node = *link;
    if (ch < node->ch) {
      link = &node->lower;
    } else if (ch > node->ch) {
      link = &node->higher;
    } else if (ch == '\0') {
      node->identifier = identifier;
      return true;
    } else {
      link = &node->equal;
      ++p;
    }
  }
}

bool KeywordLookup(const KeywordTree* tree, const char* word, int* identifier) {
  const KeywordNode* node = tree->root;
  const char* p = word;
  while (node != nullptr) {
    char ch = Lower(*p);
    if (ch < node->ch) {
      node = node->lower;
    } else if (ch > node->ch) {
      node = node->higher;
    } else if (ch == '\0') {
      *identifier = node->identifier;
      return true;
    } else {
      node = node->equal;
      ++p;
    }
  }
  return false;
}

void KeywordTreeFree(KeywordTree* tree) {
  while (tree->blocks != nullptr) {
    KeywordBlock* next = tree->blocks->next;
    std::free(tree->blocks);
    tree->blocks = next;
  }
  tree->root = nullptr;
}
