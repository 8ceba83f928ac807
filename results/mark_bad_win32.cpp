// "&Mark bad files": the selection becomes exactly the bad rows that carry a
// status (result lines, not messages such as an invalid list line).
#include "results/results_state_win32.h"

namespace {

constexpr int kTextBuffer = 510;

void SetSelected(HWND list, int item, bool selected) {
  LVITEMA it{};
  it.stateMask = LVIS_SELECTED;
  it.state = selected ? LVIS_SELECTED : 0;
  SendMessageA(list, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&it));
}

}  // namespace

void MarkBadFiles(HWND list) {
  int n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  char status[kTextBuffer];
  for (int i = 0; i < n; ++i) {
    bool select = false;
    if (GetItemImage(list, i) == Bad) {
      GetItemText(list, i, 2, status, kTextBuffer);
      select = status[0] != 0;
    }
    SetSelected(list, i, select);
  }
  SetFocus(list);
}
