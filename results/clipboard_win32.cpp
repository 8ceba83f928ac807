// Ctrl+C and "&Copy": the Name texts of the selected rows, top to bottom,
// each followed by CR LF, as Unicode text (Windows gives programs that ask
// for the 8-bit forms those).
#include <string>

#include "platform/window_text_win32.h"
#include "results/results_state_win32.h"

void CopySelectedNames(HWND main, HWND list) {
  int n = list ? static_cast<int>(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0)) : 0;
  if (n <= 0) {
    // Nothing selected: the clipboard is emptied all the same.
    if (!OpenClipboard(main)) return;
    EmptyClipboard();
    CloseClipboard();
    return;
  }
  std::string text;
  int item = -1;
  for (int i = 0; i < n; ++i) {
    int next = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, item, LVNI_SELECTED));
    if (next < 0) break;
    item = next;
    text += GetItemText(list, item, 0);
    text += "\r\n";
  }
  SetClipboardTextUtf8(main, text);
}
