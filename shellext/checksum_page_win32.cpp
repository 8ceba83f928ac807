// The "Checksums" page. Its state lives from AddPages until the sheet
// releases the page; its worker thread lives from the page's first showing
// until the page's window goes, which cancels the hashing and waits for the
// thread (it ends within one block), so nothing of the page outlives the
// sheet and the module may unload once the sheet is closed.
#include "shellext/checksum_page_win32.h"

#include <commctrl.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <new>

#include "hashing/multi_digest_win32.h"
#include "platform/dpi_win32.h"
#include "platform/files_win32.h"
#include "platform/profile_win32.h"
#include "platform/text_win32.h"
#include "platform/window_text_win32.h"
#include "results/results_window_win32.h"
#include "shellext/checksum_page_text.h"
#include "shellext/command_thread_win32.h"
#include "shellext/list_name.h"
#include "shellext/module_state_win32.h"
#include "shellext/settings_path_win32.h"

namespace {

constexpr UINT kFileDoneMessage = WM_APP + 1;     // wParam: the file's index
constexpr UINT kHashingDoneMessage = WM_APP + 2;  // every file is done
constexpr UINT_PTR kProgressTimer = 1;
constexpr UINT kProgressIntervalMs = 100;
constexpr int kProgressRange = 1000;
// The clipboard's text looked at for a digest: a web page's line or a
// command's output, not a whole document.
constexpr size_t kClipboardUnits = 65536;
constexpr char kCouldNotRead[] = "Could not read";

enum FileState : uint32_t { kWaiting = 0, kHashed = 1, kFailed = 2 };

struct PageFile {
  std::string Path;
  const char* Name;  // the name after the path's last '\', as the rows show it
  std::atomic<uint32_t> State{kWaiting};
  // Written by the worker before State leaves kWaiting.
  DWORD Error = 0;
  DigestValue Digests[kDigestAlgorithmCount]{};
};

struct PageState {
  std::unique_ptr<PageFile[]> Files;
  size_t FileCount = 0;
  DigestAlgorithm Shown[kDigestAlgorithmCount]{};
  int ShownCount = 0;
  HWND Page = nullptr;
  HANDLE Worker = nullptr;
  MultiDigestHasher* Hasher = nullptr;
  std::atomic<uint64_t> TotalBytes{0};
  std::atomic<uint64_t> DoneBytes{0};
  bool Finished = false;  // every file hashed or failed
  size_t FirstFailure = ~size_t{0};
  uint32_t Failures = 0;
  HICON Tick = nullptr;
  HICON Cross = nullptr;
  std::wstring CellText;  // the text a row's cell was last asked for
};

size_t RowCount(const PageState& s) {
  return s.FileCount * static_cast<size_t>(s.ShownCount);
}

PageFile& FileOfRow(PageState& s, size_t row) {
  return s.Files[row / static_cast<size_t>(s.ShownCount)];
}

// The row's digest once its file is hashed, else null.
const DigestValue* RowDigest(PageState& s, size_t row) {
  PageFile& file = FileOfRow(s, row);
  if (file.State.load(std::memory_order_acquire) != kHashed) return nullptr;
  return &file.Digests[row % static_cast<size_t>(s.ShownCount)];
}

std::string RowDigestText(PageState& s, size_t row) {
  const DigestValue* value = RowDigest(s, row);
  if (!value) return FileOfRow(s, row).State.load() == kFailed ? kCouldNotRead : "";
  char hex[kRowDigestChars];
  FormatRowDigest(*value, hex);
  return hex;
}

// Widths are given in dialog units, which follow the page's font.
int DialogUnitsToPixels(HWND page, int units) {
  RECT r = {0, 0, units, 0};
  MapDialogRect(page, &r);
  return r.right;
}

std::string SystemMessage(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message = length ? Utf8(text, static_cast<int>(length)) : std::string();
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.'))
    message.pop_back();
  if (message.empty()) message = "error " + std::to_string(error);
  return message;
}

DWORD WINAPI HashFiles(void* parameter) {
  PageState& s = *static_cast<PageState*>(parameter);
  uint64_t total = 0;
  for (size_t i = 0; i < s.FileCount; ++i) {
    WIN32_FILE_ATTRIBUTE_DATA found;
    if (GetFileAttributesExUtf8(s.Files[i].Path.c_str(), &found))
      total += (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  }
  s.TotalBytes.store(total);
  for (size_t i = 0; i < s.FileCount; ++i) {
    PageFile& file = s.Files[i];
    const MultiDigestOutcome outcome =
        HashAllDigests(s.Hasher, file.Path.c_str(), s.Shown, s.ShownCount, file.Digests,
                       &file.Error, &s.DoneBytes);
    if (outcome == MultiDigestOutcome::Cancelled) return 0;
    file.State.store(outcome == MultiDigestOutcome::Hashed ? kHashed : kFailed,
                     std::memory_order_release);
    PostMessageW(s.Page, kFileDoneMessage, i, 0);
  }
  PostMessageW(s.Page, kHashingDoneMessage, 0, 0);
  return 0;
}

void StartHashing(PageState& s) {
  if (s.Worker || s.Finished) return;
  s.Hasher = CreateMultiDigestHasher(MultiDigestThreadsPay());
  if (s.Hasher) s.Worker = CreateThread(nullptr, 0, HashFiles, &s, 0, nullptr);
  if (!s.Worker) {
    // Nothing can be hashed: every row says so.
    for (size_t i = 0; i < s.FileCount; ++i) {
      s.Files[i].Error = ERROR_NOT_ENOUGH_MEMORY;
      s.Files[i].State.store(kFailed);
    }
    PostMessageW(s.Page, kHashingDoneMessage, 0, 0);
    return;
  }
  SetTimer(s.Page, kProgressTimer, kProgressIntervalMs, nullptr);
}

void StopHashing(PageState& s) {
  if (s.Hasher) CancelMultiDigestHasher(s.Hasher);
  if (s.Worker) {
    WaitForSingleObject(s.Worker, INFINITE);
    CloseHandle(s.Worker);
    s.Worker = nullptr;
  }
  DestroyMultiDigestHasher(s.Hasher);
  s.Hasher = nullptr;
}

void ShowProgress(PageState& s) {
  const uint64_t total = s.TotalBytes.load();
  const uint64_t done = s.DoneBytes.load();
  int position = s.Finished ? kProgressRange : 0;
  if (!s.Finished && total > 0)
    position = static_cast<int>((done < total ? done : total) * kProgressRange / total);
  SendDlgItemMessageW(s.Page, kChecksumProgress, PBM_SETPOS, position, 0);
}

void ShowFailures(PageState& s) {
  if (s.Failures == 0) return;
  const PageFile& file = s.Files[s.FirstFailure];
  std::string text =
      std::string(kCouldNotRead) + " " + file.Name + ": " + SystemMessage(file.Error);
  if (s.Failures > 1)
    text += " (and " + std::to_string(s.Failures - 1) + " more, named in their rows' tips)";
  SetDlgItemTextUtf8(s.Page, kChecksumStatus, text.c_str());
}

void ShowResult(PageState& s, const char* text, HICON icon) {
  SetDlgItemTextUtf8(s.Page, kCheckResultText, text);
  SendDlgItemMessageW(s.Page, kCheckResultIcon, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  ShowWindow(GetDlgItem(s.Page, kCheckResultIcon), icon ? SW_SHOW : SW_HIDE);
}

// Compares the box's digest with every row hashed so far.
void Check(PageState& s) {
  const std::string text = GetDlgItemTextUtf8(s.Page, kCheckAgainstEdit);
  PublishedDigest published;
  if (!FindPublishedDigest(text, &published)) {
    ShowResult(s, "", nullptr);
    return;
  }
  const size_t rows = RowCount(s);
  std::vector<const DigestValue*> digests(rows);
  for (size_t row = 0; row < rows; ++row) digests[row] = RowDigest(s, row);
  const int match = FindMatchingRow(published, digests.data(), rows);
  HWND list = GetDlgItem(s.Page, kChecksumList);
  if (match >= 0) {
    const DigestValue& value = *digests[static_cast<size_t>(match)];
    std::string found = std::string("Matches the ") + DigestDisplayName(value.Algorithm) + " of " +
                        FileOfRow(s, static_cast<size_t>(match)).Name;
    ShowResult(s, found.c_str(), s.Tick);
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(list, match, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list, match, FALSE);
  } else if (s.Finished) {
    ShowResult(s, "No checksum of the selected files matches", s.Cross);
  } else {
    ShowResult(s, "Checking\xE2\x80\xA6", nullptr);
  }
}

// The rows "Copy" and "Save..." work on: the selected ones, or all.
std::vector<size_t> ChosenRows(PageState& s) {
  HWND list = GetDlgItem(s.Page, kChecksumList);
  std::vector<size_t> rows;
  for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0;
       row = ListView_GetNextItem(list, row, LVNI_SELECTED))
    rows.push_back(static_cast<size_t>(row));
  if (rows.empty()) {
    for (size_t row = 0; row < RowCount(s); ++row) rows.push_back(row);
  }
  return rows;
}

void CopyRows(PageState& s) {
  std::string text;
  for (size_t row : ChosenRows(s)) {
    const DigestValue* value = RowDigest(s, row);
    if (!value) continue;
    char hex[kRowDigestChars];
    FormatRowDigest(*value, hex);
    AppendCopyLine(&text, hex, FileOfRow(s, row).Name);
  }
  if (!text.empty()) SetClipboardTextUtf8(s.Page, text);
}

// "Save...": the files of the chosen rows go to the list creation, its
// dialog proposing a list of the first chosen row's algorithm in the files'
// folder.
void SaveList(PageState& s) {
  const std::vector<size_t> rows = ChosenRows(s);
  if (rows.empty()) return;
  const DigestAlgorithm algorithm = s.Shown[rows.front() % static_cast<size_t>(s.ShownCount)];
  int type = -1;
  for (int t = 0; t < kCreatedListTypes; ++t) {
    if (ListTypeAlgorithm(static_cast<ListType>(t)) == algorithm) type = t;
  }
  std::vector<std::string> paths;
  const PageFile* last = nullptr;
  for (size_t row : rows) {
    const PageFile* file = &FileOfRow(s, row);
    if (file != last) paths.push_back(file->Path);
    last = file;
  }
  StartCommandThread(0, GetParent(s.Page), std::move(paths), type);
}

void GiveCellText(PageState& s, NMLVDISPINFOW* info) {
  LVITEMW& item = info->item;
  if (!(item.mask & LVIF_TEXT) || item.iItem < 0 || static_cast<size_t>(item.iItem) >= RowCount(s))
    return;
  const size_t row = static_cast<size_t>(item.iItem);
  switch (item.iSubItem) {
    case 0:
      s.CellText = Wide(FileOfRow(s, row).Name);
      break;
    case 1:
      s.CellText = Wide(DigestDisplayName(s.Shown[row % static_cast<size_t>(s.ShownCount)]));
      break;
    default:
      s.CellText = Wide(RowDigestText(s, row));
      break;
  }
  item.pszText = s.CellText.data();
}

// The tip of a row that could not be read: the reason.
void GiveTip(PageState& s, NMLVGETINFOTIPW* tip) {
  if (tip->iItem < 0 || static_cast<size_t>(tip->iItem) >= RowCount(s) || tip->cchTextMax <= 0)
    return;
  PageFile& file = FileOfRow(s, static_cast<size_t>(tip->iItem));
  if (file.State.load() != kFailed) return;
  const std::wstring text = Wide(SystemMessage(file.Error));
  const size_t n = text.size() < static_cast<size_t>(tip->cchTextMax) - 1
                       ? text.size()
                       : static_cast<size_t>(tip->cchTextMax) - 1;
  std::memcpy(tip->pszText, text.c_str(), n * sizeof(wchar_t));
  tip->pszText[n] = 0;
}

void SetName(PageFile& file) {
  const size_t slash = file.Path.rfind('\\');
  file.Name = file.Path.c_str() + (slash == std::string::npos ? 0 : slash + 1);
}

// The items that are folders leave the page.
void LeaveFoldersOut(PageState& s) {
  size_t kept = 0;
  for (size_t i = 0; i < s.FileCount; ++i) {
    const DWORD attributes = GetFileAttributesUtf8(s.Files[i].Path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (kept != i) s.Files[kept].Path = std::move(s.Files[i].Path);
    SetName(s.Files[kept++]);
  }
  s.FileCount = kept;
}

void InitPage(PageState& s, HWND page) {
  s.Page = page;
  LeaveFoldersOut(s);
  const std::string settings = LocateSettingsFile(ShellModule().Instance);
  s.ShownCount = ParseChecksumAlgorithms(
      ReadProfileStringUtf8("Corvana", "ChecksumAlgorithms", "", settings.c_str()), s.Shown);
  if (s.ShownCount > kMaxMultiDigests) s.ShownCount = kMaxMultiDigests;
  SetDlgItemTextUtf8(page, kChecksumSave, "Save\xE2\x80\xA6");

  HWND list = GetDlgItem(page, kChecksumList);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
  struct Column {
    const wchar_t* Title;
    int Units;
  } columns[] = {{L"Name", 70}, {L"Algorithm", 42}, {L"Checksum", 260}};
  for (int i = 0; i < 3; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(columns[i].Title);
    column.cx = DialogUnitsToPixels(page, columns[i].Units);
    column.iSubItem = i;
    SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
  ListView_SetItemCountEx(list, static_cast<int>(RowCount(s)), 0);
  SendDlgItemMessageW(page, kChecksumProgress, PBM_SETRANGE32, 0, kProgressRange);

  if (HIMAGELIST images = LoadRowImages(ShellModule().Instance, DpiForWindow(page))) {
    s.Tick = ImageList_GetIcon(images, RowKind::Good, ILD_NORMAL);
    s.Cross = ImageList_GetIcon(images, RowKind::Bad, ILD_NORMAL);
    ImageList_Destroy(images);
  }
  ShowResult(s, "", nullptr);
  // A digest copied from a web page is there to be checked.
  const std::string clipboard = GetClipboardTextUtf8(page, kClipboardUnits);
  const std::string line(LineWithDigest(clipboard));
  if (!line.empty()) SetDlgItemTextUtf8(page, kCheckAgainstEdit, line.c_str());
  Check(s);
}

void FileDone(PageState& s, size_t index) {
  if (index >= s.FileCount) return;
  if (s.Files[index].State.load() == kFailed && s.Failures++ == 0) s.FirstFailure = index;
  ShowFailures(s);
  const int first = static_cast<int>(index * static_cast<size_t>(s.ShownCount));
  ListView_RedrawItems(GetDlgItem(s.Page, kChecksumList), first, first + s.ShownCount - 1);
  Check(s);
}

INT_PTR CALLBACK PageProcedure(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  PageState* s = reinterpret_cast<PageState*>(GetWindowLongPtrW(page, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      s = reinterpret_cast<PageState*>(reinterpret_cast<PROPSHEETPAGEW*>(lParam)->lParam);
      SetWindowLongPtrW(page, DWLP_USER, reinterpret_cast<LONG_PTR>(s));
      InitPage(*s, page);
      return TRUE;
    }
    case WM_NOTIFY: {
      if (!s) break;
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code == PSN_SETACTIVE) {
        StartHashing(*s);  // the page's first showing starts the work
        SetWindowLongPtrW(page, DWLP_MSGRESULT, 0);
        return TRUE;
      }
      if (header->idFrom != kChecksumList) break;
      if (header->code == LVN_GETDISPINFOW)
        GiveCellText(*s, reinterpret_cast<NMLVDISPINFOW*>(lParam));
      else if (header->code == LVN_GETINFOTIPW)
        GiveTip(*s, reinterpret_cast<NMLVGETINFOTIPW*>(lParam));
      return TRUE;
    }
    case WM_COMMAND:
      if (!s) break;
      if (LOWORD(wParam) == kCheckAgainstEdit && HIWORD(wParam) == EN_CHANGE) Check(*s);
      if (LOWORD(wParam) == kChecksumCopy && HIWORD(wParam) == BN_CLICKED) CopyRows(*s);
      if (LOWORD(wParam) == kChecksumSave && HIWORD(wParam) == BN_CLICKED) SaveList(*s);
      return TRUE;
    case WM_TIMER:
      if (s && wParam == kProgressTimer) ShowProgress(*s);
      return TRUE;
    case kFileDoneMessage:
      if (s) FileDone(*s, wParam);
      return TRUE;
    case kHashingDoneMessage:
      if (!s) break;
      s->Finished = true;
      KillTimer(page, kProgressTimer);
      ShowProgress(*s);
      Check(*s);
      return TRUE;
    case WM_DESTROY:
      if (!s) break;
      KillTimer(page, kProgressTimer);
      StopHashing(*s);  // closing the sheet ends the work at once
      return TRUE;
  }
  return FALSE;
}

UINT CALLBACK PageCallback(HWND, UINT message, PROPSHEETPAGEW* page) {
  if (message == PSPCB_RELEASE && page) {
    PageState* s = reinterpret_cast<PageState*>(page->lParam);
    if (s) {
      StopHashing(*s);  // a page released without its window having gone
      if (s->Tick) DestroyIcon(s->Tick);
      if (s->Cross) DestroyIcon(s->Cross);
      delete s;
      page->lParam = 0;
      InterlockedDecrement(&ShellModule().LiveObjects);
    }
  }
  return 1;
}

}  // namespace

HPROPSHEETPAGE CreateChecksumPage(std::vector<std::string> items) {
  std::unique_ptr<PageState> s(new (std::nothrow) PageState);
  if (!s || items.empty() || items.size() > kMaxChecksumPageFiles) return nullptr;
  s->Files.reset(new (std::nothrow) PageFile[items.size()]);
  if (!s->Files) return nullptr;
  s->FileCount = items.size();
  for (size_t i = 0; i < items.size(); ++i) s->Files[i].Path = std::move(items[i]);
  // The list view and the progress bar; Explorer has them already.
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  PROPSHEETPAGEW page{};
  page.dwSize = sizeof page;
  page.dwFlags = PSP_USETITLE | PSP_USECALLBACK;
  page.hInstance = ShellModule().Instance;
  page.pszTemplate = MAKEINTRESOURCEW(kChecksumPageDialogId);
  page.pfnDlgProc = PageProcedure;
  page.pszTitle = L"Checksums";
  page.pfnCallback = PageCallback;
  page.lParam = reinterpret_cast<LPARAM>(s.get());
  InterlockedIncrement(&ShellModule().LiveObjects);
  HPROPSHEETPAGE made = CreatePropertySheetPageW(&page);
  if (!made) {
    InterlockedDecrement(&ShellModule().LiveObjects);
    return nullptr;
  }
  s.release();  // the page's callback frees it
  return made;
}
