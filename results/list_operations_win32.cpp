// The right-click commands of the results window. They act on the selected
// rows, on the files the rows name, on the list file, or on the next run
// (through the run's flags); none of them changes the rows.
#include <windows.h>

#include <shlobj.h>

#include <cstring>
#include <memory>
#include <string>

#include "formats/list_detection.h"
#include "platform/file.h"

#include "platform/files_win32.h"
#include "platform/long_path_win32.h"
#include "platform/text_win32.h"
#include "platform/window_text_win32.h"
#include "results/results_state_win32.h"
#include "results/verifier_parts_win32.h"

namespace {

// The longest path the system's wide calls take.
constexpr DWORD kLongPath = 32768;

// Names are compared as the system's own ASCII words ("ok", ".par"): A-Z
// and a-z alike, every other byte as it is.
bool EqualsIgnoringAsciiCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    unsigned char x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + ('a' - 'A'));
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + ('a' - 'A'));
    if (x != y) return false;
    if (x == 0) return true;
  }
}

// The selected rows' files go, whatever their names' length: each name is
// read whole from its item and deleted through the long-path form.
void DeleteMarkedFiles(HWND list) {
  int n = static_cast<int>(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0));
  if (n < 1) return;
  int item = -1;
  for (int i = 0; i < n; ++i) {
    int next = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, item, LVNI_SELECTED));
    if (next < 0) continue;
    item = next;
    int image = GetItemImage(list, item);
    if (image != 1 && image != 2) continue;
    const std::string name = GetItemText(list, item, 0);
    if (!name.empty()) DeleteFileUtf8(name.c_str());
  }
}

// The chosen folder's file-system path, however long; empty for a virtual
// folder.
std::string ChosenFolderPath(LPCITEMIDLIST chosen) {
  std::wstring path(kLongPath, L'\0');
  if (SHGetPathFromIDListEx(chosen, path.data(), kLongPath, GPFIDL_DEFAULT) ||
      SHGetPathFromIDListW(chosen, path.data())) {
    return Utf8(path.c_str());
  }
  return std::string();
}

void Reparent(ResultsWindowState& s) {
  HWND owner = s.Main;
  wchar_t display[MAX_PATH] = {};
  BROWSEINFOW bi{};
  bi.hwndOwner = owner;
  bi.pszDisplayName = display;
  bi.ulFlags = BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
  LPITEMIDLIST chosen = SHBrowseForFolderW(&bi);
  if (!chosen) return;
  std::string path = ChosenFolderPath(chosen);
  IMalloc* malloc = nullptr;
  if (SUCCEEDED(SHGetMalloc(&malloc)) && malloc) {
    malloc->Free(chosen);
    malloc->Release();
  }
  // A virtual folder has no file-system path: nothing to look in, no rerun.
  if (path.empty() || !s.Owner.PendingBase || s.Owner.PendingBaseSize == 0) return;
  if (path.back() != '\\') path += '\\';
  // A folder whose path does not fit the run's buffer is not taken: a cut
  // path would name another folder.
  if (!CopyUtf8(path, s.Owner.PendingBase, s.Owner.PendingBaseSize)) return;
  if (s.Owner.StopRequested) *s.Owner.StopRequested = true;
}

bool StartsWithOk(const char* status) {
  return (status[0] == 'o' || status[0] == 'O') && (status[1] == 'k' || status[1] == 'K');
}

void Box(HWND owner, const char* text, const char* caption, UINT icon) {
  MessageBoxUtf8(owner, text, caption, MB_OK | icon);
}

void MoveGoodFiles(ResultsWindowState& s) {
  HWND owner = s.Main;
  const char* listPath = s.Owner.ListPath ? s.Owner.ListPath : "";
  std::string p;
  if (!std::strchr(listPath, '\\')) {
    p = CurrentFolder();
    if (p.empty()) return;
    if (p.back() != '\\') p += '\\';
    p += listPath;
  } else {
    p = listPath;
  }

  // t: the list's path as the folder lists it (its name's own case), then
  // the child folder; n: the list's name alone.
  std::string t, n;
  const size_t lastSlash = p.rfind('\\');
  FoundFile found;
  HANDLE find = FindFirstUtf8(p.c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    FindClose(find);
    t.assign(p, 0, lastSlash == std::string::npos ? 0 : lastSlash + 1);
    t += found.Name;
    n = found.Name;
  } else {
    t = p;
    n = lastSlash == std::string::npos ? p : p.substr(lastSlash + 1);
  }

  const size_t slash = t.rfind('\\');
  if (slash == std::string::npos) return;
  const size_t dot = t.rfind('.');
  if (dot != std::string::npos && dot > slash) t.resize(dot);
  if (!CreateFolderUtf8(t.c_str())) {
    Box(owner, "Could not create directory", "Error", MB_ICONEXCLAMATION);
    return;
  }
  t += '\\';
  std::string target;
  for (const ResultRow* row = s.Rows.Head; row; row = row->Next) {
    if (!StartsWithOk(row->Status)) continue;
    target = t;
    target += row->Name;
    if (!MoveFileUtf8(row->Name, target.c_str(), 0)) {
      Box(owner, "Could not move file", "Error", MB_ICONEXCLAMATION);
      return;
    }
  }
  target = t;
  target += n;
  if (MoveFileUtf8(n.c_str(), target.c_str(), 0)) {
    Box(owner, "All good files successfully moved", "Completed", 0);
  } else {
    Box(owner, "Could not move db file", "Error", MB_ICONEXCLAMATION);
  }
}

void ClearListDatabase(ResultsWindowState& s) {
  ListFormat format = ListFormat::Sfv;
  const char* path = s.Owner.ListPath;
  if (!path || !s.Owner.ClearDatabase) return;
  bool neverWritten = false;
  if (!ListKeepsDatabase(path, &format, &neverWritten)) {
    // A digest tool's list stays as its tool wrote it (it may be signed), and
    // so does any list the run would not write a database into.
    if (neverWritten) {
      Box(s.Main, "This list is never written to: it is not changed", "Notice", MB_ICONINFORMATION);
    }
    return;
  }
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
  ListFormat format = ListFormat::Sfv;
  bool neverWritten = false;
  const bool keeps =
      s.Owner.ListPath && ListKeepsDatabase(s.Owner.ListPath, &format, &neverWritten);
  // A read-only list keeps the command, which says that it changes nothing.
  const bool offered = keeps || neverWritten;
  EnableMenuItem(s.Popup, kCmdClearDb, MF_BYCOMMAND | (offered ? MF_ENABLED : MF_GRAYED));
  for (const ResultRow* row = s.Rows.Head; row; row = row->Next) {
    if (EqualsIgnoringAsciiCase(row->Status, "ok") && NameIsDriveQualified(row->Name)) {
      EnableMenuItem(s.Popup, kCmdMoveGood, MF_BYCOMMAND | MF_GRAYED);
      break;
    }
  }
}

}  // namespace

bool ListKeepsDatabase(const char* path, ListFormat* format, bool* neverWritten) {
  // SFV lists (".sfv", ".txt" and every name no other reader claims) and PAR
  // lists carry a database, but only those the run would write one into
  // (ListMayKeepDatabase): any other list stays exactly as it is. The name
  // decides as it does for the run, and the content then.
  *neverWritten = false;
  if (!ClassifyListPath(ListHost::Verifier, path, format)) return false;
  if (*format != ListFormat::Sfv && *format != ListFormat::Par) {
    *neverWritten = ListIsReadOnly(*format);
    return false;
  }
  UniqueFile list(OpenFile(path, OpenMode::ReadShared));
  if (!list) return true;  // the database command then says it could not update it
  auto reader = std::make_unique<ListReader>();
  InitListReader(reader.get(), ListHost::Verifier, nullptr, nullptr);
  DetectListFormat(reader.get(), path, list.Get());
  CountListEntries(reader.get(), list.Get());
  *format = reader->Format;
  if (ListMayKeepDatabase(*reader)) return true;
  // Whatever it turned out to be, this list is never written to.
  *neverWritten = true;
  return false;
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
