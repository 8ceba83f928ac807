// "About Corvana": the program's name and version in bold, the credits, the
// contact address and the web address as links, and two buttons that open
// the project's contribution pages.
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "platform/dpi_win32.h"
#include "platform/window_text_win32.h"
#include "results/results_state_win32.h"
#include "results/text_controls_win32.h"
#include "results/verifier_parts_win32.h"

namespace {

constexpr int kAboutDialog = 103;
constexpr int kTitlePlaceholder = 1000;
constexpr int kMailPlaceholder = 1001;
constexpr int kWebPlaceholder = 1002;
constexpr int kDonateButton = 2;
constexpr int kSponsorButton = 3;
constexpr char kVersionText[] = "Corvana v2.33";
constexpr wchar_t kDonatePage[] = L"https://corvana.example.org/donate";
constexpr wchar_t kSponsorPage[] = L"https://corvana.example.org/sponsor";

// The placeholder's position in the dialog's client coordinates.
POINT PlaceholderOrigin(HWND dialog, int id) {
  RECT r{};
  GetWindowRect(GetDlgItem(dialog, id), &r);
  POINT pt{r.left, r.top};
  ScreenToClient(dialog, &pt);
  return pt;
}

void CreateLinkOver(HWND dialog, int id, bool mail) {
  const std::string text = GetDlgItemTextUtf8(dialog, id);
  std::string target;
  if (mail) target.append("mailto:").append(text);
  POINT at = PlaceholderOrigin(dialog, id);
  CreateLink(dialog, id + 100, at.x, at.y, text.c_str(), mail ? target.c_str() : nullptr);
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG: {
      FitDialogToDpi(dialog);  // before the placeholders are read
      CreateLinkOver(dialog, kMailPlaceholder, true);
      CreateLinkOver(dialog, kWebPlaceholder, false);
      POINT at = PlaceholderOrigin(dialog, kTitlePlaceholder);
      CreateBoldText(dialog, kTitlePlaceholder + 100, at.x, at.y, kVersionText);
      ShowWindow(GetDlgItem(dialog, kMailPlaceholder), SW_HIDE);
      ShowWindow(GetDlgItem(dialog, kWebPlaceholder), SW_HIDE);
      ShowWindow(GetDlgItem(dialog, kTitlePlaceholder), SW_HIDE);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDOK:
          EndDialog(dialog, 0);
          return TRUE;
        case kDonateButton:
          // Escape arrives as the same command: it closes the box rather
          // than opening a web page.
          if (GetKeyState(VK_ESCAPE) < 0) {
            EndDialog(dialog, 0);
            return TRUE;
          }
          ShellExecuteW(dialog, L"open", kDonatePage, nullptr, nullptr, SW_SHOWNORMAL);
          return TRUE;
        case kSponsorButton:
          ShellExecuteW(dialog, L"open", kSponsorPage, nullptr, nullptr, SW_SHOWNORMAL);
          return TRUE;
        default:
          break;
      }
      break;
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

void ShowAboutBox(HINSTANCE instance, HWND owner) {
  RegisterLinkClass(instance);
  RegisterBoldTextClass(instance);
  DialogBoxParamW(instance, MAKEINTRESOURCEW(kAboutDialog), owner, AboutProc, 0);
  // The controls are gone with the dialog, so the classes (and the links'
  // shared font) can go now.
  UnregisterLinkClass(instance);
  UnregisterBoldTextClass(instance);
}
