// The column click after the run has finished: the list view is rebuilt
// from the clicked column's sort index (ascending appends, descending puts
// each row at the top) or, after the third click, in order of arrival, and
// the header arrow moves with it.
#include "results/results_state_win32.h"

namespace {

constexpr int kArrowUp = 4;
constexpr int kArrowDown = 5;

struct Rebuild {
  HWND List;
  int InsertAt;  // 0x7FFFFFFF appends, 0 puts each row at the top
  bool InPlace;  // rewrite the existing items instead of inserting
  int Next;      // in place: the item the next row goes to
  int Step;      // in place: +1, or -1 for a descending view built from the end
};

void SetTexts(HWND list, int index, const ResultRow* row) {
  SetSubItem(list, index, 1, row->Crc);
  SetSubItem(list, index, 2, row->Status);
}

bool AddItem(const ResultRow* row, void* context) {
  auto* r = static_cast<Rebuild*>(context);
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.pszText = const_cast<char*>(row->Name);
  item.iImage = row->Kind;
  if (r->InPlace) {
    item.iItem = r->Next;
    r->Next += r->Step;
    SendMessageA(r->List, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    SetTexts(r->List, item.iItem, row);
    return true;
  }
  const int index = InsertItem(r->List, r->InsertAt, row->Name, row->Kind);
  if (index >= 0) SetTexts(r->List, index, row);
  return true;
}

}  // namespace

void SetColumnArrow(HWND list, int column, bool arrow, bool descending) {
  LVCOLUMNA col{};
  col.mask = LVCF_FMT;
  if (!SendMessageA(list, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&col))) return;
  if (arrow) {
    col.fmt |= LVCFMT_IMAGE | LVCFMT_BITMAP_ON_RIGHT;
    col.mask = LVCF_FMT | LVCF_IMAGE;
    col.iImage = descending ? kArrowDown : kArrowUp;
  } else {
    col.fmt &= ~LVCFMT_IMAGE;
    col.mask = LVCF_FMT;
  }
  SendMessageA(list, LVM_SETCOLUMNA, column, reinterpret_cast<LPARAM>(&col));
  // Some list views pass the column's image flag on to their header only
  // for columns whose items have images; the header item itself is what
  // draws the arrow, so it gets the same format and image directly.
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  HDITEMA item{};
  item.mask = HDI_FORMAT;
  if (!header || !SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item))) {
    return;
  }
  if (arrow) {
    item.fmt |= HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
    item.mask = HDI_FORMAT | HDI_IMAGE;
    item.iImage = col.iImage;
  } else {
    item.fmt &= ~HDF_IMAGE;
  }
  SendMessageA(header, HDM_SETITEMA, column, reinterpret_cast<LPARAM>(&item));
}

void SortByColumn(ResultsWindowState& s, int column) {
  HWND list = s.List;
  if (!list || !s.StoreReady || column < 0 || column >= kColumnCount) return;
  ShowPendingRows(s);  // the last rows' scroll comes before the old top is read
  int clear = AdvanceSortState(&s.Sort, column);
  if (clear >= 0 && s.HeaderImagesSupported) SetColumnArrow(list, clear, false, false);

  int top = static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  const bool descending = s.Sort.Sorted && s.Sort.Descending;
  Rebuild r{list, descending ? 0 : 0x7FFFFFFF, false, 0, 1};
  // When every item has its stored row (always, unless the pools once
  // failed to grow), the items are rewritten in their new order: the same
  // list as deleting them all and inserting them again, without freeing and
  // allocating 100,000 items (most of a rebuild's time in some list views).
  // Either way the selection is gone afterwards.
  int items = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  if (items > 0 && static_cast<uint32_t>(items) == s.Rows.Count) {
    LVITEMA none{};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    r.InPlace = true;
    r.Next = descending ? items - 1 : 0;
    r.Step = descending ? -1 : 1;
  } else {
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  }
  // The stored texts already have their leading white space skipped.
  WalkRowsInOrder(&s.Rows, s.Sort, AddItem, &r);
  if (s.HeaderImagesSupported) {
    SetColumnArrow(list, s.Sort.Column, s.Sort.Sorted, s.Sort.Descending);
  }
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  RECT bounds{};
  bounds.left = LVIR_BOUNDS;
  // Rewritten in place, the view has kept its scroll position already.
  if (!r.InPlace && SendMessageA(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&bounds))) {
    SendMessageA(list, LVM_SCROLL, 0, (bounds.bottom - bounds.top) * top);
  }
  InvalidateRect(list, nullptr, TRUE);
}
