// The second copy of every row the results window shows: the rows in order
// of arrival and three sort indexes (Name and Status without regard to case,
// CRC exactly) that receive each row as it arrives, so that the list can be
// rebuilt in any order by one in-order walk. One store per window.
#pragma once

#include <cstddef>
#include <cstdint>

#include "results/record_pool.h"
#include "results/sort_index.h"

constexpr size_t kRowNameSize = 512;
constexpr size_t kRowStatusSize = 128;
// Room for the longest digest a list carries whole (SHA-512: 128 digits).
constexpr size_t kRowCrcSize = 132;

struct ResultRow {
  ResultRow* Next;   // insertion order
  int32_t Kind;      // a RowKind; also the row's image index
  const char* Name;  // NameText, or the store's whole copy of a longer name
  char NameText[kRowNameSize];
  char Status[kRowStatusSize];
  char Crc[kRowCrcSize];
};

enum SortColumn : int { NameColumn = 0, CrcColumn = 1, StatusColumn = 2 };
constexpr int kColumnCount = 3;

// A name too long for its row, kept whole beside it.
struct LongName {
  LongName* Next;
  char Text[1];  // the name and its zero
};

struct RowStore {
  RecordPool* Rows = nullptr;
  LongName* LongNames = nullptr;  // freed with the store
  RecordPool* Nodes = nullptr;
  SortIndex* Indexes[kColumnCount] = {};
  ResultRow* Head = nullptr;
  ResultRow** Tail = nullptr;  // the link to fill next
  uint32_t Count = 0;
};

// Node pool, the three indexes, then the row pool with its first 100 rows.
// False (and nothing left allocated) when the system refuses memory.
bool CreateRowStore(RowStore* store);
// Returns every row, frees the indexes, then the node pool and the row pool.
void DestroyRowStore(RowStore* store);
bool ReserveRowStore(RowStore* store, size_t rows);

// Up to three fields of a reported line, each with its leading white space
// skipped. Count is the number of fields found (further ones are ignored).
struct LineFields {
  int Count = 0;
  const char* Start[kColumnCount] = {};
  size_t Length[kColumnCount] = {};
};

// Splits at every ':'; empty runs yield no field. With `driveLetters`, a ':'
// as the second character stays in the first field ("C:\dir\a.bin").
LineFields SplitResultLine(const char* text, bool driveLetters);

// Stores the kind and copies the fields into the row, each cut to its size.
void FillRowFields(ResultRow* row, int32_t kind, const LineFields& fields);

// Copies the fields into a new row, appends it and indexes it. The name is
// kept whole, however long (it names the file the list operations act on);
// the CRC and the status are cut to their sizes. Null when the pools cannot
// grow; the store is then unchanged.
ResultRow* AddStoredRow(RowStore* store, int32_t kind, const LineFields& fields);

// Column-header clicks: not sorted -> ascending -> descending -> not sorted
// on one column; a click on another column starts ascending there.
struct SortState {
  bool Sorted = false;
  int Column = NameColumn;
  bool Descending = false;
};
// Applies one click on `column`; returns the column whose arrow must go
// (the previous sort column when the column changed), or -1.
int AdvanceSortState(SortState* state, int column);

// Rows in arrival order when not sorted, else in ascending key order of the
// sort column's index (equal keys in arrival order); a descending view is
// built by putting each visited row at the top. Stops when `visit` returns
// false.
using RowVisit = bool (*)(const ResultRow* row, void* context);
void WalkRowsInOrder(const RowStore* store, const SortState& state, RowVisit visit, void* context);
