// The right-click commands of the results window. They act on the selected
// rows, on the files the rows name, on the list file, or on the next run
// (through the run's flags); none of them changes the rows.
#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "results/results_state_win32.h"
#include "verifier/database_file.h"
#include "verifier/run_state.h"

namespace {

constexpr int kTextBuffer = 510;
constexpr size_t kPathBuffer = 1024;

int ItemCount(HWND list) {
  return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

void SetSelected(HWND list, int item, bool selected) {
  LVITEMA it{};
  it.stateMask = LVIS_SELECTED;
  it.state = selected ? LVIS_SELECTED : 0;
  SendMessageA(list, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&it));
}

void MarkBadFiles(HWND list) {
  int n = ItemCount(list);
  char status[kTextBuffer];
  for (int i = 0; i < n; ++i) {
    bool select = false;
    if (GetItemImage(list, i) == 2) {
      GetItemText(list, i, 2, status, kTextBuffer);
      select = status[0] != 0;
    }
    SetSelected(list, i, select);
  }
  SetFocus(list);
}

void DeleteMarkedFiles(HWND list) {
  int n = static_cast<int>(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0));
  if (n < 1) return;
  char name[kTextBuffer];
  int item = -1;
  for (int i = 0; i < n; ++i) {
    int next = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, item, LVNI_SELECTED));
    if (next < 0) continue;
    item = next;
    int image = GetItemImage(list, item);
    if (image != 1 && image != 2) continue;
    GetItemText(list, item, 0, name, kTextBuffer);
    if (name[0]) DeleteFileA(name);
  }
}

void Reparent(HWND owner) {
  char display[MAX_PATH] = {};
  BROWSEINFOA bi{};
  bi.hwndOwner = owner;
  bi.pszDisplayName = display;
  bi.ulFlags = BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
  LPITEMIDLIST chosen = SHBrowseForFolderA(&bi);
  if (!chosen) return;
  char path[MAX_PATH] = {};
  bool ok = SHGetPathFromIDListA(chosen, path) && path[0];
  IMalloc* malloc = nullptr;
  if (SUCCEEDED(SHGetMalloc(&malloc)) && malloc) {
    malloc->Free(chosen);
    malloc->Release();
  }
  // A virtual folder has no file-system path: nothing to look in, no rerun.
  if (!ok) return;
  size_t len = std::strlen(path);
  if (path[len - 1] != '\\') {
    if (len + 1 >= sizeof g_verifier.PendingBase) return;
    path[len] = '\\';
    path[len + 1] = 0;
  }
  lstrcpynA(g_verifier.PendingBase, path, sizeof g_verifier.PendingBase);
  g_verifier.StopRequested = true;
}

bool StartsWithOk(const char* status) {
  return (status[0] == 'o' || status[0] == 'O') && (status[1] == 'k' || status[1] == 'K');
}

void Box(HWND owner, const char* text, const char* caption, UINT icon) {
  MessageBoxA(owner, text, caption, MB_OK | icon);
}

// Appends `tail` to `to` (capacity kPathBuffer); false when it does not fit.
bool Append(char* to, const char* tail) {
  size_t a = std::strlen(to), b = std::strlen(tail);
  if (a + b >= kPathBuffer) return false;
  std::memcpy(to + a, tail, b + 1);
  return true;
}

void MoveGoodFiles(ResultsWindowState& s) {
  HWND owner = s.Main;
  char p[kPathBuffer] = {};
  const char* listPath = g_verifier.ListPath;
  if (!std::strchr(listPath, '\\')) {
    DWORD got = GetCurrentDirectoryA(kPathBuffer, p);
    if (got == 0 || got >= kPathBuffer) return;
    size_t len = std::strlen(p);
    if (len == 0 || p[len - 1] != '\\') Append(p, "\\");
    if (!Append(p, listPath)) return;
  } else {
    lstrcpynA(p, listPath, kPathBuffer);
  }

  char t[kPathBuffer];
  char n[kPathBuffer];
  char* lastSlash = std::strrchr(p, '\\');
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA(p, &found);
  if (find != INVALID_HANDLE_VALUE) {
    FindClose(find);
    size_t head = lastSlash ? static_cast<size_t>(lastSlash - p) + 1 : 0;
    std::memcpy(t, p, head);
    t[head] = 0;
    if (!Append(t, found.cFileName)) return;
    lstrcpynA(n, found.cFileName, kPathBuffer);
  } else {
    lstrcpynA(t, p, kPathBuffer);
    lstrcpynA(n, lastSlash ? lastSlash + 1 : p, kPathBuffer);
  }

  char* slash = std::strrchr(t, '\\');
  if (!slash) return;
  if (char* dot = std::strrchr(slash, '.')) *dot = 0;
  if (!CreateDirectoryA(t, nullptr)) {
    Box(owner, "Could not create directory", "Error", MB_ICONEXCLAMATION);
    return;
  }
  Append(t, "\\");
  char target[kPathBuffer];
  for (const ResultRow* row = s.Rows.Head; row; row = row->Next) {
    if (!StartsWithOk(row->Status)) continue;
    lstrcpynA(target, t, kPathBuffer);
    if (!Append(target, row->Name) || std::rename(row->Name, target) != 0) {
      Box(owner, "Could not move file", "Error", MB_ICONEXCLAMATION);
      return;
    }
  }
  lstrcpynA(target, t, kPathBuffer);
  if (Append(target, n) && std::rename(n, target) == 0) {
    Box(owner, "All good files successfully moved", "Completed", 0);
  } else {
    Box(owner, "Could not move db file", "Error", MB_ICONEXCLAMATION);
  }
}

void ClearListDatabase(HWND owner) {
  ListFormat format;
  if (!ListKeepsDatabase(g_verifier.ListPath, &format)) return;
  if (!ClearDatabase(g_verifier.ListPath, format)) {
    Box(owner, "Could not update DB", "Notice", MB_ICONEXCLAMATION);
  }
}

}  // namespace

bool ListKeepsDatabase(const char* path, ListFormat* format) {
  // SFV lists (".sfv", ".txt" and every extension no other reader claims)
  // and PAR lists carry a database; the content checks only tell the three
  // kinds of ".crc" list apart, so the extension decides.
  const char* name = path;
  for (const char* p = path; *p; ++p) {
    if (*p == '\\' || *p == '/') name = p + 1;
  }
  const char* dot = std::strrchr(name, '.');
  *format = ListFormat::Sfv;
  if (!dot) return true;
  if (lstrcmpiA(dot, ".par") == 0) {
    *format = ListFormat::Par;
    return true;
  }
  static const char* const kOthers[] = {".md5", ".ckz", ".csv", ".crc"};
  for (const char* other : kOthers) {
    if (lstrcmpiA(dot, other) == 0) return false;
  }
  return true;
}

void RunListCommand(ResultsWindowState& s, int command) {
  if (!s.List || !s.Main) return;
  switch (command) {
    case kCmdMarkBad:
      MarkBadFiles(s.List);
      break;
    case kCmdCopy:
      PostMessageA(s.Main, WM_CHAR, 3, 0);
      break;
    case kCmdClearDb:
      ClearListDatabase(s.Main);
      break;
    case kCmdDeleteMarked:
      DeleteMarkedFiles(s.List);
      break;
    case kCmdCheckAll:
      g_verifier.VerifyAll = true;
      g_verifier.RerunRequested = true;
      break;
    case kCmdReparent:
      Reparent(s.Main);
      break;
    case kCmdMoveGood:
      MoveGoodFiles(s);
      break;
    default:
      break;
  }
}
