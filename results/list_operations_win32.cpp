// The right-click commands of the results window. They act on the selected
// rows, on the files the rows name, on the list file, or on the next run
// (through the run's flags); none of them changes the rows.
#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "results/results_state_win32.h"
#include "results/verifier_parts_win32.h"

namespace {

constexpr int kTextBuffer = 510;
constexpr size_t kPathBuffer = 1024;

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

void Reparent(ResultsWindowState& s) {
  HWND owner = s.Main;
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
  if (!ok || !s.Owner.PendingBase || s.Owner.PendingBaseSize == 0) return;
  size_t len = std::strlen(path);
  if (path[len - 1] != '\\') {
    if (len + 1 >= sizeof path || len + 1 >= s.Owner.PendingBaseSize) return;
    path[len] = '\\';
    path[len + 1] = 0;
  }
  lstrcpynA(s.Owner.PendingBase, path, static_cast<int>(s.Owner.PendingBaseSize));
  if (s.Owner.StopRequested) *s.Owner.StopRequested = true;
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
  const char* listPath = s.Owner.ListPath ? s.Owner.ListPath : "";
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

void ClearListDatabase(ResultsWindowState& s) {
  ListFormat format;
  const char* path = s.Owner.ListPath;
  if (!path || !s.Owner.ClearDatabase || !ListKeepsDatabase(path, &format)) return;
  if (!s.Owner.ClearDatabase(path, format)) {
    Box(s.Main, "Could not update DB", "Notice", MB_ICONEXCLAMATION);
  }
}

bool NameIsDriveQualified(const char* name) {
  return name[0] != 0 && name[1] == ':';
}

// "C&lear All DB Info" only for lists that keep a database; "Mo&ve all files
// to child directory" grayed for good once an OK row names a drive-qualified
// path (as after reparenting).
void PreparePopup(ResultsWindowState& s) {
  ListFormat format;
  const bool keeps = s.Owner.ListPath && ListKeepsDatabase(s.Owner.ListPath, &format);
  EnableMenuItem(s.Popup, kCmdClearDb, MF_BYCOMMAND | (keeps ? MF_ENABLED : MF_GRAYED));
  for (const ResultRow* row = s.Rows.Head; row; row = row->Next) {
    if (lstrcmpiA(row->Status, "ok") == 0 && NameIsDriveQualified(row->Name)) {
      EnableMenuItem(s.Popup, kCmdMoveGood, MF_BYCOMMAND | MF_GRAYED);
      break;
    }
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

namespace {

void RunListCommand(ResultsWindowState& s, int command) {
  if (!s.List || !s.Main) return;
  switch (command) {
    case kCmdClearDb:
      ClearListDatabase(s);
      break;
    case kCmdDeleteMarked:
      DeleteMarkedFiles(s.List);
      break;
    case kCmdCheckAll:
      if (s.Owner.VerifyAll) *s.Owner.VerifyAll = true;
      if (s.Owner.RerunRequested) *s.Owner.RerunRequested = true;
      break;
    case kCmdReparent:
      Reparent(s);
      break;
    case kCmdMoveGood:
      MoveGoodFiles(s);
      break;
    default:
      break;
  }
}

const VerifierWindowParts kVerifierParts = {PreparePopup, RunListCommand, ShowAboutBox};

}  // namespace

const VerifierWindowParts* VerifierWindowCommands() {
  return &kVerifierParts;
}
