// The right-click commands of the results window. They act on the selected
// rows, on the files the rows name, on the list file, or on the next run
// (through the run's flags); none of them changes the rows.
#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "formats/list_detection.h"
#include "platform/file.h"

#include "platform/files_win32.h"
#include "platform/long_path_win32.h"
#include "platform/text_win32.h"
#include "platform/window_text_win32.h"
#include "platform/windows_path.h"
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

// The full form of `path` (UTF-8), however long; empty when it cannot be
// had. An absolute path is normalized by the file system's own rules
// ("/", "." and ".."), which keep a name's trailing dot or blank; any other
// is made full by the system's, which do not.
std::wstring FullPath(const std::string& path) {
  std::string extended;
  if (ToExtendedForm(path, &extended)) {
    if (extended.compare(0, 8, "\\\\?\\UNC\\") == 0) {
      std::string unc = extended.substr(6);  // "C\\server\\share..."
      unc[0] = '\\';
      return Wide(unc);
    }
    if (extended.compare(0, 4, "\\\\?\\") == 0) return Wide(extended.substr(4));
    return std::wstring();  // a device path names no file of a list
  }
  const std::wstring wide = Wide(path);
  const DWORD need = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (need == 0) return std::wstring();
  std::wstring full(need, L'\0');
  const DWORD got = GetFullPathNameW(wide.c_str(), need, full.data(), nullptr);
  if (got == 0 || got >= need) return std::wstring();
  full.resize(got);
  return full;
}

// The list's folder as the system names it (no separator at its end but at
// a root): names without a folder part are relative to it.
std::wstring ListFolder(const ResultsWindowState& s) {
  const char* listPath = s.Owner.ListPath ? s.Owner.ListPath : "";
  const std::string folder = std::strchr(listPath, '\\') ? FolderOf(listPath) : CurrentFolder();
  return FullPath(folder.empty() ? std::string(".") : folder);
}

// A row's file as the system names it, by the rule every list name follows
// (ListNamePath): a relative name is taken in the list's folder, a rooted or
// drive-relative one as the system takes it, "/", "." and ".." resolved.
// Empty when the system cannot name it, and for a name on another machine or
// a device, which is never touched.
std::wstring RowPath(const std::wstring& listFolder, const std::string& name) {
  std::string path;
  uint32_t nameStart = 0;
  if (!ListNamePath(Utf8(listFolder), name, &path, &nameStart)) return std::wstring();
  return FullPath(path);
}

// Whether `path` lies in `folder` or below it (both full paths), compared
// as the file system compares names.
bool LiesUnder(const std::wstring& path, const std::wstring& folder) {
  size_t n = folder.size();
  if (n > 0 && folder[n - 1] == L'\\') --n;  // a root keeps its separator
  if (path.size() <= n + 1 || path[n] != L'\\') return false;
  return CompareStringOrdinal(path.c_str(), static_cast<int>(n), folder.c_str(),
                              static_cast<int>(n), TRUE) == CSTR_EQUAL;
}

// Names in a message, one a line, at most kNamedFiles of them.
constexpr size_t kNamedFiles = 20;
void AppendNames(const std::vector<std::wstring>& paths, std::string* text) {
  for (size_t i = 0; i < paths.size() && i < kNamedFiles; ++i) {
    *text += "\r\n";
    *text += Utf8(paths[i]);
  }
  if (paths.size() > kNamedFiles) {
    char more[48];
    std::snprintf(more, sizeof more, "\r\n(and %u more)",
                  static_cast<unsigned>(paths.size() - kNamedFiles));
    *text += more;
  }
}

// Whether a deletion of `path` can go to a Recycle Bin: the volume's bin
// answers, the drive is a fixed one (removable and network drives have no
// bin) and the path's plain form reaches the file (the bin takes no other).
bool CanRecycle(const std::wstring& path) {
  if (NeedsExtendedForm(Utf8(path))) return false;  // long, or a name ending in a dot or blank
  wchar_t root[MAX_PATH];
  if (!GetVolumePathNameW(path.c_str(), root, MAX_PATH)) return false;
  if (GetDriveTypeW(root) != DRIVE_FIXED) return false;
  SHQUERYRBINFO info{};
  info.cbSize = sizeof info;
  return SUCCEEDED(SHQueryRecycleBinW(root, &info));
}

// Moves the files to the Recycle Bin in one operation, so that one undo
// brings them back. Nothing is asked again, but the shell warns before a
// file it cannot recycle (too large for the bin) would be deleted for good.
void Recycle(const std::vector<std::wstring>& paths) {
  if (paths.empty()) return;
  std::wstring from;
  for (const std::wstring& p : paths) {
    from += p;
    from += L'\0';
  }
  from += L'\0';
  SHFILEOPSTRUCTW op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT | FOF_WANTNUKEWARNING;
  SHFileOperationW(&op);
}

// The selected good and bad rows' files. Their names came from a list, so
// the user is asked once, with every file outside the list's folder named
// and every file that no Recycle Bin can take named as deleted for good;
// only "Yes" removes anything.
void DeleteMarkedFiles(ResultsWindowState& s) {
  HWND list = s.List;
  int n = static_cast<int>(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0));
  if (n < 1) return;
  const std::wstring folder = ListFolder(s);
  std::vector<std::wstring> recycled, deleted, outside;
  int item = -1;
  for (int i = 0; i < n; ++i) {
    int next = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, item, LVNI_SELECTED));
    if (next < 0) continue;
    item = next;
    int image = GetItemImage(list, item);
    if (image != 1 && image != 2) continue;
    const std::string name = GetItemText(list, item, 0);
    if (name.empty()) continue;
    std::wstring path = RowPath(folder, name);
    if (path.empty() ||
        (GetFileAttributesW(SystemPath(Utf8(path)).c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      continue;  // gone already (or a folder, which no row names)
    }
    if (!LiesUnder(path, folder)) outside.push_back(path);
    (CanRecycle(path) ? recycled : deleted).push_back(std::move(path));
  }
  if (recycled.empty() && deleted.empty()) return;

  char line[96];
  std::string question;
  if (!recycled.empty()) {
    std::snprintf(line, sizeof line, "Move %u file(s) to the Recycle Bin?",
                  static_cast<unsigned>(recycled.size()));
    question += line;
  }
  if (!deleted.empty()) {
    if (!question.empty()) question += "\r\n\r\n";
    std::snprintf(line, sizeof line,
                  "%u file(s) cannot go to a Recycle Bin and will be deleted for good:",
                  static_cast<unsigned>(deleted.size()));
    question += line;
    AppendNames(deleted, &question);
  }
  if (!outside.empty()) {
    question += "\r\n\r\nOutside the list's folder:";
    AppendNames(outside, &question);
  }
  // "No" is the default when anything is at stake beyond the list's own files.
  const UINT type = MB_YESNO | (deleted.empty() ? MB_ICONQUESTION : MB_ICONEXCLAMATION) |
                    (deleted.empty() && outside.empty() ? MB_DEFBUTTON1 : MB_DEFBUTTON2);
  if (MessageBoxUtf8(s.Main, question.c_str(), "Delete Marked files", type) != IDYES) return;
  Recycle(recycled);
  for (const std::wstring& path : deleted) DeleteFileUtf8(Utf8(path).c_str());
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

// Good files outside the list's folder stay where they are; whatever the
// outcome, the message names them.
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
  const std::wstring folder = ListFolder(s);
  std::vector<std::wstring> outside;
  auto tell = [&](const char* text, const char* caption, UINT icon) {
    std::string message = text;
    if (!outside.empty()) {
      message += "\r\n\r\nOutside the list's folder, not moved:";
      AppendNames(outside, &message);
    }
    Box(owner, message.c_str(), caption, icon);
  };
  for (const ResultRow* row = s.Rows.Head; row; row = row->Next) {
    if (!StartsWithOk(row->Status)) continue;
    std::wstring path = RowPath(folder, row->Name);
    if (!path.empty() && !LiesUnder(path, folder)) outside.push_back(std::move(path));
  }
  std::string target;
  for (const ResultRow* row = s.Rows.Head; row; row = row->Next) {
    if (!StartsWithOk(row->Status)) continue;
    const std::wstring from = RowPath(folder, row->Name);
    if (!LiesUnder(from, folder)) continue;
    // The name below the list's folder, however the row spelled it.
    target = t;
    target += Utf8(from.substr(folder.back() == L'\\' ? folder.size() : folder.size() + 1));
    if (!MoveFileUtf8(Utf8(from).c_str(), target.c_str(), 0)) {
      tell("Could not move file", "Error", MB_ICONEXCLAMATION);
      return;
    }
  }
  target = t;
  target += n;
  if (MoveFileUtf8(n.c_str(), target.c_str(), 0)) {
    tell("All good files successfully moved", "Completed", 0);
  } else {
    tell("Could not move db file", "Error", MB_ICONEXCLAMATION);
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
      DeleteMarkedFiles(s);
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
