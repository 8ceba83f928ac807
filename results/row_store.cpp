#include "results/row_store.h"

#include <cstdlib>
#include <cstring>

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

void CopyField(char* to, size_t capacity, const char* from, size_t length) {
  if (length >= capacity) length = capacity - 1;
  std::memcpy(to, from, length);
  to[length] = 0;
}

}  // namespace

bool CreateRowStore(RowStore* store) {
  *store = RowStore{};
  store->Nodes = CreateRecordPool(sizeof(SortNode), 100, 100);
  if (!store->Nodes) return false;
  static const CompareMode kModes[kColumnCount] = {CompareMode::CaseInsensitive, CompareMode::Exact,
                                                   CompareMode::CaseInsensitive};
  for (int i = 0; i < kColumnCount; ++i) {
    store->Indexes[i] = CreateSortIndex(store->Nodes);
    if (!store->Indexes[i]) {
      DestroyRowStore(store);
      return false;
    }
    SetCompareMode(store->Indexes[i], kModes[i]);
  }
  store->Rows = CreateRecordPool(sizeof(ResultRow), 100, 1000);
  if (!store->Rows) {
    DestroyRowStore(store);
    return false;
  }
  store->Head = nullptr;
  store->Tail = &store->Head;
  return true;
}

void DestroyRowStore(RowStore* store) {
  for (LongName* name = store->LongNames; name;) {
    LongName* next = name->Next;
    std::free(name);
    name = next;
  }
  store->LongNames = nullptr;
  if (store->Rows) {
    ResultRow* row = store->Head;
    while (row) {
      ResultRow* next = row->Next;
      PoolRelease(store->Rows, row);
      row = next;
    }
  }
  for (SortIndex*& index : store->Indexes) {
    DestroySortIndex(index);
    index = nullptr;
  }
  DestroyRecordPool(store->Nodes);
  DestroyRecordPool(store->Rows);
  *store = RowStore{};
}

bool ReserveRowStore(RowStore* store, size_t rows) {
  return store->Rows && PoolReserve(store->Rows, rows);
}

LineFields SplitResultLine(const char* text, bool driveLetters) {
  LineFields f;
  const char* p = text;
  const char* fieldStart = text;
  if (driveLetters && text[0] != 0 && text[1] == ':') p = text + 2;
  for (;;) {
    // p scans for the end of the field that begins at fieldStart.
    while (*p != 0 && *p != ':') ++p;
    if (p > fieldStart && f.Count < kColumnCount) {
      const char* s = fieldStart;
      while (s < p && IsBlank(*s)) ++s;
      f.Start[f.Count] = s;
      f.Length[f.Count] = static_cast<size_t>(p - s);
      ++f.Count;
    }
    if (*p == 0) break;
    ++p;
    fieldStart = p;
  }
  return f;
}

void FillRowFields(ResultRow* row, int32_t kind, const LineFields& fields) {
  row->Kind = kind;
  row->Name = row->NameText;
  row->NameText[0] = 0;
  if (fields.Count > 0) CopyField(row->NameText, kRowNameSize, fields.Start[0], fields.Length[0]);
  if (fields.Count > 1) CopyField(row->Crc, kRowCrcSize, fields.Start[1], fields.Length[1]);
  if (fields.Count > 2) {
    CopyField(row->Status, kRowStatusSize, fields.Start[2], fields.Length[2]);
  }
}

ResultRow* AddStoredRow(RowStore* store, int32_t kind, const LineFields& fields) {
  auto* row = static_cast<ResultRow*>(PoolAllocate(store->Rows));
  if (!row) return nullptr;
  FillRowFields(row, kind, fields);
  // Names that long are rare (deep folders): each gets a block of its own.
  // Without the memory the row keeps the name as far as it holds it.
  if (fields.Count > 0 && fields.Length[0] >= kRowNameSize) {
    const size_t length = fields.Length[0];
    auto* name = static_cast<LongName*>(std::malloc(sizeof(LongName) + length));
    if (name) {
      std::memcpy(name->Text, fields.Start[0], length);
      name->Text[length] = 0;
      name->Next = store->LongNames;
      store->LongNames = name;
      row->Name = name->Text;
    }
  }
  const char* keys[kColumnCount] = {row->Name, row->Crc, row->Status};
  // A row enters the list only once every index holds it, so that every
  // rebuilt view shows the same rows.
  int inserted = 0;
  for (; inserted < kColumnCount; ++inserted) {
    if (!SortIndexInsert(store->Indexes[inserted], keys[inserted], row)) break;
  }
  if (inserted < kColumnCount) {
    // The node pool is exhausted. Trees cannot give a node back, so a row
    // already in some index stays allocated (but unlisted) until the store
    // goes; it is never visited because the walk checks Kind.
    row->Kind = -1;
    return nullptr;
  }
  *store->Tail = row;
  store->Tail = &row->Next;
  ++store->Count;
  return row;
}

int AdvanceSortState(SortState* state, int column) {
  int clear = -1;
  if (!state->Sorted) {
    state->Sorted = true;
    state->Column = column;
    state->Descending = false;
  } else if (column != state->Column) {
    clear = state->Column;
    state->Column = column;
    state->Descending = false;
  } else if (!state->Descending) {
    state->Descending = true;
  } else {
    state->Sorted = false;
    state->Descending = false;
  }
  return clear;
}

namespace {

struct WalkContext {
  RowVisit Visit;
  void* Context;
};

bool VisitIndexed(const char*, ResultRow* row, void* context, int) {
  auto* w = static_cast<WalkContext*>(context);
  if (row->Kind < 0) return true;
  return w->Visit(row, w->Context);
}

}  // namespace

void WalkRowsInOrder(const RowStore* store, const SortState& state, RowVisit visit, void* context) {
  if (!state.Sorted) {
    for (const ResultRow* row = store->Head; row; row = row->Next) {
      if (!visit(row, context)) return;
    }
    return;
  }
  WalkContext w{visit, context};
  WalkSortIndex(store->Indexes[state.Column], VisitIndexed, &w);
}
