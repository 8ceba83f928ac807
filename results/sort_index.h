// An ordered index over the rows of the results window: a red-black tree
// keyed by one text of each row. Equal keys go to the right, so rows with
// the same key keep their order of arrival in the walk. Nodes come from a
// record pool shared by the indexes of one window.
#pragma once

#include <cstdint>

#include "results/record_pool.h"

struct ResultRow;

enum class CompareMode { Exact, CaseInsensitive };

// Texts are UTF-8. Exact: unsigned byte values (which is code-point order),
// the shorter text first when it is a prefix. Case-insensitive: code points
// compared after folding, A-Z to a-z (so "_" sorts before the letters) and
// every other character by the case fold set below; a byte that starts no
// valid sequence counts as a unit of its own above every character.
int CompareText(const char* a, const char* b, CompareMode mode);

// The lower-case form of a character outside ASCII for case-insensitive
// comparisons; none (characters stay as they are) unless set. The Windows
// build sets the system's Unicode case mapping.
using CaseFold = uint32_t (*)(uint32_t codePoint);
void SetCaseFold(CaseFold fold);

struct SortNode {
  SortNode* Parent;
  SortNode* Left;
  SortNode* Right;
  const char* Key;
  ResultRow* Row;
  int Colour;  // 0 red, 1 black
};

struct SortIndex {
  SortNode* Sentinel;
  SortNode* Header;  // Header->Left is the root
  CompareMode Mode;
  RecordPool* Nodes;
};

// Null when the node pool cannot give the sentinel and the header.
SortIndex* CreateSortIndex(RecordPool* nodes);
void SetCompareMode(SortIndex* index, CompareMode mode);
// False when the node pool is exhausted; the index is then unchanged.
bool SortIndexInsert(SortIndex* index, const char* key, ResultRow* row);

// Called for every node in key order with its depth (1 at the root); a
// false return ends the walk, which then returns false.
using SortVisit = bool (*)(const char* key, ResultRow* row, void* context, int depth);
bool WalkSortIndex(const SortIndex* index, SortVisit visit, void* context);

// Every node, the header and the sentinel go back to the node pool.
void DestroySortIndex(SortIndex* index);
