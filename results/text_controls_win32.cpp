#include "results/text_controls_win32.h"

#include <windows.h>

#include <shellapi.h>

#include <cwchar>
#include <new>
#include <string>

#include "platform/dpi_win32.h"
#include "platform/text_win32.h"

namespace {

struct BoldText {
  HWND Window;
  RECT Client;
  wchar_t* Text;
  int Id;
  HFONT Font;
  COLORREF Colour;
};

struct Weblink {
  HWND Window;
  RECT Client;
  wchar_t* Text;
  wchar_t* Target;
  bool Visited;
  int Id;
  bool Hover;
  bool Pressed;
  HWND PreviousCapture;
  COLORREF Normal, VisitedColour, HoverColour;
};

HFONT g_linkFont = nullptr;
int g_linkFontDpi = 0;
HINSTANCE g_boldInstance = nullptr;
HINSTANCE g_linkInstance = nullptr;

void ShellOpen(HWND parent, const char* target) {
  ShellExecuteW(parent, L"open", Wide(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
LinkOpener g_opener = ShellOpen;

// The control's own wide copy of a UTF-8 text; null for none.
wchar_t* CopyText(const char* text) {
  if (!text) return nullptr;
  const std::wstring wide = Wide(text);
  wchar_t* copy = new (std::nothrow) wchar_t[wide.size() + 1];
  if (copy) std::wmemcpy(copy, wide.c_str(), wide.size() + 1);
  return copy;
}

const wchar_t* Shown(const wchar_t* text) {
  return text ? text : L"";
}

// `height` at 96 DPI, made for `dpi`.
HFONT MakeFont(int height, int weight, bool underline, int dpi) {
  return CreateFontW(ScaleForDpi(height, dpi), 0, 0, 0, weight, FALSE, underline, FALSE,
                     ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     VARIABLE_PITCH, L"MS Sans Serif");
}

SIZE TextExtent(HFONT font, const wchar_t* text) {
  SIZE size{0, 0};
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  GetTextExtentPoint32W(dc, text, static_cast<int>(std::wcslen(text)), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size;
}

void DrawClipped(HWND hwnd, const RECT& client, HFONT font, COLORREF colour, const wchar_t* text) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  SetTextColor(dc, colour);
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ old = SelectObject(dc, font);
  ExtTextOutW(dc, 0, 0, ETO_CLIPPED, &client, text, static_cast<UINT>(std::wcslen(text)), nullptr);
  SelectObject(dc, old);
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK BoldTextProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* b = reinterpret_cast<BoldText*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_PAINT:
      if (!b) break;
      DrawClipped(hwnd, b->Client, b->Font, b->Colour, Shown(b->Text));
      return 0;
    case WM_DESTROY:
      if (!b) break;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      delete[] b->Text;
      DeleteObject(b->Font);
      delete b;
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

bool CursorOver(HWND hwnd) {
  POINT pt;
  GetCursorPos(&pt);
  return WindowFromPoint(pt) == hwnd;
}

LRESULT CALLBACK WeblinkProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* l = reinterpret_cast<Weblink*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!l) return DefWindowProcW(hwnd, msg, wp, lp);
  switch (msg) {
    case WM_MOUSEMOVE:
      if (!l->Hover) {
        l->Hover = true;
        InvalidateRect(hwnd, nullptr, TRUE);
        SetTimer(hwnd, 1, 100, nullptr);
      }
      return 0;
    case WM_TIMER:
      if (wp == 1 && !CursorOver(hwnd)) {
        l->Hover = false;
        KillTimer(hwnd, 1);
        InvalidateRect(hwnd, nullptr, TRUE);
      }
      return 0;
    case WM_LBUTTONDOWN:
      l->PreviousCapture = SetCapture(hwnd);
      l->Pressed = true;
      return 0;
    case WM_LBUTTONUP:
      if (!l->Pressed) return 0;
      l->Pressed = false;
      // Give the capture back to whoever had it before the press.
      if (l->PreviousCapture) {
        SetCapture(l->PreviousCapture);
      } else {
        ReleaseCapture();
      }
      if (CursorOver(hwnd)) {
        l->Visited = true;
        InvalidateRect(hwnd, nullptr, TRUE);
        g_opener(GetParent(hwnd), Utf8(Shown(l->Target ? l->Target : l->Text)).c_str());
      }
      return 0;
    case WM_PAINT:
      DrawClipped(hwnd, l->Client, g_linkFont, LinkColour(hwnd), Shown(l->Text));
      return 0;
    case WM_DESTROY:
      KillTimer(hwnd, 1);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      delete[] l->Text;
      delete[] l->Target;
      delete l;
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

bool RegisterControlClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
  wc.lpszClassName = name;
  return RegisterClassExW(&wc) != 0;
}

HWND CreateControl(const wchar_t* cls, HWND parent, int id, int x, int y, SIZE size) {
  return CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, y, size.cx, size.cy,
                         parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                         nullptr);
}

}  // namespace

void SetLinkOpener(LinkOpener opener) {
  g_opener = opener ? opener : ShellOpen;
}

bool RegisterBoldTextClass(HINSTANCE instance) {
  g_boldInstance = instance;
  return RegisterControlClass(instance, kBoldTextClass, BoldTextProc);
}

void UnregisterBoldTextClass(HINSTANCE instance) {
  UnregisterClassW(kBoldTextClass, instance);
}

HWND CreateBoldText(HWND parent, int id, int x, int y, const char* text) {
  auto* b = new (std::nothrow) BoldText{};
  if (!b) return nullptr;
  b->Font = MakeFont(-14, FW_BOLD, false, DpiForWindow(parent));
  b->Text = CopyText(text);
  b->Id = id;
  b->Colour = RGB(0, 0, 0);
  SIZE size = TextExtent(b->Font, Shown(b->Text));
  HWND hwnd = CreateControl(kBoldTextClass, parent, id, x, y, size);
  if (!hwnd) {
    delete[] b->Text;
    if (b->Font) DeleteObject(b->Font);
    delete b;
    return nullptr;
  }
  b->Window = hwnd;
  GetClientRect(hwnd, &b->Client);
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(b));
  InvalidateRect(hwnd, nullptr, TRUE);
  return hwnd;
}

bool RegisterLinkClass(HINSTANCE instance) {
  g_linkInstance = instance;
  if (!g_linkFont) {
    g_linkFontDpi = SystemDpi();
    g_linkFont = MakeFont(-8, FW_NORMAL, true, g_linkFontDpi);
  }
  if (!g_linkFont) return false;
  if (!RegisterControlClass(instance, kWeblinkClass, WeblinkProc)) {
    // Already registered by an earlier box that is still open is fine.
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    return GetClassInfoExW(instance, kWeblinkClass, &existing) != 0;
  }
  return true;
}

void UnregisterLinkClass(HINSTANCE instance) {
  UnregisterClassW(kWeblinkClass, instance);
  if (g_linkFont) DeleteObject(g_linkFont);
  g_linkFont = nullptr;
  g_linkFontDpi = 0;
}

HWND CreateLink(HWND parent, int id, int x, int y, const char* text, const char* target) {
  if (!g_linkFont) return nullptr;
  // The links' one font, for the DPI of the box they are in (one box is open
  // at a time).
  const int dpi = DpiForWindow(parent);
  if (dpi != g_linkFontDpi) {
    if (HFONT font = MakeFont(-8, FW_NORMAL, true, dpi)) {
      DeleteObject(g_linkFont);
      g_linkFont = font;
      g_linkFontDpi = dpi;
    }
  }
  auto* l = new (std::nothrow) Weblink{};
  if (!l) return nullptr;
  l->Text = CopyText(text);
  l->Target = CopyText(target);
  l->Id = id;
  l->Normal = kLinkNormal;
  l->VisitedColour = kLinkVisited;
  l->HoverColour = kLinkHover;
  SIZE size = TextExtent(g_linkFont, Shown(l->Text));
  HWND hwnd = CreateControl(kWeblinkClass, parent, id, x, y, size);
  if (!hwnd) {
    delete[] l->Text;
    delete[] l->Target;
    delete l;
    return nullptr;
  }
  l->Window = hwnd;
  GetClientRect(hwnd, &l->Client);
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(l));
  InvalidateRect(hwnd, nullptr, TRUE);
  return hwnd;
}

COLORREF LinkColour(HWND link) {
  auto* l = reinterpret_cast<Weblink*>(GetWindowLongPtrW(link, GWLP_USERDATA));
  if (!l) return kLinkNormal;
  if (l->Hover) return l->HoverColour;
  return l->Visited ? l->VisitedColour : l->Normal;
}
