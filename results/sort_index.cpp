#include "results/sort_index.h"

#include <new>

namespace {

constexpr int kRed = 0;
constexpr int kBlack = 1;

LeadBytePredicate g_isLead = nullptr;

unsigned Fold(unsigned c) {
  return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

// Next comparison unit of a text: a single byte, or lead x 256 + trail.
unsigned NextUnit(const unsigned char*& p, bool fold) {
  unsigned c = *p++;
  if (c != 0 && g_isLead && g_isLead(static_cast<unsigned char>(c)) && *p != 0) {
    return c * 256 + *p++;
  }
  return fold ? Fold(c) : c;
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

void SetLeadBytePredicate(LeadBytePredicate isLead) {
  g_isLead = isLead;
}

int CompareText(const char* a, const char* b, CompareMode mode) {
  bool fold = mode == CompareMode::CaseInsensitive;
  auto* pa = reinterpret_cast<const unsigned char*>(a);
  auto* pb = reinterpret_cast<const unsigned char*>(b);
  for (;;) {
    unsigned ca = NextUnit(pa, fold);
    unsigned cb = NextUnit(pb, fold);
    if (ca != cb) return ca < cb ? -1 : 1;
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
