// The shell extension's column click: its list items are the only copy of
// the rows, so they are sorted where they are, at any time, all three
// columns without regard to case; the third click puts them back in order
// of arrival, which every item carries as its data. The header arrow moves
// as in the verifier's window. Texts are compared as the system compares
// them without regard to case (lstrcmpi), in UTF-16, so that any name sorts
// by the system's own rules and ASCII ones exactly as they always have.
#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "results/results_state_win32.h"

namespace {

struct ItemKey {
  LPARAM Arrival;
  wchar_t* Text;
};

// Item data is the position of arrival; `context` maps it to the new place.
int CALLBACK CompareByRank(LPARAM a, LPARAM b, LPARAM context) {
  const int* rank = reinterpret_cast<const int*>(context);
  return rank[a] < rank[b] ? -1 : rank[a] > rank[b] ? 1 : 0;
}

int CALLBACK CompareByArrival(LPARAM a, LPARAM b, LPARAM) {
  return a < b ? -1 : a > b ? 1 : 0;
}

LPARAM ItemData(HWND list, int item) {
  LVITEMW it{};
  it.mask = LVIF_PARAM;
  it.iItem = item;
  return SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&it)) ? it.lParam : -1;
}

// The items' new places by the column's text (ties in order of arrival), or
// false when memory ran out or an item has no valid position of arrival.
bool RankItems(HWND list, int count, int arrivals, int column, bool descending, int* rank) {
  ItemKey* keys = new (std::nothrow) ItemKey[count];
  if (!keys) return false;
  bool ok = true;
  int filled = 0;
  for (; filled < count; ++filled) {
    LPARAM arrival = ItemData(list, filled);
    const std::wstring text = GetItemTextWide(list, filled, column);
    const size_t length = text.size();
    wchar_t* copy = new (std::nothrow) wchar_t[length + 1];
    if (arrival < 0 || arrival >= arrivals || !copy) {
      delete[] copy;
      ok = false;
      break;
    }
    std::memcpy(copy, text.c_str(), (length + 1) * sizeof(wchar_t));
    keys[filled] = {arrival, copy};
  }
  if (ok) {
    std::sort(keys, keys + count, [descending](const ItemKey& a, const ItemKey& b) {
      int c = lstrcmpiW(a.Text, b.Text);
      if (c == 0) c = a.Arrival < b.Arrival ? -1 : 1;
      return descending ? c > 0 : c < 0;
    });
    for (int i = 0; i < count; ++i) rank[keys[i].Arrival] = i;
  }
  for (int i = 0; i < filled; ++i) delete[] keys[i].Text;
  delete[] keys;
  return ok;
}

}  // namespace

void SortItemsInPlace(ResultsWindowState& s, int column) {
  HWND list = s.List;
  if (!list || column < 0 || column >= kColumnCount) return;
  ShowPendingRows(s);
  SortState next = s.Sort;
  int clear = AdvanceSortState(&next, column);
  int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  if (next.Sorted && count > 1) {
    int* rank = new (std::nothrow) int[s.Arrivals > 0 ? s.Arrivals : 1];
    bool ranked = rank && RankItems(list, count, s.Arrivals, column, next.Descending, rank);
    if (ranked) {
      SendMessageW(list, LVM_SORTITEMS, reinterpret_cast<WPARAM>(rank),
                   reinterpret_cast<LPARAM>(CompareByRank));
    }
    delete[] rank;
    if (!ranked) {
      MessageBeep(MB_ICONASTERISK);  // out of memory: the order stays
      return;
    }
  } else if (!next.Sorted) {
    SendMessageW(list, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(CompareByArrival));
  }
  s.Sort = next;
  if (s.HeaderImagesSupported) {
    if (clear >= 0) SetColumnArrow(list, clear, false, false);
    SetColumnArrow(list, s.Sort.Column, s.Sort.Sorted, s.Sort.Descending);
  }
}
