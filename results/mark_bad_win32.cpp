// "&Mark bad files": the selection becomes exactly the bad rows that carry a
// status (result lines, not messages such as an invalid list line).
#include "results/results_state_win32.h"

namespace {

void SetSelected(HWND list, int item, bool selected) {
  LVITEMW it{};
  it.stateMask = LVIS_SELECTED;
  it.state = selected ? LVIS_SELECTED : 0;
  SendMessageW(list, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&it));
}

// Whether the item's Status column holds any text: its first character is
// all that is read.
bool HasStatus(HWND list, int item) {
  wchar_t first[2] = {};
  LVITEMW it{};
  it.iSubItem = 2;
  it.pszText = first;
  it.cchTextMax = 2;
  SendMessageW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&it));
  return first[0] != 0;
}

}  // namespace

void MarkBadFiles(HWND list) {
  int n = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    SetSelected(list, i, GetItemImage(list, i) == Bad && HasStatus(list, i));
  }
  SetFocus(list);
}
