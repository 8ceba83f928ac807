// The dialogs of list creation: the name-and-type dialog, the progress
// window and the open-error question.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "shellext/create_list_state_win32.h"
#include "shellext/list_text.h"
#include "shellext/module_state_win32.h"

namespace {

constexpr int kTypedCapacity = 260;  // the edit's text with its terminating 0

CreateListState* StateOf(HWND dialog) {
  return reinterpret_cast<CreateListState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void SetTitle(HWND dialog, const char* format) {
  char title[96];
  std::snprintf(title, sizeof title, format, kShellVersionText);
  SetWindowTextA(dialog, title);
}

ListType SelectedType(HWND dialog) {
  return SendDlgItemMessageA(dialog, kListTypeCombo, CB_GETCURSEL, 0, 0) == 1 ? ListType::Md5
                                                                              : ListType::Sfv;
}

void EnableCompatible(HWND dialog, ListType type) {
  EnableWindow(GetDlgItem(dialog, kCompatibleCheck), type == ListType::Sfv);
}

void InitCreateDialog(HWND dialog, CreateListState* state) {
  SetTitle(dialog, "Create .SFV file - Corvana %s");
  bool upper = state->UppercaseExtension;
  SendDlgItemMessageA(dialog, kListTypeCombo, CB_ADDSTRING, 0,
                      reinterpret_cast<LPARAM>(ListExtension(ListType::Sfv, upper)));
  SendDlgItemMessageA(dialog, kListTypeCombo, CB_ADDSTRING, 0,
                      reinterpret_cast<LPARAM>(ListExtension(ListType::Md5, upper)));
  SendDlgItemMessageA(dialog, kListTypeCombo, CB_SETCURSEL, static_cast<WPARAM>(state->Type), 0);
  SendDlgItemMessageA(dialog, kListNameEdit, EM_LIMITTEXT, kTypedCapacity - 1, 0);
  SetDlgItemTextA(dialog, kListNameEdit, state->ListPath);
  SendDlgItemMessageA(dialog, kListNameEdit, EM_SETSEL, 0, -1);
  CheckDlgButton(dialog, kCompatibleCheck,
                 ShellModule().CompatibilityMode ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, kExcludeHiddenCheck, BST_UNCHECKED);
  EnableCompatible(dialog, state->Type);
  SetFocus(GetDlgItem(dialog, kListNameEdit));
}

void TypeChanged(HWND dialog, CreateListState* state) {
  ListType type = SelectedType(dialog);
  EnableCompatible(dialog, type);
  char text[kTypedCapacity + 8] = {};
  GetDlgItemTextA(dialog, kListNameEdit, text, kTypedCapacity);
  if (SwitchListExtension(text, sizeof text, type, state->UppercaseExtension))
    SetDlgItemTextA(dialog, kListNameEdit, text);
}

// A name typed without a folder goes beside the selection, not into the
// process's current folder.
bool HasFolder(const char* path) {
  return std::strchr(path, '\\') || std::strchr(path, '/') || std::strchr(path, ':');
}

bool Accept(HWND dialog, CreateListState* state) {
  char text[kTypedCapacity + 8] = {};
  GetDlgItemTextA(dialog, kListNameEdit, text, kTypedCapacity);
  if (!text[0]) return false;  // no name: the dialog stays
  ListType type = SelectedType(dialog);
  state->ListPath[0] = 0;
  const Selection& files = *state->Context->Files;
  if (!HasFolder(text) && files.Head) {
    size_t base = files.BaseLength;
    if (base + std::strlen(text) + 8 > sizeof state->ListPath) return false;
    std::memcpy(state->ListPath, files.Head->Path, base);
    state->ListPath[base] = 0;
  }
  std::strcat(state->ListPath, text);
  if (!CompleteListPath(state->ListPath, sizeof state->ListPath, type, state->UppercaseExtension))
    return false;
  ShellModule().CompatibilityMode = IsDlgButtonChecked(dialog, kCompatibleCheck) == BST_CHECKED;
  state->ExcludeHidden = IsDlgButtonChecked(dialog, kExcludeHiddenCheck) == BST_CHECKED;
  state->Type = type;
  return true;
}

INT_PTR CALLBACK CreateDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      InitCreateDialog(dialog, reinterpret_cast<CreateListState*>(lParam));
      return FALSE;  // the focus is set
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kListTypeCombo:
          if (HIWORD(wParam) == CBN_SELCHANGE) TypeChanged(dialog, StateOf(dialog));
          return TRUE;
        case IDOK:
          if (Accept(dialog, StateOf(dialog)))
            EndDialog(dialog, IDOK);
          else
            MessageBeep(MB_ICONWARNING);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      SetTitle(dialog, "Status - Corvana %s");
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        // The command destroys the window at its end; until then it only
        // disappears, so the pipeline never posts to a reused handle.
        InterlockedExchange(&StateOf(dialog)->Cancelled, 1);
        ShowWindow(dialog, SW_HIDE);
        return TRUE;
      }
      break;
    case WM_CLOSE:
      InterlockedExchange(&StateOf(dialog)->Cancelled, 1);
      ShowWindow(dialog, SW_HIDE);
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK OpenErrorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetDlgItemTextA(dialog, kOpenErrorText, reinterpret_cast<const char*>(lParam));
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kAnswerYes:
        case kAnswerYesToAll:
        case kAnswerNo:
          EndDialog(dialog, LOWORD(wParam));
          return TRUE;
        case IDCANCEL:  // Escape or the close box: stop, as "&No" does
          EndDialog(dialog, kAnswerNo);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

INT_PTR RunCreateDialog(CreateListState* state) {
  INT_PTR result =
      DialogBoxParamA(state->Context->Instance, MAKEINTRESOURCEA(kCreateDialogId),
                      state->Context->Owner, CreateDialogProc, reinterpret_cast<LPARAM>(state));
  return result == IDOK ? IDOK : IDCANCEL;
}

HWND CreateProgressDialog(CreateListState* state) {
  HWND dialog = CreateDialogParamA(state->Context->Instance, MAKEINTRESOURCEA(kProgressDialogId),
                                   state->Context->Owner, ProgressDialogProc,
                                   reinterpret_cast<LPARAM>(state));
  if (dialog) ShowWindow(dialog, SW_SHOW);
  return dialog;
}

int AskOpenError(CreateListState* state, const char* message) {
  HWND owner = state->Progress ? state->Progress : state->Context->Owner;
  INT_PTR answer = DialogBoxParamA(state->Context->Instance, MAKEINTRESOURCEA(kOpenErrorDialogId),
                                   owner, OpenErrorDialogProc, reinterpret_cast<LPARAM>(message));
  if (answer == kAnswerYes || answer == kAnswerYesToAll) return static_cast<int>(answer);
  return kAnswerNo;
}
