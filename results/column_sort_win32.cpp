// The column click after the run has finished: the list view is rebuilt
// from the clicked column's sort index (ascending appends, descending puts
// each row at the top) or, after the third click, in order of arrival, and
// the header arrow moves with it.
#include "results/results_state_win32.h"

namespace {

constexpr int kArrowUp = 4;
constexpr int kArrowDown = 5;

void SetColumnFormat(HWND list, int column, bool arrow, bool descending) {
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

struct Rebuild {
  HWND List;
  int InsertAt;
};

bool AddItem(const ResultRow* row, void* context) {
  auto* r = static_cast<Rebuild*>(context);
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = r->InsertAt;
  item.pszText = const_cast<char*>(row->Name);
  item.iImage = row->Kind;
  int index =
      static_cast<int>(SendMessageA(r->List, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  if (index < 0) return true;
  LVITEMA sub{};
  sub.iSubItem = 1;
  sub.pszText = const_cast<char*>(row->Crc);
  SendMessageA(r->List, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&sub));
  sub.iSubItem = 2;
  sub.pszText = const_cast<char*>(row->Status);
  SendMessageA(r->List, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&sub));
  return true;
}

}  // namespace

void SortByColumn(ResultsWindowState& s, int column) {
  HWND list = s.List;
  if (!list || !s.StoreReady || column < 0 || column >= kColumnCount) return;
  ShowPendingRows(s);  // the last rows' scroll comes before the old top is read
  int clear = AdvanceSortState(&s.Sort, column);
  if (clear >= 0 && s.HeaderImagesSupported) SetColumnFormat(list, clear, false, false);

  int top = static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  Rebuild r{list, s.Sort.Sorted && s.Sort.Descending ? 0 : 0x7FFFFFFF};
  // The stored texts already have their leading white space skipped.
  WalkRowsInOrder(&s.Rows, s.Sort, AddItem, &r);
  if (s.HeaderImagesSupported) {
    SetColumnFormat(list, s.Sort.Column, s.Sort.Sorted, s.Sort.Descending);
  }
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  RECT bounds{};
  bounds.left = LVIR_BOUNDS;
  if (SendMessageA(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&bounds))) {
    SendMessageA(list, LVM_SCROLL, 0, (bounds.bottom - bounds.top) * top);
  }
  InvalidateRect(list, nullptr, TRUE);
}
