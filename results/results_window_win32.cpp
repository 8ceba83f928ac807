#include "results/results_window_win32.h"

#include <windows.h>

#include <objbase.h>
#include <shlwapi.h>

#include <cwchar>
#include <string>

#include "platform/dpi_win32.h"
#include "platform/profile_win32.h"
#include "results/results_state_win32.h"
#include "results/status_band.h"
#include "results/window_settings.h"

namespace {

constexpr wchar_t kClassName[] = L"CRVN_MAIN";
constexpr UINT kFollowHitX = 10;

struct ColumnSpec {
  const wchar_t* Title;
};
const ColumnSpec kColumns[kColumnCount] = {{L"Name"}, {L"CRC"}, {L"Status"}};

struct PopupItem {
  const wchar_t* Text;
  UINT Command;
};
const PopupItem kPopupItems[] = {
    {L"&Mark bad files", kCmdMarkBad},
    {L"&Copy", kCmdCopy},
    {L"C&lear All DB Info", kCmdClearDb},
    {L"&Delete Marked files", kCmdDeleteMarked},
    {L"Check &all files", kCmdCheckAll},
    {L"&Reparent current SFV", kCmdReparent},
    {L"Mo&ve all files to child directory", kCmdMoveGood},
};

// Major x 65536 + minor of the common controls, 0 when unknown.
DWORD CommonControlsVersion() {
  HMODULE lib = LoadLibraryW(L"comctl32.dll");
  if (!lib) return 0;
  DWORD version = 0;
  auto get = reinterpret_cast<DLLGETVERSIONPROC>(
      reinterpret_cast<void*>(GetProcAddress(lib, "DllGetVersion")));
  if (get) {
    DLLVERSIONINFO info{};
    info.cbSize = 20;
    if (SUCCEEDED(get(&info))) version = info.dwMajorVersion * 65536 + info.dwMinorVersion;
  }
  FreeLibrary(lib);
  return version;
}

}  // namespace

// The six images drawn at the size nearest the window's DPI ("IMAGES" and
// "MASKIMAGES" are the 16-pixel strips, "IMAGES20" and so on the others),
// never stretched.
HIMAGELIST LoadRowImages(HINSTANCE instance, int dpi) {
  const int size = NearestImageSize(16, dpi);
  wchar_t images_name[16] = L"IMAGES", masks_name[16] = L"MASKIMAGES";
  if (size != 16) {
    std::swprintf(images_name, 16, L"IMAGES%d", size);
    std::swprintf(masks_name, 16, L"MASKIMAGES%d", size);
  }
  HIMAGELIST list = ImageList_Create(size, size, ILC_COLORDDB | ILC_MASK, 6, 0);
  HBITMAP images = LoadBitmapW(instance, images_name);
  HBITMAP masks = LoadBitmapW(instance, masks_name);
  if (list && images) ImageList_Add(list, images, masks);
  if (images) DeleteObject(images);
  if (masks) DeleteObject(masks);
  if (!list || ImageList_GetImageCount(list) != 6) {
    MessageBoxW(nullptr, L"Image list didn't init", L"Error", MB_OK);
  }
  return list;
}

namespace {

// The height of the band font's characters, cell included.
int FontHeight(HFONT font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return tm.tmHeight;
}

StatusBandLayout BandLayout(const ResultsWindowState& s) {
  const bool separator = !IsShellVariant(s) && s.Owner.ShowMenu;
  return LayOutStatusBand(s.Dpi, FontHeight(s.BandFont), separator);
}

// The band's texts are the program's own (counts and words), drawn as the
// wide text the window is.
void DrawBandText(HDC dc, int x, int y, const char* text) {
  ItemText wide(text);
  TextOutW(dc, x, y, wide.Get(), static_cast<int>(std::wcslen(wide.Get())));
}

void PaintStatusBand(ResultsWindowState& s, HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  int w = client.right;
  const bool shell = IsShellVariant(s);
  const StatusBandLayout& band = s.Band;
  if (band.Separator > 0) {
    RECT line{0, 0, w, band.Separator};
    FillRect(dc, &line, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
  HGDIOBJ oldFont = SelectObject(dc, s.BandFont ? s.BandFont : GetStockObject(DEFAULT_GUI_FONT));
  SetTextColor(dc, GetSysColor(COLOR_MENUTEXT));
  SetBkColor(dc, GetSysColor(COLOR_MENU));
  SetBkMode(dc, OPAQUE);
  RunCounters c = s.Owner.Counters ? *s.Owner.Counters : RunCounters{};
  if (shell) c.ShowFileProgress = false;  // the shell's window shows no percentage
  StatusBandText t = FormatStatusBand(c, c.FilePercent);
  DrawBandText(dc, 0, band.FirstLine, t.Completed);
  DrawBandText(dc, 0, band.SecondLine, t.Ok);
  DrawBandText(dc, w / 2, band.FirstLine, t.Bad);
  DrawBandText(dc, w / 2, band.SecondLine, t.Missing);
  SelectObject(dc, oldFont);
  EndPaint(hwnd, &ps);
}

void ToggleUpdateDb(ResultsWindowState& s, HWND hwnd, bool systemMenu) {
  bool on = s.Owner.UpdateDb ? !*s.Owner.UpdateDb : false;
  if (s.Owner.UpdateDb) *s.Owner.UpdateDb = on;
  UINT check = MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED);
  if (IsShellVariant(s)) {
    ModifyMenuW(GetSystemMenu(hwnd, FALSE), kSysUpdateDb, check | MF_STRING, kSysUpdateDb,
                L"&Update DB");
  } else if (systemMenu) {
    CheckMenuItem(GetSystemMenu(hwnd, FALSE), kSysUpdateDb, check);
  } else {
    CheckMenuItem(GetMenu(hwnd), kCmdUpdateDb, check);
  }
  WriteResultsSetting(s, "UpdateDB", on ? "1" : "0");
}

void SaveWindowSettings(ResultsWindowState& s, HWND hwnd) {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  if (!GetWindowPlacement(hwnd, &wp)) return;
  StoredPlacement p;
  p.Values[kLength] = kPlacementLength;
  const int dpi = s.Dpi;
  p.Values[kFlags] = static_cast<int32_t>(wp.flags);
  p.Values[kShow] = static_cast<int32_t>(wp.showCmd);
  p.Values[kMinX] = wp.ptMinPosition.x;
  p.Values[kMinY] = wp.ptMinPosition.y;
  p.Values[kMaxX] = wp.ptMaxPosition.x;
  p.Values[kMaxY] = wp.ptMaxPosition.y;
  p.Values[kLeft] = wp.rcNormalPosition.left;
  p.Values[kTop] = wp.rcNormalPosition.top;
  p.Values[kRight] = wp.rcNormalPosition.right;
  p.Values[kBottom] = wp.rcNormalPosition.bottom;
  PlacementTo96(&p, SystemDpi(), dpi);
  char text[80];
  if (EncodePlacement(p, text, sizeof text)) WriteResultsSetting(s, "WindowInfo", text);
  if (!s.List) return;
  int widths[kColumnCount];
  for (int i = 0; i < kColumnCount; ++i) {
    widths[i] = ScaleTo96(static_cast<int>(SendMessageW(s.List, LVM_GETCOLUMNWIDTH, i, 0)), dpi);
  }
  if (EncodeColumnWidths(widths, kColumnCount, text, sizeof text)) {
    WriteResultsSetting(s, "LVWindowInfo", text);
  }
}

// Fonts and image lists made for `dpi`, the earlier ones given back, and
// the band's height for them.
void ApplyDpi(ResultsWindowState& s, int dpi) {
  s.Dpi = dpi;
  if (s.BandFont) DeleteObject(s.BandFont);
  s.BandFont = CreateGuiFontForDpi(dpi);
  s.Band = BandLayout(s);
  if (!s.List) return;
  HFONT listFont = CreateListFontForDpi(dpi);
  s.HeaderMinHeight = FontHeight(listFont) + ScaleForDpi(4, dpi);
  if (listFont) SendMessageW(s.List, WM_SETFONT, reinterpret_cast<WPARAM>(listFont), TRUE);
  if (s.ListFont) DeleteObject(s.ListFont);
  s.ListFont = listFont;
  // Icon 101 (the shell extension's 140) at the big and small icon sizes
  // for this DPI; shared icons, which the system frees with the module.
  const int icon = IsShellVariant(s) ? kShellIconId : kIconId;
  const struct {
    WPARAM Which;
    int Width, Height;
  } kIcons[] = {{ICON_BIG, SM_CXICON, SM_CYICON}, {ICON_SMALL, SM_CXSMICON, SM_CYSMICON}};
  for (const auto& k : kIcons) {
    HANDLE h =
        LoadImageW(s.Instance, MAKEINTRESOURCEW(icon), IMAGE_ICON, SystemMetricForDpi(k.Width, dpi),
                   SystemMetricForDpi(k.Height, dpi), LR_SHARED);
    if (h && s.Main) SendMessageW(s.Main, WM_SETICON, k.Which, reinterpret_cast<LPARAM>(h));
  }
  HIMAGELIST small = LoadRowImages(s.Instance, dpi);
  SendMessageW(s.List, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(small));
  if (s.SmallImages) ImageList_Destroy(s.SmallImages);
  s.SmallImages = small;
  if (s.HeaderImagesSupported) {
    HIMAGELIST arrows = LoadRowImages(s.Instance, dpi);
    HWND header = reinterpret_cast<HWND>(SendMessageW(s.List, LVM_GETHEADER, 0, 0));
    SendMessageW(header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(arrows));
    if (s.HeaderImages) ImageList_Destroy(s.HeaderImages);
    s.HeaderImages = arrows;
  }
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

ResultsWindowState* FromWindow(HWND hwnd) {
  return reinterpret_cast<ResultsWindowState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void ShowPopup(ResultsWindowState& s) {
  // The shell extension's two items are never grayed.
  if (!IsShellVariant(s) && s.Owner.Parts && s.Owner.Parts->PreparePopup) {
    s.Owner.Parts->PreparePopup(s);
  }
  POINT pt;
  GetCursorPos(&pt);
  TrackPopupMenu(s.Popup, TPM_RIGHTBUTTON, pt.x, pt.y, 0, s.Main, nullptr);
}

LRESULT CALLBACK ListSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  ResultsWindowState* w = FromWindow(hwnd);
  if (!w) return DefWindowProcW(hwnd, msg, wp, lp);
  ResultsWindowState& s = *w;
  switch (msg) {
    case WM_RBUTTONDOWN:
      SetCapture(hwnd);
      return 0;
    case WM_RBUTTONUP:
      ReleaseCapture();
      if (s.Popup && s.Main) ShowPopup(s);
      return 0;
    case WM_CHAR:
      if (wp == 3 || wp == 27) {
        if (s.Main) return MainWindowProc(s.Main, msg, wp, lp);
        return 0;
      }
      break;
    default:
      break;
  }
  return CallWindowProcW(s.ListProc, hwnd, msg, wp, lp);
}

// The header control pads its titles by a fixed number of pixels, which do
// not grow with the DPI: it is made at least as high as its font and the
// padding scaled.
LRESULT CALLBACK HeaderSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  ResultsWindowState* w = FromWindow(hwnd);
  if (!w || !w->HeaderProc) return DefWindowProcW(hwnd, msg, wp, lp);
  LRESULT result = CallWindowProcW(w->HeaderProc, hwnd, msg, wp, lp);
  if (msg == HDM_LAYOUT && result) {
    auto* layout = reinterpret_cast<HDLAYOUT*>(lp);
    const int more = w->HeaderMinHeight - layout->pwpos->cy;
    if (more > 0) {
      layout->pwpos->cy += more;
      layout->prc->top += more;
    }
  }
  return result;
}

void ShowAbout(ResultsWindowState& s, HWND hwnd) {
  if (!IsShellVariant(s) && s.Owner.Parts && s.Owner.Parts->ShowAbout) {
    s.Owner.Parts->ShowAbout(s.Instance, hwnd);
  }
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  ResultsWindowState* w = FromWindow(hwnd);
  if (!w) return DefWindowProcW(hwnd, msg, wp, lp);
  ResultsWindowState& s = *w;
  const bool shell = IsShellVariant(s);
  switch (msg) {
    case WM_CHAR:
      if (wp == 27) {
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
        return 0;
      }
      if (wp == 3) {
        CopySelectedNames(hwnd, s.List);
        return 0;
      }
      break;
    case WM_SYSCOMMAND:
      if (wp == kSysUpdateDb) {
        ToggleUpdateDb(s, hwnd, true);
        return 0;
      }
      if (wp == kSysAbout && !shell) {
        ShowAbout(s, hwnd);
        return 0;
      }
      break;
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case kCmdMarkBad:
          if (s.List) MarkBadFiles(s.List);
          return 0;
        case kCmdCopy:
          if (s.List) PostMessageW(hwnd, WM_CHAR, 3, 0);
          return 0;
        default:
          break;
      }
      if (shell) break;  // the rest belongs to the verifier's menus
      switch (LOWORD(wp)) {
        case kCmdOpen:
          if (s.Owner.StopRequested) *s.Owner.StopRequested = true;
          return 0;
        case kCmdExit:
          PostMessageW(hwnd, WM_CLOSE, 0, 0);
          return 0;
        case kCmdAbout:
          ShowAbout(s, hwnd);
          return 0;
        case kCmdUpdateDb:
          ToggleUpdateDb(s, hwnd, false);
          return 0;
        default:
          if (LOWORD(wp) >= kCmdClearDb && LOWORD(wp) <= kCmdCheckAll) {
            if (s.List && s.Main && s.Owner.Parts && s.Owner.Parts->ListCommand) {
              s.Owner.Parts->ListCommand(s, LOWORD(wp));
            }
            return 0;
          }
          break;
      }
      break;
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lp);
      if (hdr->hwndFrom == s.List && hdr->code == LVN_COLUMNCLICK) {
        const int column = reinterpret_cast<NMLISTVIEW*>(lp)->iSubItem;
        if (shell) {
          SortItemsInPlace(s, column);
        } else if (!s.Owner.Counters || !s.Owner.Counters->RunFinished) {
          MessageBeep(MB_ICONASTERISK);
        } else {
          SortByColumn(s, column);
        }
      }
      // The items carry nothing to free: no notice per deleted item, which
      // for a sort or the window's end of 100,000 rows costs seconds. At the
      // window's end the list view deletes its items after WM_DESTROY has
      // cleared s.List, so the notice is known by the control's id.
      if (hdr->idFrom == kListViewId && hdr->code == LVN_DELETEALLITEMS) return TRUE;
      break;
    }
    case WM_TIMER:
      if (wp == kShowRowsTimer) {
        KillTimer(hwnd, kShowRowsTimer);
        ShowPendingRows(s);
        return 0;
      }
      break;
    case WM_PAINT:
      PaintStatusBand(s, hwnd);
      break;
    case WM_SIZE:
      // The shell extension's window can be maximized: its list follows
      // the client area then too, instead of keeping its restored size.
      if ((wp == SIZE_RESTORED || (shell && wp == SIZE_MAXIMIZED)) && s.List) {
        int h = HIWORD(lp) - s.Band.Height;
        MoveWindow(s.List, 0, s.Band.Height, LOWORD(lp), h < 0 ? 0 : h, TRUE);
      }
      break;
    case WM_DPICHANGED: {
      // Dragged to a monitor of another scale (or the scale changed): the
      // fonts, pictures, band and columns for the new DPI, then the size
      // the system suggests, which lays the list out again.
      const int old = s.Dpi;
      ApplyDpi(s, HIWORD(wp));
      if (s.List) {
        for (int i = 0; i < kColumnCount; ++i) {
          int width = static_cast<int>(SendMessageW(s.List, LVM_GETCOLUMNWIDTH, i, 0));
          SendMessageW(s.List, LVM_SETCOLUMNWIDTH, i, ScaleForDpi(ScaleTo96(width, old), s.Dpi));
        }
      }
      const RECT* r = reinterpret_cast<const RECT*>(lp);
      SetWindowPos(hwnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      RECT client;
      GetClientRect(hwnd, &client);
      if (s.List) {
        int h = client.bottom - s.Band.Height;
        MoveWindow(s.List, 0, s.Band.Height, client.right, h < 0 ? 0 : h, TRUE);
      }
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    }
    case WM_DESTROY: {
      // The owner's wait sees the flag when its message dispatch returns.
      if (s.Owner.Cancel) *s.Owner.Cancel = true;
      SaveWindowSettings(s, hwnd);
      s.Main = nullptr;
      s.List = nullptr;
      break;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void InsertColumns(ResultsWindowState& s, HWND list) {
  const std::string stored = ReadResultsSetting(s, "LVWindowInfo");
  int widths[kColumnCount];
  DecodeColumnWidths(stored.c_str(), widths, kColumnCount);
  for (int i = 0; i < kColumnCount; ++i) {
    LVCOLUMNW col{};
    col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    col.fmt = LVCFMT_LEFT;
    col.cx = ScaleForDpi(widths[i], s.Dpi);
    col.pszText = const_cast<wchar_t*>(kColumns[i].Title);
    SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
  }
}

// Scrolls so that the newest row (index n) is the last visible one.
void FollowNewestRow(HWND list, int n, int itemHeight) {
  int top = static_cast<int>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
  RECT wr;
  GetWindowRect(list, &wr);
  int y = wr.bottom - wr.top;
  for (;;) {
    LVHITTESTINFO hit{};
    hit.pt.x = kFollowHitX;
    hit.pt.y = y;
    SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (!(hit.flags & LVHT_BELOW) || y <= 0) break;
    --y;
  }
  int h = y + 1;
  int v = h / itemHeight - 1;
  if (n - v >= top) SendMessageW(list, LVM_SCROLL, 0, (n - v - top + 1) * itemHeight);
}

}  // namespace

bool IsShellVariant(const ResultsWindowState& w) {
  return w.Owner.Variant == WindowVariant::ShellExtension;
}

std::string ReadResultsSetting(const ResultsWindowState& s, const char* key) {
  if (!s.Owner.SettingsPath) return std::string();
  return ReadProfileStringUtf8("Corvana", key, "", s.Owner.SettingsPath);
}

void WriteResultsSetting(const ResultsWindowState& s, const char* key, const char* value) {
  if (!s.Owner.SettingsPath) return;
  WriteProfileStringUtf8("Corvana", key, value, s.Owner.SettingsPath);
}

HWND CreateResultsWindow(ResultsWindowState* w, HINSTANCE instance,
                         const WINDOWPLACEMENT* placement, const ResultsWindowOwner& owner) {
  ResultsWindowState& s = *w;
  if (s.Main || s.StoreReady) DestroyResultsWindow(s);
  s = ResultsWindowState{};
  s.Owner = owner;
  s.Instance = instance;
  const bool shell = IsShellVariant(s);
  if (!shell) {
    SetCaseFold(SystemCaseFold);  // names sort by the system's case rules
    if (!CreateRowStore(&s.Rows)) return nullptr;
    s.StoreReady = true;
  }
  s.ComInitialized = SUCCEEDED(CoInitialize(nullptr));
  s.HeaderImagesSupported = CommonControlsVersion() >= 0x40046;

  const int icon = shell ? kShellIconId : kIconId;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(icon));
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);  // fails harmlessly for the second window

  // The default rectangle for the monitor it falls on.
  const int atDpi = DpiForPoint(POINT{10, 10});
  int x = 10, y = 10, width = ScaleForDpi(400, atDpi), height = ScaleForDpi(250, atDpi);
  if (placement) {
    x = placement->rcNormalPosition.left;
    y = placement->rcNormalPosition.top;
    width = placement->rcNormalPosition.right - x;
    height = placement->rcNormalPosition.bottom - y;
  }
  HMENU menu =
      !shell && s.Owner.ShowMenu ? LoadMenuW(instance, MAKEINTRESOURCEW(kMenuId)) : nullptr;
  const DWORD style =
      shell ? WS_OVERLAPPEDWINDOW
            : WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
  HWND main = CreateWindowExW(0, kClassName, L"Working...", style, x, y, width, height, nullptr,
                              menu, instance, &s);
  if (!main) {
    if (menu) DestroyMenu(menu);
    DestroyResultsWindow(s);
    return nullptr;
  }
  s.Main = main;
  if (placement) {
    WINDOWPLACEMENT wp = *placement;
    wp.length = sizeof wp;
    SetWindowPlacement(main, &wp);
  }

  InitCommonControls();
  ApplyDpi(s, DpiForWindow(main));  // the band's height; the list comes next
  RECT rc;
  GetClientRect(main, &rc);
  s.List = CreateWindowExW(
      // The image lists stay the window's (shared, not freed by the list
      // view), so that a change of DPI can replace them.
      0, WC_LISTVIEWW, L"",
      WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_NOLABELWRAP | LVS_SHAREIMAGELISTS, 0, s.Band.Height,
      rc.right, rc.bottom - s.Band.Height, main,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListViewId)), instance, nullptr);
  if (s.List) {
    SetWindowLongPtrW(s.List, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&s));
    s.ListProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(s.List, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListSubclassProc)));
    if (HWND header = reinterpret_cast<HWND>(SendMessageW(s.List, LVM_GETHEADER, 0, 0))) {
      SetWindowLongPtrW(header, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&s));
      s.HeaderProc = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(header, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HeaderSubclassProc)));
    }
    ApplyDpi(s, s.Dpi);
    InsertColumns(s, s.List);
  }
  ShowWindow(main, SW_SHOW);

  s.Popup = CreatePopupMenu();
  const size_t items = shell ? 2 : sizeof kPopupItems / sizeof kPopupItems[0];
  for (size_t i = 0; i < items; ++i) {
    AppendMenuW(s.Popup, MF_STRING, kPopupItems[i].Command, kPopupItems[i].Text);
  }
  return main;
}

void ReserveRows(ResultsWindowState& s, unsigned count) {
  if (s.StoreReady) ReserveRowStore(&s.Rows, count);
  if (s.List) {
    int current = static_cast<int>(SendMessageW(s.List, LVM_GETITEMCOUNT, 0, 0));
    if (count > static_cast<unsigned>(current)) {
      SendMessageW(s.List, LVM_SETITEMCOUNT, count, 0);
    }
  }
}

namespace {

// The shell extension's rows: the item is the only copy, with its position
// of arrival as its data. The view follows only when it already shows the
// end, by one row.
void AddShellRow(ResultsWindowState& s, const LineFields& fields, RowKind kind) {
  HWND list = s.List;
  int n = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  // As in the verifier's window, the list view draws nothing while rows
  // come and the show-rows timer draws them together: a redraw a row would
  // cost more than hashing a small file. Whether the rows are followed is
  // decided when the first of them comes: only when the view shows the end
  // then, its last item on the last full row (or the list not yet full).
  if (!s.RowsPending && s.Main) {
    int top = static_cast<int>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
    int perPage = static_cast<int>(SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0));
    s.FollowPending = top + perPage >= n;
    s.PendingTop = top;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    s.RowsPending = true;
    SetTimer(s.Main, kShowRowsTimer, kShowRowsDelayMs, nullptr);
  }
  // Each field is a run of the text, converted as it is handed over.
  ItemText name(fields.Start[0], fields.Length[0]);
  int index = InsertItemWide(list, n, name.Get(), kind, s.Arrivals++);
  for (int k = 1; k < fields.Count && index >= 0; ++k) {
    ItemText field(fields.Start[k], fields.Length[k]);
    SetSubItemWide(list, index, k, field.Get());
  }
}

}  // namespace

bool AddResultRow(ResultsWindowState& s, const char* text, RowKind kind) {
  if (!s.List) return true;
  HWND list = s.List;
  const bool shell = IsShellVariant(s);
  LineFields fields = SplitResultLine(text, !shell);
  if (fields.Count == 0) return true;  // nothing to show, nothing to keep
  if (shell) {
    AddShellRow(s, fields, kind);
    return true;
  }
  int n = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  // The row holds the texts cut to its field sizes; the item shows the same.
  // When the pools cannot grow the line is still shown, from a copy that
  // is not kept (it is then missing from rebuilt views).
  static ResultRow scratch;
  ResultRow* row = s.StoreReady ? AddStoredRow(&s.Rows, kind, fields) : nullptr;
  if (!row) {
    scratch = ResultRow{};
    row = &scratch;
    FillRowFields(row, kind, fields);
  }
  // Rows arrive far faster than they can be drawn one by one (a scroll and a
  // repaint each): the list view draws nothing while they come, and a pump
  // at most a quarter of a second later shows them, the newest at the
  // bottom.
  if (!s.RowsPending && s.Main) {
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    s.RowsPending = true;
    SetTimer(s.Main, kShowRowsTimer, kShowRowsDelayMs, nullptr);
  }
  int index = InsertItem(list, n, row->Name, kind);
  if (index >= 0) {
    if (fields.Count > 1) SetSubItem(list, index, 1, row->Crc);
    if (fields.Count > 2) SetSubItem(list, index, 2, row->Status);
  }
  return true;
}

void ShowPendingRows(ResultsWindowState& s) {
  if (!s.RowsPending) return;
  s.RowsPending = false;
  if (!s.List) return;
  SendMessageW(s.List, WM_SETREDRAW, TRUE, 0);
  if (IsShellVariant(s)) {
    // Scrolled now that the list view keeps its scroll state again; only
    // as far as the newest row, the last visible one.
    int count = static_cast<int>(SendMessageW(s.List, LVM_GETITEMCOUNT, 0, 0));
    // A view the user has scrolled meanwhile stays where it was put.
    int top = static_cast<int>(SendMessageW(s.List, LVM_GETTOPINDEX, 0, 0));
    if (s.FollowPending && top == s.PendingTop && count > 0) {
      SendMessageW(s.List, LVM_ENSUREVISIBLE, count - 1, FALSE);
    }
    InvalidateRect(s.List, nullptr, TRUE);
    return;
  }
  int count = static_cast<int>(SendMessageW(s.List, LVM_GETITEMCOUNT, 0, 0));
  RECT r{};
  r.left = LVIR_BOUNDS;
  if (count > 1 && SendMessageW(s.List, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r)) &&
      r.bottom > r.top) {
    FollowNewestRow(s.List, count - 1, r.bottom - r.top);
  }
  InvalidateRect(s.List, nullptr, TRUE);
}

void InvalidateStatusBand(const ResultsWindowState& s, bool erase) {
  if (!s.Main) return;
  RECT band;
  GetClientRect(s.Main, &band);
  band.bottom = s.Band.Height;
  InvalidateRect(s.Main, &band, erase);
}

void DestroyResultsWindow(ResultsWindowState& s) {
  if (s.Main) DestroyWindow(s.Main);  // WM_DESTROY saves the settings
  s.Main = nullptr;
  s.List = nullptr;
  if (s.Popup) DestroyMenu(s.Popup);
  s.Popup = nullptr;
  if (s.HeaderImages) ImageList_Destroy(s.HeaderImages);
  s.HeaderImages = nullptr;
  if (s.SmallImages) ImageList_Destroy(s.SmallImages);
  s.SmallImages = nullptr;
  if (s.BandFont) DeleteObject(s.BandFont);
  s.BandFont = nullptr;
  if (s.ListFont) DeleteObject(s.ListFont);
  s.ListFont = nullptr;
  if (s.StoreReady) DestroyRowStore(&s.Rows);
  s.StoreReady = false;
  if (s.ComInitialized) CoUninitialize();
  s.ComInitialized = false;
  s.Sort = SortState{};
  // A window class registered by a shell extension must not outlive the
  // module's code: gone with the last window of the class (the call fails
  // while another window still uses it).
  if (IsShellVariant(s) && s.Instance) UnregisterClassW(kClassName, s.Instance);
}
