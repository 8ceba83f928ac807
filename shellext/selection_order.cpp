#include "shellext/selection_order.h"

#include <cstring>

#include "shellext/list_name.h"

namespace {

// Merges two sorted chains; on equal paths the node of `a` (earlier) first.
SelectedFile* Merge(SelectedFile* a, SelectedFile* b) {
  SelectedFile head{};
  SelectedFile* tail = &head;
  while (a && b) {
    if (CompareNoCase(b->Path, b->PathLength, a->Path, a->PathLength) < 0) {
      tail->Next = b;
      b = b->Next;
    } else {
      tail->Next = a;
      a = a->Next;
    }
    tail = tail->Next;
  }
  tail->Next = a ? a : b;
  return head.Next;
}

}  // namespace

SelectedFile* SortSelectedFiles(SelectedFile* head) {
  // Bottom-up merge sort with the usual array of runs of 2^i nodes: no
  // recursion, a fixed 64 entries of bookkeeping.
  SelectedFile* runs[64] = {};
  while (head) {
    SelectedFile* node = head;
    head = head->Next;
    node->Next = nullptr;
    int i = 0;
    // runs[i] holds earlier nodes than `node`, so it goes first.
    for (; i < 64 && runs[i]; ++i) {
      node = Merge(runs[i], node);
      runs[i] = nullptr;
    }
    runs[i < 64 ? i : 63] = node;
  }
  SelectedFile* result = nullptr;
  for (int i = 0; i < 64; ++i)
    if (runs[i]) result = Merge(runs[i], result);
  return result;
}

SelectedFile* LastSelectedFile(SelectedFile* head) {
  if (!head) return nullptr;
  while (head->Next) head = head->Next;
  return head;
}

void ShortenPathForMessage(char* out, size_t capacity, const char* path) {
  size_t length = std::strlen(path);
  if (length < capacity) {
    std::memcpy(out, path, length + 1);
    return;
  }
  size_t keep = (capacity - 4) / 2;
  size_t tail = capacity - 4 - keep;
  // Both parts end and begin at a character, never inside one's UTF-8 bytes.
  auto continuation = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
  while (keep > 0 && continuation(path[keep])) --keep;
  while (tail > 0 && continuation(path[length - tail])) --tail;
  std::memcpy(out, path, keep);
  std::memcpy(out + keep, "...", 3);
  std::memcpy(out + keep + 3, path + length - tail, tail);
  out[keep + 3 + tail] = 0;
}
