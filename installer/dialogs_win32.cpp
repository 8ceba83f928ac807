#include "installer/dialogs_win32.h"

namespace {

constexpr int kFolderDialog = 104, kOptionsDialog = 105, kAssociationDialog = 106;
constexpr int kIcon = 103;
constexpr int kFolderEdit = 1000, kBrowse = 1001;
constexpr int kShellExtensionBox = 1002, kUpdateDbBox = 1003;
constexpr int kFirstTypeBox = 1003;  // SFV; CRC, CKZ, CSV, PAR and MD5 follow

// Centres the dialog on the primary screen and gives it the program icon.
void Prepare(HWND dialog) {
  RECT r;
  ::GetWindowRect(dialog, &r);
  int width = r.right - r.left, height = r.bottom - r.top;
  ::SetWindowPos(dialog, nullptr, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  for (int size : {ICON_BIG, ICON_SMALL}) {
    int pixels = ::GetSystemMetrics(size == ICON_BIG ? SM_CXICON : SM_CXSMICON);
    HANDLE icon =
        ::LoadImageA(instance, MAKEINTRESOURCEA(kIcon), IMAGE_ICON, pixels, pixels, LR_SHARED);
    ::SendMessageA(dialog, WM_SETICON, size, reinterpret_cast<LPARAM>(icon));
  }
}

struct FolderState {
  std::string* folder;
};

INT_PTR CALLBACK FolderProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    ::SetWindowLongPtrA(dialog, DWLP_USER, lp);
    Prepare(dialog);
    auto* s = reinterpret_cast<FolderState*>(lp);
    ::SendDlgItemMessageA(dialog, kFolderEdit, EM_LIMITTEXT, MAX_PATH - 1, 0);
    ::SetDlgItemTextA(dialog, kFolderEdit, s->folder->c_str());
    ::ShowWindow(::GetDlgItem(dialog, kBrowse), SW_HIDE);
    return TRUE;
  }
  if (msg != WM_COMMAND) return FALSE;
  auto* s = reinterpret_cast<FolderState*>(::GetWindowLongPtrA(dialog, DWLP_USER));
  if (LOWORD(wp) == IDOK) {
    char text[MAX_PATH] = {};
    ::GetDlgItemTextA(dialog, kFolderEdit, text, sizeof text);
    // An empty folder would mean the root of whatever drive is current.
    if (text[0] == '\0') {
      ::MessageBeep(MB_ICONWARNING);
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
};

INT_PTR CALLBACK OptionsProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    ::SetWindowLongPtrA(dialog, DWLP_USER, lp);
    Prepare(dialog);
    ::CheckDlgButton(dialog, kShellExtensionBox, BST_CHECKED);
    ::CheckDlgButton(dialog, kUpdateDbBox, BST_CHECKED);
    return TRUE;
  }
  if (msg != WM_COMMAND) return FALSE;
  auto* s = reinterpret_cast<OptionsState*>(::GetWindowLongPtrA(dialog, DWLP_USER));
  int id = LOWORD(wp);
  if ((id == kShellExtensionBox || id == kUpdateDbBox) && HIWORD(wp) == BN_CLICKED) {
    bool on = ::IsDlgButtonChecked(dialog, id) == BST_CHECKED;
    ::CheckDlgButton(dialog, id, on ? BST_UNCHECKED : BST_CHECKED);
    return TRUE;
  }
  if (id == IDOK) {
    *s->shellExtension = ::IsDlgButtonChecked(dialog, kShellExtensionBox) == BST_CHECKED;
    *s->updateDb = ::IsDlgButtonChecked(dialog, kUpdateDbBox) == BST_CHECKED;
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
    ::SetWindowLongPtrA(dialog, DWLP_USER, lp);
    Prepare(dialog);
    auto* s = reinterpret_cast<AssociationState*>(lp);
    for (int t = 0; t < kListTypeCount; ++t) {
      ::CheckDlgButton(dialog, kFirstTypeBox + t,
                       s->ownedElsewhere[t] ? BST_INDETERMINATE : BST_CHECKED);
    }
    return TRUE;
  }
  if (msg != WM_COMMAND) return FALSE;
  auto* s = reinterpret_cast<AssociationState*>(::GetWindowLongPtrA(dialog, DWLP_USER));
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
  return ::DialogBoxParamA(instance, MAKEINTRESOURCEA(id), nullptr, proc,
                           reinterpret_cast<LPARAM>(state)) == IDOK;
}

}  // namespace

bool AskFolder(HINSTANCE instance, std::string* folder) {
  FolderState s{folder};
  return Run(instance, kFolderDialog, FolderProc, &s);
}

bool AskOptions(HINSTANCE instance, bool* shellExtension, bool* updateDb) {
  OptionsState s{shellExtension, updateDb};
  return Run(instance, kOptionsDialog, OptionsProc, &s);
}

bool AskAssociations(HINSTANCE instance, const bool ownedElsewhere[kListTypeCount],
                     bool chosen[kListTypeCount]) {
  AssociationState s{ownedElsewhere, chosen};
  return Run(instance, kAssociationDialog, AssociationProc, &s);
}
