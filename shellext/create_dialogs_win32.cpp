// The dialogs of list creation: the name-and-type dialog, the progress
// window and the open-error question.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/dpi_win32.h"
#include "platform/text_win32.h"
#include "platform/window_text_win32.h"
#include "shellext/create_list_state_win32.h"
#include "shellext/list_text.h"
#include "shellext/module_state_win32.h"

namespace {

// The edit takes a path as long as the system's long-path form allows.
constexpr int kTypedLimit = 32767;

CreateListState* StateOf(HWND dialog) {
  return reinterpret_cast<CreateListState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void SetTitle(HWND dialog, const char* format) {
  char title[96];
  std::snprintf(title, sizeof title, format, kShellVersionText);
  SetWindowTextUtf8(dialog, title);
}

ListType SelectedType(HWND dialog) {
  const LRESULT selected = SendDlgItemMessageW(dialog, kListTypeCombo, CB_GETCURSEL, 0, 0);
  if (selected < 0 || selected >= kCreatedListTypes) return ListType::Sfv;
  return static_cast<ListType>(selected);
}

void AddTypeEntry(HWND dialog, const char* extension) {
  const std::wstring text = Wide(extension);
  SendDlgItemMessageW(dialog, kListTypeCombo, CB_ADDSTRING, 0,
                      reinterpret_cast<LPARAM>(text.c_str()));
}

// The typed text with room to add an extension.
std::vector<char> TypedText(HWND dialog) {
  const std::string typed = GetDlgItemTextUtf8(dialog, kListNameEdit);
  std::vector<char> text(typed.size() + 16, 0);
  std::memcpy(text.data(), typed.data(), typed.size());
  return text;
}

void EnableCompatible(HWND dialog, ListType type) {
  EnableWindow(GetDlgItem(dialog, kCompatibleCheck), type == ListType::Sfv);
}

void InitCreateDialog(HWND dialog, CreateListState* state) {
  SetTitle(dialog, "Create .SFV file - Corvana %s");
  bool upper = state->UppercaseExtension;
  for (int type = 0; type < kCreatedListTypes; ++type)
    AddTypeEntry(dialog, ListExtension(static_cast<ListType>(type), upper));
  SendDlgItemMessageW(dialog, kListTypeCombo, CB_SETCURSEL, static_cast<WPARAM>(state->Type), 0);
  SendDlgItemMessageW(dialog, kListNameEdit, EM_LIMITTEXT, kTypedLimit, 0);
  SetDlgItemTextUtf8(dialog, kListNameEdit, state->ListPath.c_str());
  SendDlgItemMessageW(dialog, kListNameEdit, EM_SETSEL, 0, -1);
  CheckDlgButton(dialog, kCompatibleCheck,
                 ShellModule().CompatibilityMode ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, kExcludeHiddenCheck, BST_UNCHECKED);
  EnableCompatible(dialog, state->Type);
  SetFocus(GetDlgItem(dialog, kListNameEdit));
}

void TypeChanged(HWND dialog, CreateListState* state) {
  ListType type = SelectedType(dialog);
  EnableCompatible(dialog, type);
  std::vector<char> text = TypedText(dialog);
  if (SwitchListExtension(text.data(), text.size(), type, state->UppercaseExtension))
    SetDlgItemTextUtf8(dialog, kListNameEdit, text.data());
}

// A name typed without a folder goes beside the selection, not into the
// process's current folder.
bool HasFolder(const char* path) {
  return std::strchr(path, '\\') || std::strchr(path, '/') || std::strchr(path, ':');
}

bool Accept(HWND dialog, CreateListState* state) {
  std::vector<char> text = TypedText(dialog);
  if (!text[0]) return false;  // no name: the dialog stays
  ListType type = SelectedType(dialog);
  if (!CompleteListPath(text.data(), text.size(), type, state->UppercaseExtension)) return false;
  state->ListPath.clear();
  const Selection& files = *state->Context->Files;
  if (!HasFolder(text.data()) && files.Head)
    state->ListPath.assign(files.Head->Path, files.BaseLength);
  state->ListPath += text.data();
  ShellModule().CompatibilityMode = IsDlgButtonChecked(dialog, kCompatibleCheck) == BST_CHECKED;
  state->ExcludeHidden = IsDlgButtonChecked(dialog, kExcludeHiddenCheck) == BST_CHECKED;
  state->Type = type;
  return true;
}

INT_PTR CALLBACK CreateDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      FitDialogToDpi(dialog);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
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
      FitDialogToDpi(dialog);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      SetTitle(dialog, "Status - Corvana %s");
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        // The command destroys the window at its end; until then it only
        // disappears, so nothing ever posts to a reused handle.
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
      FitDialogToDpi(dialog);
      SetDlgItemTextUtf8(dialog, kOpenErrorText, reinterpret_cast<const char*>(lParam));
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
      DialogBoxParamW(state->Context->Instance, MAKEINTRESOURCEW(kCreateDialogId),
                      state->Context->Owner, CreateDialogProc, reinterpret_cast<LPARAM>(state));
  return result == IDOK ? IDOK : IDCANCEL;
}

HWND CreateProgressDialog(CreateListState* state) {
  HWND dialog = CreateDialogParamW(state->Context->Instance, MAKEINTRESOURCEW(kProgressDialogId),
                                   state->Context->Owner, ProgressDialogProc,
                                   reinterpret_cast<LPARAM>(state));
  if (dialog) ShowWindow(dialog, SW_SHOW);
  return dialog;
}

int AskOpenError(CreateListState* state, const char* message) {
  HWND owner = state->Progress ? state->Progress : state->Context->Owner;
  INT_PTR answer = DialogBoxParamW(state->Context->Instance, MAKEINTRESOURCEW(kOpenErrorDialogId),
                                   owner, OpenErrorDialogProc, reinterpret_cast<LPARAM>(message));
  if (answer == kAnswerYes || answer == kAnswerYesToAll) return static_cast<int>(answer);
  return kAnswerNo;
}
