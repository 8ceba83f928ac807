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
  ItemText name(row->Name);
  if (r->InPlace) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.pszText = name.Get();
    item.iImage = row->Kind;
    item.iItem = r->Next;
    r->Next += r->Step;
    SendMessageW(r->List, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    SetTexts(r->List, item.iItem, row);
    return true;
  }
  const int index = InsertItemWide(r->List, r->InsertAt, name.Get(), row->Kind);
  if (index >= 0) SetTexts(r->List, index, row);
  return true;
}

}  // namespace

void SetColumnArrow(HWND list, int column, bool arrow, bool descending) {
  LVCOLUMNW col{};
  col.mask = LVCF_FMT;
  if (!SendMessageW(list, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&col))) return;
  if (arrow) {
    col.fmt |= LVCFMT_IMAGE | LVCFMT_BITMAP_ON_RIGHT;
    col.mask = LVCF_FMT | LVCF_IMAGE;
    col.iImage = descending ? kArrowDown : kArrowUp;
  } else {
    col.fmt &= ~LVCFMT_IMAGE;
    col.mask = LVCF_FMT;
  }
  SendMessageW(list, LVM_SETCOLUMNW, column, reinterpret_cast<LPARAM>(&col));
  // Some list views pass the column's image flag on to their header only
  // for columns whose items have images; the header item itself is what
  // draws the arrow, so it gets the same format and image directly.
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  HDITEMW item{};
  item.mask = HDI_FORMAT;
  if (!header || !SendMessageW(header, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item))) {
    return;
  }
  if (arrow) {
    item.fmt |= HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
    item.mask = HDI_FORMAT | HDI_IMAGE;
    item.iImage = col.iImage;
  } else {
    item.fmt &= ~HDF_IMAGE;
  }
  SendMessageW(header, HDM_SETITEMW, column, reinterpret_cast<LPARAM>(&item));
}

void SortByColumn(ResultsWindowState& s, int column) {
  HWND list = s.List;
  if (!list || !s.StoreReady || column < 0 || column >= kColumnCount) return;
  ShowPendingRows(s);  // the last rows' scroll comes before the old top is read
  int clear = AdvanceSortState(&s.Sort, column);
  if (clear >= 0 && s.HeaderImagesSupported) SetColumnArrow(list, clear, false, false);

  int top = static_cast<int>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  const bool descending = s.Sort.Sorted && s.Sort.Descending;
  Rebuild r{list, descending ? 0 : 0x7FFFFFFF, false, 0, 1};
  // When every item has its stored row (always, unless the pools once
  // failed to grow), the items are rewritten in their new order: the same
  // list as deleting them all and inserting them again, without freeing and
  // allocating 100,000 items (most of a rebuild's time in some list views).
  // Either way the selection is gone afterwards.
  int items = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  if (items > 0 && static_cast<uint32_t>(items) == s.Rows.Count) {
    LVITEMW none{};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    r.InPlace = true;
    r.Next = descending ? items - 1 : 0;
    r.Step = descending ? -1 : 1;
  } else {
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  }
  // The stored texts already have their leading white space skipped.
  WalkRowsInOrder(&s.Rows, s.Sort, AddItem, &r);
  if (s.HeaderImagesSupported) {
    SetColumnArrow(list, s.Sort.Column, s.Sort.Sorted, s.Sort.Descending);
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  RECT bounds{};
  bounds.left = LVIR_BOUNDS;
  // Rewritten in place, the view has kept its scroll position already.
  if (!r.InPlace && SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&bounds))) {
    SendMessageW(list, LVM_SCROLL, 0, (bounds.bottom - bounds.top) * top);
  }
  InvalidateRect(list, nullptr, TRUE);
}
