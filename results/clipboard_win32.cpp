// Ctrl+C and "&Copy": the Name texts of the selected rows, top to bottom,
// each followed by CR LF, as CF_TEXT.
#include <cstring>

#include "results/results_state_win32.h"

namespace {

constexpr int kNameBuffer = 510;

// The selected items from the top; -1 when there are no more.
int NextSelected(HWND list, int after) {
  return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, after, LVNI_SELECTED));
}

}  // namespace

void CopySelectedNames(HWND main, HWND list) {
  if (!OpenClipboard(main)) return;
  EmptyClipboard();
  int n = list ? static_cast<int>(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0)) : 0;
  if (n <= 0) {
    CloseClipboard();
    return;
  }
  char name[kNameBuffer];
  SIZE_T bytes = 1;  // the terminating zero
  int item = -1;
  for (int i = 0; i < n; ++i) {
    int next = NextSelected(list, item);
    if (next < 0) continue;
    item = next;
    GetItemText(list, item, 0, name, kNameBuffer);
    bytes += std::strlen(name) + 4;
  }
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes);
  if (!block) {
    CloseClipboard();
    return;
  }
  char* out = static_cast<char*>(GlobalLock(block));
  char* end = out;
  SIZE_T room = bytes;
  item = -1;
  // The second pass may not find more than the first measured: the list is
  // not changed in between (the same thread does both).
  for (int i = 0; i < n; ++i) {
    int next = NextSelected(list, item);
    if (next < 0) continue;
    item = next;
    GetItemText(list, item, 0, name, kNameBuffer);
    size_t len = std::strlen(name);
    if (len + 3 > room) break;
    std::memcpy(end, name, len);
    end[len] = '\r';
    end[len + 1] = '\n';
    end += len + 2;
    room -= len + 2;
  }
  *end = 0;
  GlobalUnlock(block);
  if (!SetClipboardData(CF_TEXT, block)) GlobalFree(block);
  CloseClipboard();
}
