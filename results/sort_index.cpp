#include "results/sort_index.h"

#include <new>

namespace {

constexpr int kRed = 0;
constexpr int kBlack = 1;

CaseFold g_fold = nullptr;

// Above every code point: the unit of a byte that starts no valid sequence.
constexpr uint32_t kStrayByte = 0x110000;

// The next character of UTF-8 text (the pointer moves past it); the
// terminator is 0 and stays where it is.
uint32_t NextCodePoint(const unsigned char*& p) {
  const uint32_t c = *p;
  if (c < 0x80) {
    if (c != 0) ++p;
    return c;
  }
  int extra = c >= 0xF0 && c <= 0xF4 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : -1;
  if (c > 0xF4) extra = -1;
  uint32_t cp = extra == 3 ? c & 0x07 : extra == 2 ? c & 0x0F : c & 0x1F;
  for (int i = 1; i <= extra; ++i) {
    if ((p[i] & 0xC0) != 0x80) {
      extra = -1;
      break;
    }
    cp = cp << 6 | (p[i] & 0x3F);
  }
  // Overlong forms and values past U+10FFFF are stray bytes too.
  if (extra < 0 || (extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF))) {
    ++p;
    return kStrayByte + c;
  }
  p += extra + 1;
  return cp;
}

uint32_t Fold(uint32_t c) {
  if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
  return g_fold && c < kStrayByte ? g_fold(c) : c;
}

SortNode* Root(const SortIndex* t) {
  return t->Header->Left;
}

void RotateLeft(SortIndex* t, SortNode* x) {
  SortNode* nil = t->Sentinel;
  SortNode* y = x->Right;
  x->Right = y->Left;
  if (y->Left != nil) y->Left->Parent = x;
  y->Parent = x->Parent;
  if (x->Parent == t->Header || x == x->Parent->Left) {
    x->Parent->Left = y;  // the header's left link is the root
  } else {
    x->Parent->Right = y;
  }
  y->Left = x;
  x->Parent = y;
}

void RotateRight(SortIndex* t, SortNode* x) {
  SortNode* nil = t->Sentinel;
  SortNode* y = x->Left;
  x->Left = y->Right;
  if (y->Right != nil) y->Right->Parent = x;
  y->Parent = x->Parent;
  if (x->Parent == t->Header || x == x->Parent->Left) {
    x->Parent->Left = y;
  } else {
    x->Parent->Right = y;
  }
  y->Right = x;
  x->Parent = y;
}

SortNode* NewNode(RecordPool* pool, SortNode* link) {
  auto* n = static_cast<SortNode*>(PoolAllocate(pool));
  if (!n) return nullptr;
  n->Parent = n->Left = n->Right = link ? link : n;
  n->Colour = kBlack;
  return n;
}

}  // namespace

void SetCaseFold(CaseFold fold) {
  g_fold = fold;
}

int CompareText(const char* a, const char* b, CompareMode mode) {
  auto* pa = reinterpret_cast<const unsigned char*>(a);
  auto* pb = reinterpret_cast<const unsigned char*>(b);
  if (mode == CompareMode::Exact) {
    for (;; ++pa, ++pb) {
      if (*pa != *pb) return *pa < *pb ? -1 : 1;
      if (*pa == 0) return 0;
    }
  }
  for (;;) {
    uint32_t ca = NextCodePoint(pa);
    uint32_t cb = NextCodePoint(pb);
    // Equal characters fold alike: the fold is asked only where they differ.
    if (ca != cb) {
      ca = Fold(ca);
      cb = Fold(cb);
      if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (ca == 0) return 0;
  }
}

SortIndex* CreateSortIndex(RecordPool* nodes) {
  SortNode* sentinel = NewNode(nodes, nullptr);
  if (!sentinel) return nullptr;
  SortNode* header = NewNode(nodes, sentinel);
  auto* t = header ? new (std::nothrow) SortIndex{} : nullptr;
  if (!t) {
    PoolRelease(nodes, header);
    PoolRelease(nodes, sentinel);
    return nullptr;
  }
  t->Sentinel = sentinel;
  t->Header = header;
  t->Mode = CompareMode::Exact;
  t->Nodes = nodes;
  return t;
}

void SetCompareMode(SortIndex* index, CompareMode mode) {
  index->Mode = mode;
}

bool SortIndexInsert(SortIndex* t, const char* key, ResultRow* row) {
  SortNode* nil = t->Sentinel;
  auto* z = static_cast<SortNode*>(PoolAllocate(t->Nodes));
  if (!z) return false;
  z->Key = key;
  z->Row = row;
  z->Left = z->Right = nil;

  SortNode* parent = t->Header;
  SortNode* x = Root(t);
  bool left = true;
  while (x != nil) {
    parent = x;
    left = CompareText(key, x->Key, t->Mode) < 0;
    x = left ? x->Left : x->Right;
  }
  z->Parent = parent;
  if (parent == t->Header || left) {
    parent->Left = z;
  } else {
    parent->Right = z;
  }

  z->Colour = kRed;
  while (z->Parent->Colour == kRed) {
    SortNode* p = z->Parent;
    SortNode* g = p->Parent;
    if (p == g->Left) {
      SortNode* u = g->Right;
      if (u->Colour == kRed) {
        p->Colour = u->Colour = kBlack;
        g->Colour = kRed;
        z = g;
      } else {
        if (z == p->Right) {
          z = p;
          RotateLeft(t, z);
        }
        z->Parent->Colour = kBlack;
        z->Parent->Parent->Colour = kRed;
        RotateRight(t, z->Parent->Parent);
      }
    } else {
      SortNode* u = g->Left;
      if (u->Colour == kRed) {
        p->Colour = u->Colour = kBlack;
        g->Colour = kRed;
        z = g;
      } else {
        if (z == p->Left) {
          z = p;
          RotateRight(t, z);
        }
        z->Parent->Colour = kBlack;
        z->Parent->Parent->Colour = kRed;
        RotateLeft(t, z->Parent->Parent);
      }
    }
  }
  Root(t)->Colour = kBlack;
  return true;
}

// In-order walk by the parent links: no recursion, no stack, whatever the
// number of rows.
bool WalkSortIndex(const SortIndex* t, SortVisit visit, void* context) {
  SortNode* nil = t->Sentinel;
  SortNode* x = Root(t);
  if (x == nil) return true;
  int depth = 1;
  while (x->Left != nil) {
    x = x->Left;
    ++depth;
  }
  for (;;) {
    if (!visit(x->Key, x->Row, context, depth)) return false;
    if (x->Right != nil) {
      x = x->Right;
      ++depth;
      while (x->Left != nil) {
        x = x->Left;
        ++depth;
      }
      continue;
    }
    // Climb while coming from a right child; the header ends the walk.
    SortNode* from = x;
    x = x->Parent;
    --depth;
    while (x != t->Header && from == x->Right) {
      from = x;
      x = x->Parent;
      --depth;
    }
    if (x == t->Header) return true;
  }
}

void DestroySortIndex(SortIndex* t) {
  if (!t) return;
  SortNode* nil = t->Sentinel;
  // Post-order by the parent links: free a node once both subtrees are gone.
  SortNode* x = Root(t);
  while (x != nil) {
    if (x->Left != nil) {
      x = x->Left;
    } else if (x->Right != nil) {
      x = x->Right;
    } else {
      SortNode* parent = x->Parent;
      if (parent == t->Header) {
        parent->Left = nil;
      } else if (parent->Left == x) {
        parent->Left = nil;
      } else {
        parent->Right = nil;
      }
      PoolRelease(t->Nodes, x);
      x = parent == t->Header ? nil : parent;
    }
  }
  PoolRelease(t->Nodes, t->Header);
  PoolRelease(t->Nodes, nil);
  delete t;
}
