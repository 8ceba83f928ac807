#include "installer/dialogs_win32.h"

#include "platform/dpi_win32.h"
#include "platform/window_text_win32.h"

namespace {

constexpr int kFolderDialog = 104, kOptionsDialog = 105, kAssociationDialog = 106;
constexpr int kIcon = 103;
constexpr int kFolderEdit = 1000, kBrowse = 1001;
constexpr int kShellExtensionBox = 1002, kUpdateDbBox = 1003, kPathBox = 1004;
// SFV; CRC, CKZ, CSV, PAR, MD5 and the digest tools' lists follow.
constexpr int kFirstTypeBox = 1003;
// The folder box takes what the system's long-path calls take.
constexpr int kFolderLimit = 32000;

// Sizes the dialog for its DPI, centres it on the primary screen and gives
// it the program icon at the sizes of that DPI.
void Prepare(HWND dialog) {
  FitDialogToDpi(dialog);
  const int dpi = DpiForWindow(dialog);
  RECT r;
  ::GetWindowRect(dialog, &r);
  int width = r.right - r.left, height = r.bottom - r.top;
  ::SetWindowPos(dialog, nullptr, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  for (int size : {ICON_BIG, ICON_SMALL}) {
    int pixels = SystemMetricForDpi(size == ICON_BIG ? SM_CXICON : SM_CXSMICON, dpi);
    HANDLE icon =
        ::LoadImageW(instance, MAKEINTRESOURCEW(kIcon), IMAGE_ICON, pixels, pixels, LR_SHARED);
    ::SendMessageW(dialog, WM_SETICON, size, reinterpret_cast<LPARAM>(icon));
  }
}

struct FolderState {
  std::string* folder;
  FolderJudge judge;
};

INT_PTR CALLBACK FolderProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    ::SetWindowLongPtrW(dialog, DWLP_USER, lp);
    Prepare(dialog);
    auto* s = reinterpret_cast<FolderState*>(lp);
    ::SendDlgItemMessageW(dialog, kFolderEdit, EM_LIMITTEXT, kFolderLimit, 0);
    SetDlgItemTextUtf8(dialog, kFolderEdit, s->folder->c_str());
    ::ShowWindow(::GetDlgItem(dialog, kBrowse), SW_HIDE);
    return TRUE;
  }
  if (msg != WM_COMMAND) return FALSE;
  auto* s = reinterpret_cast<FolderState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  if (LOWORD(wp) == IDOK) {
    const std::string text = GetDlgItemTextUtf8(dialog, kFolderEdit);
    // An empty folder would mean the root of whatever drive is current.
    if (text.empty()) {
      ::MessageBeep(MB_ICONWARNING);
      return TRUE;
    }
    // A refused folder is said why, and the dialog asks again.
    const std::string refusal = s->judge(text);
    if (!refusal.empty()) {
      MessageBoxUtf8(dialog, refusal.c_str(), kFolderRefusedCaption, MB_OK | MB_ICONWARNING);
      HWND edit = ::GetDlgItem(dialog, kFolderEdit);
      ::SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
      ::SendMessageW(edit, EM_SETSEL, 0, -1);
      return TRUE;
    }
    *s->folder = text;
    ::EndDialog(dialog, IDOK);
    return TRUE;
  }
  if (LOWORD(wp) == IDCANCEL) {
    ::EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

struct OptionsState {
  bool* shellExtension;
  bool* updateDb;
  bool* usePath;
};

INT_PTR CALLBACK OptionsProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    ::SetWindowLongPtrW(dialog, DWLP_USER, lp);
    Prepare(dialog);
    ::CheckDlgButton(dialog, kShellExtensionBox, BST_CHECKED);
    ::CheckDlgButton(dialog, kUpdateDbBox, BST_CHECKED);
    ::CheckDlgButton(dialog, kPathBox, BST_CHECKED);
    return TRUE;
  }
  if (msg != WM_COMMAND) return FALSE;
  auto* s = reinterpret_cast<OptionsState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  int id = LOWORD(wp);
  if ((id == kShellExtensionBox || id == kUpdateDbBox || id == kPathBox) &&
      HIWORD(wp) == BN_CLICKED) {
    bool on = ::IsDlgButtonChecked(dialog, id) == BST_CHECKED;
    ::CheckDlgButton(dialog, id, on ? BST_UNCHECKED : BST_CHECKED);
    return TRUE;
  }
  if (id == IDOK) {
    *s->shellExtension = ::IsDlgButtonChecked(dialog, kShellExtensionBox) == BST_CHECKED;
    *s->updateDb = ::IsDlgButtonChecked(dialog, kUpdateDbBox) == BST_CHECKED;
    *s->usePath = ::IsDlgButtonChecked(dialog, kPathBox) == BST_CHECKED;
    ::EndDialog(dialog, IDOK);
    return TRUE;
  }
  if (id == IDCANCEL) {
    ::EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

struct AssociationState {
  const bool* ownedElsewhere;
  bool* chosen;
};

INT_PTR CALLBACK AssociationProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    ::SetWindowLongPtrW(dialog, DWLP_USER, lp);
    Prepare(dialog);
    auto* s = reinterpret_cast<AssociationState*>(lp);
    for (int t = 0; t < kListTypeCount; ++t) {
      ::CheckDlgButton(dialog, kFirstTypeBox + t,
                       s->ownedElsewhere[t] ? BST_INDETERMINATE : BST_CHECKED);
    }
    return TRUE;
  }
  if (msg != WM_COMMAND) return FALSE;
  auto* s = reinterpret_cast<AssociationState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  if (LOWORD(wp) == IDOK) {
    for (int t = 0; t < kListTypeCount; ++t)
      s->chosen[t] = ::IsDlgButtonChecked(dialog, kFirstTypeBox + t) == BST_CHECKED;
    ::EndDialog(dialog, IDOK);
    return TRUE;
  }
  if (LOWORD(wp) == IDCANCEL) {
    ::EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

bool Run(HINSTANCE instance, int id, DLGPROC proc, void* state) {
  return ::DialogBoxParamW(instance, MAKEINTRESOURCEW(id), nullptr, proc,
                           reinterpret_cast<LPARAM>(state)) == IDOK;
}

}  // namespace

bool AskFolder(HINSTANCE instance, std::string* folder, FolderJudge judge) {
  FolderState s{folder, judge};
  return Run(instance, kFolderDialog, FolderProc, &s);
}

bool AskOptions(HINSTANCE instance, bool* shellExtension, bool* updateDb, bool* usePath) {
  OptionsState s{shellExtension, updateDb, usePath};
  return Run(instance, kOptionsDialog, OptionsProc, &s);
}

bool AskAssociations(HINSTANCE instance, const bool ownedElsewhere[kListTypeCount],
                     bool chosen[kListTypeCount]) {
  AssociationState s{ownedElsewhere, chosen};
  return Run(instance, kAssociationDialog, AssociationProc, &s);
}
